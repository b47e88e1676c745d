#pragma once

#include <stdexcept>
#include <string>

namespace olap {

//! The one error type of the engine: bad schemas, bad or damaged cube files,
//! failing relational sources and invalid requests all throw it. The message
//! is written for the user: it names the object (element, file, table,
//! column) and says what is wrong.
class OlapError : public std::runtime_error {
public:
    explicit OlapError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace olap
