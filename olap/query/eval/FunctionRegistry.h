#pragma once

#include "olap/query/eval/Evaluator.h"

#include <cstddef>
#include <string>
#include <vector>

namespace olap::eval {

//! One call of an MDX function: the expression, its name (lower case and as written) and its
//! arguments (the object of a method call first).
struct CallSite {
    Evaluator& evaluator;
    const mdx::Expr& e;
    const std::string& name;
    const std::string& shown;
    const std::vector<const mdx::Expr*>& args;

    //! True when argument I is given (not left out between commas).
    bool Present(std::size_t i) const;
    //! Argument I as a lower-case flag word (ALL, RECURSIVE, ...); empty when it is not given.
    std::string Word(std::size_t i) const;
    //! Argument I as a whole number, clamped to +-1e9; an error when it is empty.
    long long Integer(std::size_t i) const;
};

//! A function of the table: its name (lower case), argument counts and handler.
struct FunctionEntry {
    const char* name = nullptr;
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0;
    Value (Evaluator::*handler)(const CallSite&) = nullptr;
};

//! The functions MDX can call, by name. A family file adds a function with a line in its
//! table (NavigationFunctions() and so on) and a handler declared in Evaluator.h.
class FunctionRegistry {
public:
    //! The function called NAME (lower case), nullptr when there is none.
    static const FunctionEntry* Find(const std::string& name);
};

std::vector<FunctionEntry> NavigationFunctions();
std::vector<FunctionEntry> ValueFunctions();
std::vector<FunctionEntry> SetFunctions();
std::vector<FunctionEntry> OrderFunctions();
std::vector<FunctionEntry> AggregateFunctions();
std::vector<FunctionEntry> TimeFunctions();
std::vector<FunctionEntry> StatisticsFunctions();
std::vector<FunctionEntry> StringFunctions();

} // namespace olap::eval
