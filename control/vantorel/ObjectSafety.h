#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <QString>

#include <cstdint>

namespace vantorel {

//! The scripting-safety answers of the control library's controls, for an interface id in its
//! registry text form. The two switches are shared by every control of the library and are
//! on from the start.
class ObjectSafety {
public:
    static constexpr std::uint32_t kSafeForUntrustedCaller = 1;
    static constexpr std::uint32_t kSafeForUntrustedData = 2;

    //! IDispatch: supported 1, enabled 1 while safe-for-scripting; the three persistence
    //! interfaces: supported 2, enabled 2 while safe-for-initializing; any other interface
    //! fails with E_NOINTERFACE.
    static platform::HResult GetInterfaceSafetyOptions(
        const QString& interfaceId, std::uint32_t* supported, std::uint32_t* enabled);
    //! Succeeds only when MASK AND ENABLED is the interface's one option and its switch is on
    //! (E_FAIL otherwise); any other interface fails with E_NOINTERFACE.
    static platform::HResult SetInterfaceSafetyOptions(
        const QString& interfaceId, std::uint32_t mask, std::uint32_t enabled);

    static bool SafeForScripting();
    static bool SafeForInitializing();
    static void SetSafeForScripting(bool on);
    static void SetSafeForInitializing(bool on);
};

} // namespace vantorel
