#include "olap/query/eval/FunctionRegistry.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace olap::eval {

bool CallSite::Present(std::size_t i) const
{
    return i < args.size() && args[i]->kind != mdx::ExprKind::EmptyArgument;
}

std::string CallSite::Word(std::size_t i) const
{
    if (!Present(i))
        return {};
    if (args[i]->IsPlainWord())
        return Lower(args[i]->segments[0].name);
    Fail(args[i]->position, "expected a flag: " + TextOf(*args[i]), TextOf(*args[i]));
}

long long CallSite::Integer(std::size_t i) const
{
    std::optional<double> v = evaluator.NumberOf(*args[i]);
    if (!v)
        Fail(args[i]->position, shown + " expects a number: " + TextOf(*args[i]), TextOf(*args[i]));
    return static_cast<long long>(std::llround(std::clamp(*v, -1e9, 1e9)));
}

const FunctionEntry* FunctionRegistry::Find(const std::string& name)
{
    static const std::unordered_map<std::string, FunctionEntry> kTable = [] {
        std::unordered_map<std::string, FunctionEntry> table;
        for (auto family : {NavigationFunctions, ValueFunctions, SetFunctions, OrderFunctions, AggregateFunctions,
                 TimeFunctions, StatisticsFunctions, StringFunctions}) {
            for (const FunctionEntry& entry : family())
                table.emplace(entry.name, entry);
        }
        return table;
    }();
    auto it = kTable.find(name);
    return it == kTable.end() ? nullptr : &it->second;
}

} // namespace olap::eval
