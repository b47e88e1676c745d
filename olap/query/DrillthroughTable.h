#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace olap {

//! The answer to a DRILLTHROUGH statement as plain data: column labels and the fact rows
//! as text (member names, numbers in shortest form, "" for NULL).
struct DrillthroughTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

} // namespace olap
