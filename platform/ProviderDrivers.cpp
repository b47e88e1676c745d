#include "platform/ProviderDrivers.h"

#include "platform/COXRegistryItem.h"

namespace platform {

std::optional<std::string> RegistryProviderDriver(std::string_view provider)
{
    if (provider.empty() || provider.find('\\') != std::string_view::npos)
        return std::nullopt;
    COXRegistryItem item(QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\Providers\\")
        + QString::fromUtf8(provider.data(), static_cast<qsizetype>(provider.size())));
    const QString driver = item.GetStringValue();
    if (item.GetLastError() != 0 || driver.isEmpty())
        return std::nullopt;
    return driver.toStdString();
}

} // namespace platform
