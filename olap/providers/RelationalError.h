#pragma once

#include <stdexcept>
#include <string>

namespace olap::providers {

//! Why a relational source failed.
enum class RelationalFailure {
    FileMissing, //!< the data source file does not exist
    NotADatabase, //!< the file exists but is not a database / workbook of the expected kind
    DriverNotInstalled, //!< the ODBC driver or data source name is unknown to the driver manager
    ProviderNotMapped, //!< a relational provider without an ODBC driver in the provider table
    LoginRefused, //!< the server refused the user name or password
    DatabaseMissing, //!< the server has no such database (catalog)
    ServerUnreachable, //!< the server could not be reached
    BadStatement, //!< the SQL text failed (syntax, unknown table or column)
    Unsupported, //!< something this source does not do (a statement form, a file kind)
    Other, //!< anything else; the message holds the driver's text
};

//! Thrown by relational sources. what() is a sentence for the user that says what failed and
//! on what (the file, driver, provider or statement), followed by the driver's own text where
//! there is one; Failure() lets callers tell the cases apart.
class RelationalError : public std::runtime_error {
public:
    RelationalError(RelationalFailure failure, const std::string& message)
        : std::runtime_error(message), m_failure(failure)
    {
    }
    RelationalFailure Failure() const { return m_failure; }

private:
    RelationalFailure m_failure;
};

} // namespace olap::providers
