#pragma once

#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/RelationalProviders.h"
#include "olap/providers/RelationalSource.h"

#include <memory>
#include <string>

namespace olap::providers {

//! A relational source reached through the unixODBC driver manager.
class OdbcSource : public RelationalSource {
public:
    //! Composes the ODBC string (ComposeOdbcConnectionString) and connects without prompting.
    //! Throws RelationalError: ProviderNotMapped (from composing), DriverNotInstalled (unknown
    //! driver or data source name, or a driver that cannot be loaded), LoginRefused,
    //! DatabaseMissing, ServerUnreachable or Other; the message holds the connection string
    //! with passwords hidden and the driver manager's own text.
    static std::unique_ptr<OdbcSource> Open(const ConnectionProperties& properties, const ProviderDriverLookup& lookup);
    //! Connects with an ODBC connection string as it stands.
    static std::unique_ptr<OdbcSource> OpenOdbc(const std::string& odbcConnectionString);

    ~OdbcSource() override;
    OdbcSource(const OdbcSource&) = delete;
    OdbcSource& operator=(const OdbcSource&) = delete;

    std::string Kind() const override { return "ODBC"; }
    //! Runs the one statement SQL holds with SQLExecDirect (SingleSqlStatement: a text of
    //! several statements runs none and throws Unsupported). The connection asks the driver for
    //! read-only access; as drivers may ignore that, only queries run (the first word SELECT,
    //! WITH, VALUES, SHOW, DESCRIBE or EXPLAIN; procedure calls only when the driver confirms
    //! read-only access), anything else throws Unsupported without running. The driver's SQL types give the field types
    //! (with the same fall-back to the values as the other sources when values do not fit them); of several result sets
    //! the first that has columns is returned.
    recordset::Recordset Execute(std::string_view sql, int timeoutSeconds = 0) override;
    //! The catalogs the driver lists; when it lists none, the current catalog or the database
    //! name the driver reports, if it has one.
    std::vector<std::string> Catalogs() override;
    //! The driver's tables of type TABLE.
    std::vector<std::string> Tables() override;
    //! NAME in the driver's identifier quote (SQL_IDENTIFIER_QUOTE_CHAR: `name` for MySQL,
    //! "name" for most), or bare when the driver has no quote character.
    std::string QuoteName(std::string_view name) override;
    void Close() override;

private:
    struct Handles;
    explicit OdbcSource(std::unique_ptr<Handles> handles);
    Handles& Open();

    std::unique_ptr<Handles> m_handles;
};

} // namespace olap::providers
