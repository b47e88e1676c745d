#pragma once

#include <stdexcept>
#include <string>

namespace olap::recordset {

//! Thrown when a recordset is used against its state (rows added before Open, reading
//! past the end, a value that does not fit its field); the message says what was wrong.
class RecordsetError : public std::runtime_error {
public:
    explicit RecordsetError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace olap::recordset
