#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/util/NameUtil.h"
#include "olap/util/ValueFormatter.h"

#include <algorithm>
#include <cmath>

// Text functions in the manner of Visual Basic: positions and lengths count characters
// (UTF-8 code points, so a character is never cut in two), the first character is 1, and an
// empty cell reads as the empty text.

namespace olap::eval {

namespace {

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offsets where the characters of TEXT start, and the text's size at the end.
std::vector<std::size_t> CharStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuation(text[i]))
            starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

// The characters [FROM, FROM + COUNT) of TEXT (0-based, clamped to the text).
std::string Chars(const std::string& text, std::size_t from, std::size_t count)
{
    std::vector<std::size_t> starts = CharStarts(text);
    const std::size_t length = starts.size() - 1;
    from = std::min(from, length);
    count = std::min(count, length - from);
    return text.substr(starts[from], starts[from + count] - starts[from]);
}

// Upper or lower case of ASCII letters and of the letters of Latin-1 (two-byte sequences
// C3 80 to C3 BE; the multiplication and division signs stay).
std::string ChangeCase(std::string text, bool upper)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (upper && c >= 'a' && c <= 'z')
            text[i] = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            text[i] = static_cast<char>(c - 'A' + 'a');
        else if (c == 0xC3 && i + 1 < text.size()) {
            const auto d = static_cast<unsigned char>(text[i + 1]);
            if (upper && d >= 0xA0 && d <= 0xBE && d != 0xB7)
                text[i + 1] = static_cast<char>(d - 0x20);
            else if (!upper && d >= 0x80 && d <= 0x9E && d != 0x97)
                text[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
    return text;
}

} // namespace

std::string Evaluator::TextArg(const CallSite& call, std::size_t i)
{
    Value v = Scalar(Eval(*call.args[i]), *call.args[i]);
    switch (v.kind) {
    case VK::String:
        return v.text;
    case VK::Number:
        return FormatNumber(v.number);
    case VK::Bool:
        return v.number != 0 ? "True" : "False";
    default:
        return {};
    }
}

// A character count or position argument: a whole number of at least MINIMUM.
std::size_t Evaluator::CountArg(const CallSite& call, std::size_t i, long long minimum)
{
    const long long n = call.Integer(i);
    if (n < minimum)
        Fail(call.args[i]->position,
            call.shown + " expects a number of at least " + std::to_string(minimum) + ", got " + std::to_string(n),
            TextOf(*call.args[i]));
    return static_cast<std::size_t>(n);
}

Value Evaluator::FnLeftRight(const CallSite& call)
{
    std::string text = TextArg(call, 0);
    const std::size_t count = CountArg(call, 1, 0);
    if (call.name == "left")
        return Value::Str(Chars(text, 0, count));
    const std::size_t length = CharStarts(text).size() - 1;
    return Value::Str(Chars(text, length - std::min(count, length), count));
}

Value Evaluator::FnMid(const CallSite& call)
{
    std::string text = TextArg(call, 0);
    const std::size_t start = CountArg(call, 1, 1);
    const std::size_t count = call.Present(2) ? CountArg(call, 2, 0) : text.size();
    return Value::Str(Chars(text, start - 1, count));
}

Value Evaluator::FnLen(const CallSite& call)
{
    return Value::Num(static_cast<double>(CharStarts(TextArg(call, 0)).size() - 1));
}

// InStr([start,] text, sought): the position of the first SOUGHT at or after START (1 by
// default), 0 when there is none; an empty SOUGHT is found at START.
Value Evaluator::FnInStr(const CallSite& call)
{
    const bool withStart = call.args.size() == 3;
    const std::size_t start = withStart ? CountArg(call, 0, 1) : 1;
    std::string text = TextArg(call, withStart ? 1 : 0);
    std::string sought = TextArg(call, withStart ? 2 : 1);
    std::vector<std::size_t> starts = CharStarts(text);
    const std::size_t length = starts.size() - 1;
    if (start > length + 1)
        return Value::Num(0);
    const std::size_t found = text.find(sought, starts[start - 1]);
    if (found == std::string::npos)
        return Value::Num(0);
    const auto at = std::lower_bound(starts.begin(), starts.end(), found);
    return Value::Num(static_cast<double>(at - starts.begin() + 1));
}

Value Evaluator::FnChangeCase(const CallSite& call)
{
    return Value::Str(ChangeCase(TextArg(call, 0), call.name == "ucase"));
}

Value Evaluator::FnTrim(const CallSite& call)
{
    std::string text = TextArg(call, 0);
    std::size_t from = 0;
    std::size_t to = text.size();
    if (call.name != "rtrim") {
        while (from < to && text[from] == ' ')
            ++from;
    }
    if (call.name != "ltrim") {
        while (to > from && text[to - 1] == ' ')
            --to;
    }
    return Value::Str(text.substr(from, to - from));
}

Value Evaluator::FnCStr(const CallSite& call)
{
    return Value::Str(TextArg(call, 0));
}

// Format(value [, format]): a number through the format string (the formats of cell values:
// named ones such as "Percent", or patterns such as "#,##0.00"); a text stays as it is, an
// empty cell gives the empty text.
Value Evaluator::FnFormat(const CallSite& call)
{
    Value v = Scalar(Eval(*call.args[0]), *call.args[0]);
    std::string pattern = call.Present(1) ? TextArg(call, 1) : std::string();
    switch (v.kind) {
    case VK::Number:
    case VK::Bool:
        return Value::Str(ValueFormatter::Format(v.number, pattern));
    case VK::String:
        return v;
    default:
        return Value::Str({});
    }
}

std::vector<FunctionEntry> StringFunctions()
{
    return {
        {"left", 2, 2, &Evaluator::FnLeftRight},
        {"right", 2, 2, &Evaluator::FnLeftRight},
        {"mid", 2, 3, &Evaluator::FnMid},
        {"len", 1, 1, &Evaluator::FnLen},
        {"instr", 2, 3, &Evaluator::FnInStr},
        {"ucase", 1, 1, &Evaluator::FnChangeCase},
        {"lcase", 1, 1, &Evaluator::FnChangeCase},
        {"trim", 1, 1, &Evaluator::FnTrim},
        {"ltrim", 1, 1, &Evaluator::FnTrim},
        {"rtrim", 1, 1, &Evaluator::FnTrim},
        {"cstr", 1, 1, &Evaluator::FnCStr},
        {"format", 1, 2, &Evaluator::FnFormat},
        {"strtomember", 1, 2, &Evaluator::FnStrToMember},
        {"strtoset", 1, 2, &Evaluator::FnStrToSet},
        {"strtotuple", 1, 2, &Evaluator::FnStrToTuple},
    };
}

} // namespace olap::eval
