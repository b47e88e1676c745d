#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/object/NamedDispatch.h"

#include <memory>
#include <string>

namespace pivot {

class MemberCatalog;
class PivotAxisObject;
class PivotFieldSetObject;

//! The active view of the pivot table: its row, column and filter axes and title, over the
//! definition on show.
class PivotViewObject : public NamedDispatch {
public:
    enum : platform::DispId { kRowAxis = 1, kColumnAxis = 2, kFilterAxis = 3, kTitleCaption = 4 };

    PivotViewObject(const PivotDefinition& definition, const std::shared_ptr<MemberCatalog>& catalog);

    //! The axis KIND (Row, Column or Filter; Data gives null).
    std::shared_ptr<PivotAxisObject> Axis(AxisKind kind) const;
    std::shared_ptr<PivotAxisObject> RowAxis() const { return m_rows; }
    std::shared_ptr<PivotAxisObject> ColumnAxis() const { return m_columns; }
    std::shared_ptr<PivotAxisObject> FilterAxis() const { return m_filters; }
    const std::string& TitleCaption() const { return m_title; }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    std::shared_ptr<PivotAxisObject> m_rows;
    std::shared_ptr<PivotAxisObject> m_columns;
    std::shared_ptr<PivotAxisObject> m_filters;
    std::string m_title;
};

} // namespace pivot
