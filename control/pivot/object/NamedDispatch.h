#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <QString>

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

//! Fills *EXCEPTION (when given) for a failing member and returns kDispEException.
platform::HResult DispatchFailure(platform::DispatchException* exception, const QString& description);

} // namespace pivot
