#include "olap/query/eval/Evaluator.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"

#include <algorithm>
#include <cmath>
#include <span>

// Member properties (the Properties function and DIMENSION PROPERTIES on axes) and CELL
// PROPERTIES.

namespace olap::eval {

std::optional<Value> Evaluator::IntrinsicProperty(const MemberRef& m, const std::string& name)
{
    const Member* stored = m.m ? m.m : m.c ? m.c->visualOf : nullptr;
    if (name == "key" || name == "member_key")
        return Value::Str(stored ? stored->Key() : m.Name());
    if (name == "name" || name == "member_name")
        return Value::Str(m.Name());
    if (name == "caption" || name == "member_caption")
        return Value::Str(m.Caption());
    if (name == "member_unique_name")
        return Value::Str(m.UniqueName());
    if (name == "level_number")
        return Value::Num(m.Depth());
    if (name == "level_unique_name")
        return Value::Str(m.Lvl() ? m.Lvl()->UniqueName() : std::string());
    if (name == "parent_unique_name")
        return Value::Str(m.Parent() ? m.Parent()->UniqueName() : std::string());
    if (name == "parent_level")
        return Value::Num(m.Parent() ? m.Parent()->Depth() : 0);
    if (name == "children_cardinality")
        return Value::Num(static_cast<double>(stored ? stored->Children().size() : 0));
    if (name == "member_ordinal")
        return Value::Num(stored ? stored->Ordinal() : 0);
    if (name == "hierarchy_unique_name")
        return Value::Str(m.Hier()->UniqueName());
    if (name == "dimension_unique_name")
        return Value::Str(m.Hier()->GetDimension().UniqueName());
    if (name == "member_type")
        // 1 regular, 2 all, 3 measure, 4 formula (the OLE DB for OLAP codes).
        return Value::Num(m.c && !m.c->visualOf         ? 4
                : m.Hier()->GetDimension().IsMeasures() ? 3
                : stored && stored->IsAll()             ? 2
                                                        : 1);
    return std::nullopt;
}

// A member property the schema defines on the member's level (NAME in any case): a number on
// a Numeric or Integer property (as Mondrian answers it; with TYPED too), else its text; an
// empty numeric value is an empty cell. Nullopt when the level has no such property.
std::optional<Value> Evaluator::UserProperty(const MemberRef& m, const std::string& name, bool typed)
{
    const Member* stored = m.m ? m.m : m.c ? m.c->visualOf : nullptr;
    if (!stored)
        return std::nullopt;
    const Level& level = stored->GetLevel();
    const int index = level.PropertyIndex(name);
    if (index < 0)
        return std::nullopt;
    const std::string& text = stored->PropertyValues()[static_cast<std::size_t>(index)];
    if (!typed || !level.Properties()[static_cast<std::size_t>(index)].Numeric())
        return Value::Str(text);
    if (text.empty())
        return Value {};
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    return *end == '\0' ? Value::Num(number) : Value::Str(text);
}

// True when a level of H (any hierarchy when null; only LEVEL when given) defines the member
// property NAME.
bool Evaluator::UserPropertyDefined(const std::string& name, const Hierarchy* h, const Level* level) const
{
    for (const Hierarchy* candidate : m_hierarchies) {
        if (h && candidate != h)
            continue;
        for (const Level* l : candidate->Levels()) {
            if ((!level || l == level) && l->PropertyIndex(name) >= 0)
                return true;
        }
    }
    return false;
}

// DIMENSION PROPERTIES of AXIS: each name is a property of every member (PARENT_UNIQUE_NAME)
// or, qualified by a dimension, hierarchy or level, of its members only ([Product].[Category].
// [MEMBER_CAPTION]); every member of every position gets a value per name.
void Evaluator::AddMemberProperties(
    const mdx::AxisSpec& spec, const TupleSet& set, const std::vector<std::size_t>& kept, CellSet::Axis& axis)
{
    if (spec.dimensionProperties.empty())
        return;
    struct Wanted {
        std::string name;
        const Hierarchy* hierarchy = nullptr;
        const Level* level = nullptr;
    };
    std::vector<Wanted> wanted;
    for (const mdx::ExprPtr& p : spec.dimensionProperties) {
        Wanted w;
        w.name = Lower(p->segments.back().name);
        const std::string written = p->segments.size() == 1 ? p->segments[0].name : IdentifierText(*p);
        static const char* const kNames[] = {"key", "member_key", "name", "member_name", "caption", "member_caption",
            "member_unique_name", "level_number", "level_unique_name", "parent_unique_name", "parent_level",
            "children_cardinality", "member_ordinal", "hierarchy_unique_name", "dimension_unique_name", "member_type"};
        const bool intrinsic = std::find_if(std::begin(kNames), std::end(kNames), [&](const char* n) {
            return w.name == n;
        }) != std::end(kNames);
        if (!intrinsic && !UserPropertyDefined(w.name, nullptr, nullptr))
            FailName(p->position, "unknown member property '" + written + "'", written);
        if (p->segments.size() > 1) {
            mdx::Expr owner;
            owner.segments.assign(p->segments.begin(), p->segments.end() - 1);
            const std::string ownerName = IdentifierText(owner);
            if (const Level* l = m_cube.FindLevel(ownerName))
                w.level = l;
            else if (const Hierarchy* h = m_cube.FindHierarchy(ownerName))
                w.hierarchy = h;
            else if (const Dimension* d = m_cube.FindDimension(p->segments.front().name); d && p->segments.size() == 2)
                w.hierarchy = &d->DefaultHierarchy();
            else {
                std::string message = "unknown dimension, hierarchy or level '";
                message += ownerName;
                message += "' in ";
                message += written;
                FailName(p->position, message, ownerName);
            }
            if (!intrinsic && !UserPropertyDefined(w.name, w.level ? nullptr : w.hierarchy, w.level))
                FailName(p->position,
                    "no level of " + ownerName + " has the member property '" + p->segments.back().name + "'", written);
        }
        axis.properties.push_back(written);
        wanted.push_back(std::move(w));
    }
    // The values belong to the member, so each member of the axis' member table is done once.
    std::vector<bool> done(axis.positions.Members().size(), false);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const Tuple& t = set[kept[i]];
        const std::span<const std::uint32_t> numbers = axis.positions[i].Numbers();
        for (std::size_t k = 0; k < t.size(); ++k) {
            if (done[numbers[k]])
                continue;
            done[numbers[k]] = true;
            CellSet::Member& shown = axis.positions.MemberAt(numbers[k]);
            for (const Wanted& w : wanted) {
                const bool applies
                    = (!w.level || t[k].Lvl() == w.level) && (!w.hierarchy || t[k].Hier() == w.hierarchy);
                std::optional<Value> v = applies ? IntrinsicProperty(t[k], w.name) : std::nullopt;
                if (applies && !v)
                    v = UserProperty(t[k], w.name, false);
                shown.properties.push_back(!v   ? std::string()
                        : v->kind == VK::String ? v->text
                                                : FormatNumber(v->number));
            }
        }
    }
}

