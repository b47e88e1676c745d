#pragma once

#include <stdexcept>
#include <string>

namespace chart {

//! A chart definition text the chart cannot use (damaged XML, a foreign root, a value out of
//! range). The message says what was wrong and where.
class ChartError : public std::runtime_error {
public:
    explicit ChartError(const std::string& message) : std::runtime_error(message) { }
};

} // namespace chart
