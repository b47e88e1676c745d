#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/object/NamedDispatch.h"

#include <memory>
#include <vector>

namespace pivot {

class PivotFieldSetObject;

//! An axis of the active view (row, column or filter) with its field sets in order.
class PivotAxisObject : public NamedDispatch {
public:
    enum : platform::DispId { kFieldSets = 1, kOrientation = 2 };

    PivotAxisObject(AxisKind kind, std::vector<std::shared_ptr<PivotFieldSetObject>> fieldSets)
        : m_kind(kind), m_fieldSets(std::move(fieldSets))
    {
    }

    AxisKind Kind() const { return m_kind; }
    const std::vector<std::shared_ptr<PivotFieldSetObject>>& FieldSets() const { return m_fieldSets; }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    AxisKind m_kind;
    std::vector<std::shared_ptr<PivotFieldSetObject>> m_fieldSets;
};

} // namespace pivot
