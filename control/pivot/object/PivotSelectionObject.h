#pragma once

#include "control/pivot/object/NamedDispatch.h"

#include <memory>

namespace pivot {

class PivotCellObject;

//! The pivot table's current selection. A selected value cell gives Cell; any other
//! selection (headers, nothing) has none.
class PivotSelectionObject : public NamedDispatch {
public:
    enum : platform::DispId { kCell = 1 };

    explicit PivotSelectionObject(std::shared_ptr<PivotCellObject> cell) : m_cell(std::move(cell)) { }

    const std::shared_ptr<PivotCellObject>& Cell() const { return m_cell; }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    std::shared_ptr<PivotCellObject> m_cell;
};

} // namespace pivot
