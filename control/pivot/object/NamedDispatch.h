#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace pivot {

//! One member of a dispatch object: its name as automation clients spell it and its id.
struct DispatchName {
    const char* name;
    platform::DispId id;
};

//! A dispatch object whose members can also be reached by name, as late-bound clients do:
//! IdOfName looks a name up without regard to case and InvokeByName calls it.
class NamedDispatch : public platform::IDispatchObject {
public:
    //! The id of member NAME (any case), or -1 when there is none.
    platform::DispId IdOfName(const QString& name) const;
    //! Invoke by member name; an unknown name gives kDispEMemberNotFound.
    platform::HResult InvokeByName(const QString& name, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception = nullptr);

protected:
    //! The object's members.
    virtual std::span<const DispatchName> Names() const = 0;
};

//! Answers a read-only property that takes no arguments: VALUE gives the property's value,
//! or nullopt when the object has no such member. A put or any argument is refused.
platform::HResult ReadOnlyProperty(platform::InvokeKind kind, const std::vector<platform::Variant>& args,
    platform::Variant* result, const std::function<std::optional<platform::Variant>()>& value);

//! Fills *EXCEPTION (when given) for a failing member and returns kDispEException.
platform::HResult DispatchFailure(platform::DispatchException* exception, const QString& description);

} // namespace pivot
