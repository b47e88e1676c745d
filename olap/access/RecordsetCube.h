#pragma once

#include <memory>
#include <string>

namespace olap {

class Cube;

namespace recordset {
class Recordset;
}

//! Turns a flat recordset into an in-memory cube, so that relational rows pivot through the
//! same MDX engine as cube files. Each field that is not a number (text, date, boolean, ...)
//! becomes a dimension named after the field, with an All member and one level of the same
//! name, so that its values read as [Region].[Region].[North]; NULL becomes the member
//! "#null", dates read "YYYY-MM-DD" (" HH:MM:SS" added when not midnight), booleans "True" and
//! "False", and members are ordered as CubeBuilder orders keys. Each numeric field becomes a
//! Sum measure named after the field, and a count measure "Count" counts rows ("Row Count",
//! or a numbered name, when a field is already called "Count"); the first numeric measure is
//! the default, the count only when there is no numeric field. A field called "Measures" is
//! named "Measures 2" (or the next free number) in the cube, its caption staying "Measures".
class RecordsetCube {
public:
    //! The cube CUBENAME (also its catalog) over every row of RS; the cursor of RS is not used
    //! and not moved. A recordset without rows gives a cube whose cells are all empty. Throws
    //! OlapError for a recordset without fields, an empty cube name, or a numeric value that is
    //! not finite.
    static std::unique_ptr<Cube> Build(const recordset::Recordset& rs, const std::string& cubeName);
};

} // namespace olap
