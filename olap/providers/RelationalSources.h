#pragma once

#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/RelationalProviders.h"
#include "olap/providers/RelationalSource.h"

#include <memory>
#include <optional>

namespace olap::providers {

//! The kinds of relational source a connection can name.
enum class RelationalKind { Sqlite, Odbc, Spreadsheet };

//! Which relational source PROPERTIES name, checked in this order:
//! - Spreadsheet: "Extended Properties" mentions Excel, or Data Source ends in .xls or .xlsx
//!   (whatever the provider, since the connect dialog keeps its provider in SQL mode);
//! - SQLite: Provider=SQLite, or a Data Source ending in .db, .sqlite or .sqlite3 (unless the
//!   provider is MSDASQL);
//! - ODBC: Provider=MSDASQL, no provider but DSN or Driver, a recognised relational provider
//!   name (RecognisedRelationalProvider), or another provider LOOKUP has a driver for (never
//!   one starting with MSOLAP).
//! Nullopt otherwise: an OLAP provider, or a provider nothing here knows.
std::optional<RelationalKind> ClassifyRelational(
    const ConnectionProperties& properties, const ProviderDriverLookup& lookup = {});

//! Opens the relational source PROPERTIES name (ClassifyRelational), with LOOKUP for the
//! provider-to-driver table. Throws RelationalError: each source's own open failures, and
//! Unsupported when the properties name no relational source.
std::unique_ptr<RelationalSource> OpenRelationalSource(
    const ConnectionProperties& properties, const ProviderDriverLookup& lookup);

} // namespace olap::providers
