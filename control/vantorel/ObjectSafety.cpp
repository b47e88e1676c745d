#include "control/vantorel/ObjectSafety.h"

#include <atomic>

namespace vantorel {

namespace {

std::atomic<bool> g_safeForScripting {true};
std::atomic<bool> g_safeForInitializing {true};

enum class Kind { Dispatch, Persistence, Other };

Kind KindOf(const QString& interfaceId)
{
    auto is = [&](const char* id) { return interfaceId.compare(QLatin1String(id), Qt::CaseInsensitive) == 0; };
    if (is("{00020400-0000-0000-C000-000000000046}"))
        return Kind::Dispatch;
    if (is("{0000010A-0000-0000-C000-000000000046}") || is("{00000109-0000-0000-C000-000000000046}")
        || is("{37D84F60-42CB-11CE-8135-00AA004BB851}"))
        return Kind::Persistence;
    return Kind::Other;
}

} // namespace

platform::HResult ObjectSafety::GetInterfaceSafetyOptions(
    const QString& interfaceId, std::uint32_t* supported, std::uint32_t* enabled)
{
    std::uint32_t supportedValue = 0;
    std::uint32_t enabledValue = 0;
    switch (KindOf(interfaceId)) {
    case Kind::Dispatch:
        supportedValue = kSafeForUntrustedCaller;
        enabledValue = SafeForScripting() ? kSafeForUntrustedCaller : 0;
        break;
    case Kind::Persistence:
        supportedValue = kSafeForUntrustedData;
        enabledValue = SafeForInitializing() ? kSafeForUntrustedData : 0;
        break;
    case Kind::Other:
        return platform::kENoInterface;
    }
    if (supported)
        *supported = supportedValue;
    if (enabled)
        *enabled = enabledValue;
    return platform::kSOk;
}

platform::HResult ObjectSafety::SetInterfaceSafetyOptions(
    const QString& interfaceId, std::uint32_t mask, std::uint32_t enabled)
{
    const std::uint32_t asked = mask & enabled;
    switch (KindOf(interfaceId)) {
    case Kind::Dispatch:
        return asked == kSafeForUntrustedCaller && SafeForScripting() ? platform::kSOk : platform::kEFail;
    case Kind::Persistence:
        return asked == kSafeForUntrustedData && SafeForInitializing() ? platform::kSOk : platform::kEFail;
    case Kind::Other:
        break;
    }
    return platform::kENoInterface;
}

bool ObjectSafety::SafeForScripting()
{
    return g_safeForScripting;
}

bool ObjectSafety::SafeForInitializing()
{
    return g_safeForInitializing;
}

void ObjectSafety::SetSafeForScripting(bool on)
{
    g_safeForScripting = on;
}

void ObjectSafety::SetSafeForInitializing(bool on)
{
    g_safeForInitializing = on;
}

} // namespace vantorel
