#pragma once

#include <stdexcept>
#include <string>

namespace pivot {

//! A definition the pivot model cannot use: a damaged or foreign definition text, or a view
//! that cannot be turned into a query. The message says what was wrong and where.
class PivotError : public std::runtime_error {
public:
    explicit PivotError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace pivot