// CELL PROPERTIES: checks the names and fills the properties beyond VALUE and FORMATTED_VALUE
// that are asked for, evaluating each kept cell's context once more.
void Evaluator::AddCellProperties(const mdx::SelectStatement& select, const std::vector<TupleSet>& sets,
    const std::vector<std::vector<std::size_t>>& kept, CellSet& cs)
{
    static const char* const kKnown[] = {"VALUE", "FORMATTED_VALUE", "CELL_ORDINAL", "FORMAT_STRING", "FORE_COLOR",
        "BACK_COLOR", "FONT_NAME", "FONT_SIZE", "FONT_FLAGS", "LANGUAGE", "ACTION_TYPE", "UPDATEABLE"};
    bool formatString = false;
    bool colours = false;
    for (const mdx::ExprPtr& p : select.cellProperties) {
        std::string name = IdentifierText(*p);
        if (p->segments.size() == 1)
            name = p->segments[0].name;
        std::string upper = name;
        for (char& c : upper)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        if (std::find_if(std::begin(kKnown), std::end(kKnown), [&](const char* k) { return upper == k; })
            == std::end(kKnown))
            FailName(p->position, "unknown cell property '" + name + "'", name);
        formatString = formatString || upper == "FORMAT_STRING";
        colours = colours || upper == "FORE_COLOR" || upper == "BACK_COLOR";
        cs.cellProperties.push_back(std::move(upper));
    }
    if (!formatString && !colours)
        return;
    cs.cellFormats.resize(cs.cells.size());
    WithPrefetch([&] {
        for (std::size_t ordinal = 0; ordinal < cs.cells.size(); ++ordinal) {
            CheckCancelled();
            std::size_t rest = ordinal;
            Tuple tuple;
            for (std::size_t a = 0; a < sets.size(); ++a) {
                const Tuple& t = sets[a][kept[a][rest % kept[a].size()]];
                rest /= kept[a].size();
                tuple.insert(tuple.end(), t.begin(), t.end());
            }
            Scope scope(*this, tuple);
            CellSet::CellFormat& cell = cs.cellFormats[ordinal];
            if (formatString)
                cell.formatString = FormatStringInContext();
            if (colours) {
                cell.foreColor = CellColour(&CalcMember::foreColor);
                cell.backColor = CellColour(&CalcMember::backColor);
            }
        }
    });
}

// The colour the calculated member with the highest solve order that sets one computes at the
// current context; nullopt when none sets it or it is empty.
std::optional<double> Evaluator::CellColour(const Expr* CalcMember::*which)
{
    const CalcMember* best = nullptr;
    for (const Slot& s : m_context) {
        if (s.member.c && s.member.c->*which && (!best || s.member.c->solveOrder > best->solveOrder))
            best = s.member.c;
    }
    if (!best)
        return std::nullopt;
    const Expr& e = *(best->*which);
    std::optional<double> v = NumberOf(e);
    if (v && !std::isfinite(*v))
        return std::nullopt;
    return v;
}

} // namespace olap::eval
