#pragma once

#include <stdexcept>
#include <string>

//! Raised by the schema utility's one unprotected step (listing the tables); what() is the
//! provider's description.
class mdxUtilError : public std::runtime_error {
public:
    explicit mdxUtilError(const std::string& description) : std::runtime_error(description) { }
};
