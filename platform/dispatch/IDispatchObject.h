#pragma once

#include "platform/dispatch/Variant.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace platform {

class IControlWindow;

using HResult = std::uint32_t;
using DispId = std::int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kEFail = 0x80004005;
inline constexpr HResult kENoInterface = 0x80004002;
inline constexpr HResult kDispEMemberNotFound = 0x80020003;
inline constexpr HResult kDispEBadParamCount = 0x8002000E;
inline constexpr HResult kDispEException = 0x80020009;
inline constexpr HResult kDispETypeMismatch = 0x80020005;
inline constexpr HResult kRegdbEClassNotReg = 0x80040154;
inline constexpr HResult kCoEErrorInDll = 0x800401F9;

//! How a member is called.
enum class InvokeKind { Method, PropertyGet, PropertyPut };

//! What a failing member reports: its source and a description for the user.
struct DispatchException {
    QString source;
    QString description;
    HResult code = kSOk;
};

//! An object driven by dispatch id, as automation clients drive controls.
class IDispatchObject {
public:
    virtual ~IDispatchObject() = default;
    //! Calls member id. Arguments come in call order; a member that takes an
    //! argument by reference writes its new value back into ARGS. Returns
    //! kSOk, or a failure code such as kDispEMemberNotFound or
    //! kDispEBadParamCount; kDispEException fills *exception when it is given.
    virtual HResult Invoke(
        DispId id, InvokeKind kind, std::vector<Variant>& args, Variant* result, DispatchException* exception)
        = 0;

    //! The object's window interface when it is a control with a window,
    //! else null. Hosts ask this instead of casting across the library edge.
    virtual IControlWindow* AsControlWindow() { return nullptr; }
};

} // namespace platform
