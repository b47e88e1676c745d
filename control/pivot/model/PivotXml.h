#pragma once

#include "control/pivot/model/PivotDefinition.h"

#include <string>
#include <string_view>

namespace pivot {

//! The text form of a pivot definition (the component's XMLData): a root `xml` binding the
//! prefix x to "urn:schemas-microsoft-com:office:excel" and one `x:PivotTable` holding the
//! component settings, `x:ConnectionString`, `x:DataMember` and an `x:PivotView` with the
//! view: `x:Title`, switches (`x:ShowEmptyMembers`, `x:NoRowGrandTotals`,
//! `x:NoColumnGrandTotals`), `x:TotalsOrientation` and `x:TotalsPosition`, one
//! `x:FieldSet` per field set (with `x:Orientation` Row, Column or Filter, its `x:Field`s,
//! expanded and collapsed members, member filter, sort and `x:NoSubtotals`) and one
//! `x:Total` per total. Elements the reader does not know are kept and written back.
class PivotXml {
public:
    //! Reads TEXT. Throws PivotError for text that is not well-formed XML (with line and
    //! column), for a foreign document (another root, the excel namespace not bound, a chart
    //! instead of a pivot table) and for values that cannot be right (an orientation or
    //! number that is not one, a name that is not a unique name, a field set placed twice).
    static PivotDefinition Read(std::string_view text);
    //! Writes DEFINITION. The same definition always gives the same bytes, and Read of the
    //! result gives DEFINITION back.
    static std::string Write(const PivotDefinition& definition);
    //! The text of a new, empty pivot table (Write of a default-constructed definition).
    static std::string DefaultText();

    static constexpr const char* kNamespace = "urn:schemas-microsoft-com:office:excel";
};

} // namespace pivot
