#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

//! The ODBC driver the administrator set for the OLE DB provider name PROVIDER: the string
//! value named PROVIDER under the machine-wide key
//! \LocalMachine\Software\Corvane\Talvanor\Lumetra\Lumetra\Providers. Nullopt when the value
//! is missing, empty or cannot be read. Relational connections use it to turn a provider name
//! ("SQLNCLI10", "MySQLProv", ...) into a driver unixODBC knows.
std::optional<std::string> RegistryProviderDriver(std::string_view provider);

} // namespace platform
