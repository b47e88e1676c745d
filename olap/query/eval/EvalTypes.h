#pragma once

// The values, members and helpers every part of the MDX evaluator shares (internal to
// olap/query; the public entry point is MdxEvaluator).

#include "olap/mdx/Expr.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olap::eval {

using mdx::BinaryOperator;
using mdx::Expr;
using mdx::ExprKind;
using mdx::SegmentQuoting;
using mdx::SourcePosition;

constexpr int kMaxCalcDepth = 64;
//! Expression levels evaluated inside one another (formulas of calculated members included).
//! A level costs up to ~27 KB of stack in a sanitizer build, so the deepest query fits the
//! stack MdxEvaluator::kStackBytes asks for.
constexpr int kMaxExprDepth = 256;
//! Stack kept free below the deepest evaluation level for the work it calls (aggregation,
//! sorting, error reports).
constexpr std::uintptr_t kStackReserve = std::uintptr_t {256} * 1024;

// The lowest stack address evaluation may reach on the calling thread (its stack's end plus
// kStackReserve); 0 when the thread's stack cannot be found out.
std::uintptr_t StackLimit();
constexpr int kMaxPrefetchRounds = 8;
//! Longest text value a query may build (concatenation, Generate): a formula that doubles a
//! text gets a clear error instead of eating the memory.
constexpr std::size_t kMaxTextBytes = 1'000'000;

// BYTES as "64 KiB", "1024 MiB" (whole units) or a number of bytes.
std::string BytesText(std::uint64_t bytes);

// A number from a query as an int: NaN is 0, the range is limited to +-1e9 (no overflow).
int ClampInt(double v);

std::string Lower(std::string_view text);

[[noreturn]] void Fail(const SourcePosition& pos, const std::string& description, const std::string& token);

[[noreturn]] void FailName(const SourcePosition& pos, const std::string& description, const std::string& token);

std::string TextOf(const Expr& e);

std::string IdentifierText(const Expr& e);

// A calculated member of this query (WITH MEMBER) or of the cube's schema.
struct CalcMember {
    std::string name;
    std::string uniqueName;
    std::string caption;
    const Hierarchy* hierarchy = nullptr;
    const Member* parent = nullptr;
    const Level* level = nullptr;
    const Expr* formula = nullptr;
    int solveOrder = 0;
    std::string formatString;
    bool hasFormat = false;
    int order = 0;
    //! For a member VisualTotals made: the stored member it shows (same unique name).
    const Member* visualOf = nullptr;
    //! FORE_COLOR and BACK_COLOR of the definition, computed per cell (nullptr: not set).
    const Expr* foreColor = nullptr;
    const Expr* backColor = nullptr;
};

// A member as the evaluator sees it: a stored member, a calculated one, or null (the
// member before the first, the parent of a top member).
struct MemberRef {
    const Member* m = nullptr;
    const CalcMember* c = nullptr;

    bool IsNull() const { return !m && !c; }
    bool operator==(const MemberRef&) const = default;
    const Hierarchy* Hier() const { return m ? &m->GetHierarchy() : c ? c->hierarchy : nullptr; }
    const std::string& UniqueName() const { return m ? m->UniqueName() : c->uniqueName; }
    const std::string& Name() const { return m ? m->Name() : c->name; }
    const std::string& Caption() const { return m ? m->Caption() : c->caption; }
    const Level* Lvl() const { return m ? &m->GetLevel() : c->level; }
    int Depth() const { return m ? m->Depth() : (c->level ? c->level->Depth() : 0); }
    const Member* Parent() const { return m ? m->Parent() : c->parent; }
};

using Tuple = std::vector<MemberRef>;
using TupleSet = std::vector<Tuple>;

enum class VK { Empty, Missing, Number, String, Bool, Member, Tuple, Set, Level, Hierarchy, Dimension, Word };

struct Value {
    VK kind = VK::Empty;
    double number = 0;
    std::string text;
    MemberRef member;
    Tuple tuple;
    TupleSet set;
    const Level* level = nullptr;
    const Hierarchy* hierarchy = nullptr;
    const Dimension* dimension = nullptr;

    static Value Num(double v)
    {
        Value r;
        r.kind = VK::Number;
        r.number = v;
        return r;
    }
    static Value OptNum(std::optional<double> v) { return v ? Num(*v) : Value {}; }
    static Value Str(std::string s)
    {
        Value r;
        r.kind = VK::String;
        r.text = std::move(s);
        return r;
    }
    static Value Boolean(bool b)
    {
        Value r;
        r.kind = VK::Bool;
        r.number = b ? 1 : 0;
        return r;
    }
    static Value Mem(MemberRef m)
    {
        Value r;
        r.kind = VK::Member;
        r.member = m;
        return r;
    }
    static Value OfLevel(const Level* l)
    {
        Value r;
        r.kind = VK::Level;
        r.level = l;
        return r;
    }
    static Value OfHierarchy(const Hierarchy* h)
    {
        Value r;
        r.kind = VK::Hierarchy;
        r.hierarchy = h;
        return r;
    }
    static Value OfSet(TupleSet s)
    {
        Value r;
        r.kind = VK::Set;
        r.set = std::move(s);
        return r;
    }
};

// The member a hierarchy is at in the current evaluation context. MULTI (from a set
// slicer or Aggregate) restricts the stored cells to rows under any of its members.
struct Slot {
    MemberRef member;
    const std::vector<const Member*>* multi = nullptr;
};

void AppendPointer(std::string& key, const void* p);

//! A cell's key within one query: addresses (and small tagged numbers), one word each.
using CellKey = std::vector<std::uintptr_t>;

struct CellKeyHash {
    std::size_t operator()(const CellKey& words) const noexcept
    {
        std::uint64_t h = 1469598103934665603ULL;
        for (std::uintptr_t w : words) {
            h ^= static_cast<std::uint64_t>(w) >> 3 ^ static_cast<std::uint64_t>(w);
            h *= 1099511628211ULL;
        }
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

std::string PointerBytes(const void* p);

void PreOrder(const Member* m, std::vector<const Member*>& out);

// The members of REFS that are not null, as a set of one-member tuples.
Value MemberList(const std::vector<MemberRef>& refs);

// The first member of T, null for an empty tuple.
inline MemberRef FirstMember(const Tuple& t)
{
    return t.empty() ? MemberRef {} : t[0];
}

} // namespace olap::eval
