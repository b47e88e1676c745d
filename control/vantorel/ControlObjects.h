#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include "control/vantorel/PivotComponent.h"

#include "olap/recordset/Recordset.h"

#include <QPointer>

namespace vantorel {

//! The pivot table of a control as an object the host can hold and hand to another control
//! (the `Pivottable` property). It refers to the pivot table without owning it; once the
//! control is gone it answers every call with a failure. Member: XMLData (6002) get.
class PivotTableObject : public platform::IDispatchObject {
public:
    static constexpr platform::DispId kXmlData = 6002;

    explicit PivotTableObject(PivotComponent* pivot) : m_pivot(pivot) { }
    PivotComponent* Pivot() const { return m_pivot; }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

private:
    QPointer<PivotComponent> m_pivot;
};

//! A detached recordset as an object (the pivot table's `Datasource` of a relational report).
//! It has no members of its own.
class RecordsetObject : public platform::IDispatchObject {
public:
    explicit RecordsetObject(olap::recordset::Recordset rs) : m_recordset(std::move(rs)) { }
    const olap::recordset::Recordset& Recordset() const { return m_recordset; }

    platform::HResult Invoke(platform::DispId, platform::InvokeKind, std::vector<platform::Variant>&,
        platform::Variant*, platform::DispatchException*) override
    {
        return platform::kDispEMemberNotFound;
    }

private:
    olap::recordset::Recordset m_recordset;
};

} // namespace vantorel
