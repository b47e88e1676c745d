#include "olap/query/eval/EvalTypes.h"

#include "olap/mdx/MdxPrinter.h"
#include "olap/query/MdxError.h"
#include "olap/util/NameUtil.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <pthread.h>

namespace olap::eval {

std::uintptr_t StackLimit()
{
    thread_local const std::uintptr_t limit = [] {
        std::uintptr_t low = 0;
#ifdef __linux__
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* address = nullptr;
            std::size_t size = 0;
            if (pthread_attr_getstack(&attr, &address, &size) == 0 && size > kStackReserve)
                low = reinterpret_cast<std::uintptr_t>(address) + kStackReserve;
            pthread_attr_destroy(&attr);
        }
#endif
        return low;
    }();
    return limit;
}

std::string BytesText(std::uint64_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

int ClampInt(double v)
{
    return std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, -1e9, 1e9));
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

[[noreturn]] void Fail(const SourcePosition& pos, const std::string& description, const std::string& token)
{
    throw MdxError(
        "Error at line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column) + ": " + description,
        pos, token);
}

[[noreturn]] void FailName(const SourcePosition& pos, const std::string& description, const std::string& token)
{
    throw MdxError("Name error at line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column) + ": "
            + description,
        pos, token);
}

std::string TextOf(const Expr& e)
{
    std::string text = mdx::ToMdx(e);
    if (text.size() > 60)
        text = text.substr(0, 57) + "...";
    return text;
}

std::string IdentifierText(const Expr& e)
{
    std::string text;
    for (const mdx::IdentifierSegment& s : e.segments) {
        if (!text.empty())
            text += '.';
        if (s.quoting == SegmentQuoting::Key) {
            for (const std::string& k : s.keys) {
                text += '&';
                text += BracketName(k);
            }
        } else {
            text += BracketName(s.name);
        }
    }
    return text;
}

void AppendPointer(std::string& key, const void* p)
{
    key.append(reinterpret_cast<const char*>(&p), sizeof p);
}

std::string PointerBytes(const void* p)
{
    std::string s(sizeof p, '\0');
    std::memcpy(s.data(), &p, sizeof p);
    return s;
}

void PreOrder(const Member* m, std::vector<const Member*>& out)
{
    out.push_back(m);
    for (const Member* child : m->Children())
        PreOrder(child, out);
}

Value MemberList(const std::vector<MemberRef>& refs)
{
    TupleSet out;
    for (const MemberRef& r : refs) {
        if (!r.IsNull())
            out.push_back(Tuple {r});
    }
    return Value::OfSet(std::move(out));
}

} // namespace olap::eval
