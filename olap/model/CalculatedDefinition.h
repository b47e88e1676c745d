#pragma once

#include <string>

namespace olap {

//! A calculated member or named set declared in the cube schema. The engine
//! keeps the MDX text; the MDX evaluator parses and evaluates it.
struct CalculatedDefinition {
    enum class Kind { Member, Set };
    Kind kind = Kind::Member;
    std::string name;
    //! Hierarchy unique name the calculated member belongs to (`[Measures]`); empty for a set.
    std::string hierarchy;
    std::string formula;
    std::string formatString;
    std::string caption;
};

} // namespace olap
