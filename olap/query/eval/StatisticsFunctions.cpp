#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include <algorithm>
#include <cmath>

namespace olap::eval {

namespace {

double Mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / static_cast<double>(values.size());
}

// Sum of squared deviations from the mean (two passes: no cancellation for large values).
double SquaredDeviations(const std::vector<double>& values)
{
    const double mean = Mean(values);
    double sum = 0;
    for (double v : values)
        sum += (v - mean) * (v - mean);
    return sum;
}

} // namespace

std::vector<std::optional<double>> Evaluator::SetValues(const TupleSet& set, const Expr* expr, const Expr& where)
{
    std::vector<std::optional<double>> values;
    values.reserve(set.size());
    for (const Tuple& t : set) {
        Scope scope(*this, t);
        values.push_back(expr ? NumberOf(*expr) : Number(CurrentCell(), where));
    }
    return values;
}

// The values of the set's non-empty cells (empty cells take no part in a statistic).
std::vector<double> Evaluator::PresentValues(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    std::vector<double> out;
    for (const std::optional<double>& v : SetValues(s, call.Present(1) ? call.args[1] : nullptr, call.e)) {
        if (v)
            out.push_back(*v);
    }
    return out;
}

Value Evaluator::FnMedian(const CallSite& call)
{
    std::vector<double> values = PresentValues(call);
    if (values.empty())
        return {};
    const std::size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
    const double upper = values[half];
    if (values.size() % 2 == 1)
        return Value::Num(upper);
    const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half));
    return Value::Num((lower + upper) / 2);
}

// Var, VarP, Stdev, StdevP (and the long names Variance, VarianceP, Stddev, StddevP): the
// sample statistics divide by n - 1 and need two values, the population ones divide by n.
Value Evaluator::FnVariance(const CallSite& call)
{
    std::vector<double> values = PresentValues(call);
    const bool population = call.name.back() == 'p';
    const std::size_t minimum = population ? 1 : 2;
    if (values.size() < minimum)
        return {};
    const double n = static_cast<double>(values.size());
    const double variance = SquaredDeviations(values) / (population ? n : n - 1);
    const bool deviation = call.name.rfind("std", 0) == 0;
    return Value::Num(deviation ? std::sqrt(variance) : variance);
}

// Correlation(set, y [, x]) and Covariance / CovarianceN(set, y [, x]): over the tuples where
// both values are present; without X the set's cells are the x values.
Value Evaluator::FnCorrelation(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    std::vector<std::optional<double>> ys = SetValues(s, call.args[1], call.e);
    std::vector<std::optional<double>> xs = SetValues(s, call.Present(2) ? call.args[2] : nullptr, call.e);
    std::vector<double> x;
    std::vector<double> y;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (xs[i] && ys[i]) {
            x.push_back(*xs[i]);
            y.push_back(*ys[i]);
        }
    }
    if (x.empty())
        return {};
    const double mx = Mean(x);
    const double my = Mean(y);
    double sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        sxy += (x[i] - mx) * (y[i] - my);
    const double n = static_cast<double>(x.size());
    if (call.name == "covariance")
        return Value::Num(sxy / n);
    if (call.name == "covariancen")
        return x.size() < 2 ? Value {} : Value::Num(sxy / (n - 1));
    const double sx = SquaredDeviations(x);
    const double sy = SquaredDeviations(y);
    // No spread in one of the series: the correlation is undefined, an empty cell.
    if (sx == 0 || sy == 0)
        return {};
    return Value::Num(sxy / std::sqrt(sx * sy));
}

Value Evaluator::FnMath(const CallSite& call)
{
    std::optional<double> v = NumberOf(*call.args[0]);
    if (!v)
        return {};
    if (call.name == "abs")
        return Value::Num(std::fabs(*v));
    if (call.name == "int")
        return Value::Num(std::floor(*v));
    if (call.name == "fix")
        return Value::Num(std::trunc(*v));
    if (call.name == "sgn")
        return Value::Num(*v > 0 ? 1 : *v < 0 ? -1 : 0);
    if (call.name == "sqr") {
        if (*v < 0)
            Fail(call.e.position, "Sqr of a negative number: " + TextOf(call.e), TextOf(call.e));
        return Value::Num(std::sqrt(*v));
    }
    // Round(x [, digits]): a half goes up, towards plus infinity (2.5 to 3, -2.5 to -2), which is
    // what Mondrian answers; digits may be negative (tens, hundreds).
    long long digits = call.Present(1) ? std::clamp(call.Integer(1), -300LL, 300LL) : 0;
    const double scale = std::pow(10.0, static_cast<double>(std::llabs(digits)));
    const double scaled = digits >= 0 ? *v * scale : *v / scale;
    if (!std::isfinite(scaled))
        return Value::Num(*v);
    double rounded = std::floor(scaled);
    if (scaled - rounded >= 0.5)
        rounded += 1;
    // -0.4 rounds to 0, not -0.
    rounded += 0.0;
    return Value::Num(digits >= 0 ? rounded / scale : rounded * scale);
}

// RGB(red, green, blue): the colour number of FORE_COLOR and BACK_COLOR, red + 256 * green +
// 65536 * blue, each part limited to 0..255.
Value Evaluator::FnRgb(const CallSite& call)
{
    double colour = 0;
    double weight = 1;
    for (std::size_t i = 0; i < 3; ++i) {
        colour += static_cast<double>(std::clamp(call.Integer(i), 0LL, 255LL)) * weight;
        weight *= 256;
    }
    return Value::Num(colour);
}

std::vector<FunctionEntry> StatisticsFunctions()
{
    return {
        {"median", 1, 2, &Evaluator::FnMedian},
        {"var", 1, 2, &Evaluator::FnVariance},
        {"variance", 1, 2, &Evaluator::FnVariance},
        {"varp", 1, 2, &Evaluator::FnVariance},
        {"variancep", 1, 2, &Evaluator::FnVariance},
        {"stdev", 1, 2, &Evaluator::FnVariance},
        {"stddev", 1, 2, &Evaluator::FnVariance},
        {"stdevp", 1, 2, &Evaluator::FnVariance},
        {"stddevp", 1, 2, &Evaluator::FnVariance},
        {"correlation", 2, 3, &Evaluator::FnCorrelation},
        {"covariance", 2, 3, &Evaluator::FnCorrelation},
        {"covariancen", 2, 3, &Evaluator::FnCorrelation},
        {"rank", 2, 3, &Evaluator::FnRank},
        {"abs", 1, 1, &Evaluator::FnMath},
        {"int", 1, 1, &Evaluator::FnMath},
        {"fix", 1, 1, &Evaluator::FnMath},
        {"sgn", 1, 1, &Evaluator::FnMath},
        {"sqr", 1, 1, &Evaluator::FnMath},
        {"round", 1, 2, &Evaluator::FnMath},
        {"rgb", 3, 3, &Evaluator::FnRgb},
    };
}

} // namespace olap::eval
