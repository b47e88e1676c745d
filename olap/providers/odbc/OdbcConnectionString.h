#pragma once

#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/RelationalProviders.h"

#include <string>
#include <string_view>

namespace olap::providers {

//! Composes the ODBC connection string for an OLE DB style connection.
//!
//! Provider=MSDASQL (or no provider, with DSN or Driver): the keys pass through; "Data Source"
//! becomes DSN when neither DSN nor Driver is given, "Initial Catalog" DATABASE, "User ID" UID,
//! "Password" PWD, and an "Extended Properties" value (MSDASQL's own ODBC string) is appended.
//!
//! Any other provider: its ODBC driver comes from LOOKUP, asked first with the provider as
//! written and then with the recognised name it stands for. The string starts with
//! DRIVER={driver}; Server (else Data Source) becomes SERVER, Database (else Initial Catalog)
//! DATABASE, uid / User ID UID, pwd / Password PWD, Trusted_Connection stays and
//! "Integrated Security=SSPI" becomes Trusted_Connection=Yes; for Microsoft.Jet and
//! Microsoft.ACE the Data Source is the database file (DBQ). Other keys pass through; keys that
//! only OLE DB understands (Provider, Persist Security Info, Extended Properties) are dropped.
//!
//! Values holding ';', braces or edge blanks are braced ({...}, '}' doubled). Throws
//! RelationalError ProviderNotMapped, naming the provider and the registry value to set, when
//! LOOKUP has no driver for the provider.
std::string ComposeOdbcConnectionString(const ConnectionProperties& properties, const ProviderDriverLookup& lookup);

//! CONNECTION with the values of PWD and Password replaced by "***", for messages. A braced
//! value ({...}, "}}" inside) is replaced whole, whatever ';' and '=' it holds.
std::string RedactOdbcConnectionString(std::string_view connection);

//! MESSAGE (a driver's text) with every password of CONNECTION replaced by "***": the value as
//! written, without its braces, and each of its pieces between ';', '=' and braces that has
//! three characters or more, so that a driver quoting a password its own way shows none of it.
std::string HideOdbcPasswords(std::string message, std::string_view connection);

} // namespace olap::providers
