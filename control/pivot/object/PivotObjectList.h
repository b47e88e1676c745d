#pragma once

#include "control/pivot/object/NamedDispatch.h"

#include <vector>

namespace pivot {

//! A read-only collection of the object model (child members, field sets, fields): Count and
//! Item(index) from 0, Item being the default member.
class PivotObjectList : public NamedDispatch {
public:
    static constexpr platform::DispId kItem = 0;
    static constexpr platform::DispId kCount = 1;

    explicit PivotObjectList(std::vector<platform::Variant> items) : m_items(std::move(items)) { }

    int Count() const { return static_cast<int>(m_items.size()); }
    //! The item at INDEX, empty when out of range.
    platform::Variant Item(int index) const;

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    std::vector<platform::Variant> m_items;
};

//! A list variant of OBJECTS (shared pointers to dispatch objects).
template <typename T> platform::Variant ObjectList(const std::vector<std::shared_ptr<T>>& objects)
{
    std::vector<platform::Variant> items;
    items.reserve(objects.size());
    for (const auto& object : objects)
        items.emplace_back(std::shared_ptr<platform::IDispatchObject>(object));
    return platform::Variant(std::shared_ptr<platform::IDispatchObject>(std::make_shared<PivotObjectList>(items)));
}

//! OBJECT as a variant (empty for null).
template <typename T> platform::Variant ObjectVariant(const std::shared_ptr<T>& object)
{
    if (!object)
        return {};
    return platform::Variant(std::shared_ptr<platform::IDispatchObject>(object));
}

} // namespace pivot
