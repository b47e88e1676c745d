#include "control/pivot/model/PivotShowAs.h"

#include "control/pivot/model/MdxNames.h"

#include <array>

namespace pivot {

namespace {

struct ModeInfo {
    PivotShowAs::Mode mode;
    const char* name;
    const char* label;
    const char* suffix;
};

constexpr std::array<ModeInfo, 12> kModes {{
    {PivotShowAs::Mode::Normal, "", "No Calculation", ""},
    {PivotShowAs::Mode::PercentOfGrandTotal, "PercentOfGrandTotal", "% of Grand Total", "% of grand total"},
    {PivotShowAs::Mode::PercentOfColumnTotal, "PercentOfColumnTotal", "% of Column Total", "% of column total"},
    {PivotShowAs::Mode::PercentOfRowTotal, "PercentOfRowTotal", "% of Row Total", "% of row total"},
    {PivotShowAs::Mode::PercentOfParentRowTotal, "PercentOfParentRowTotal", "% of Parent Row Total",
        "% of parent row total"},
    {PivotShowAs::Mode::PercentOfParentColumnTotal, "PercentOfParentColumnTotal", "% of Parent Column Total",
        "% of parent column total"},
    {PivotShowAs::Mode::DifferenceFrom, "DifferenceFrom", "Difference From...", "difference"},
    {PivotShowAs::Mode::PercentDifferenceFrom, "PercentDifferenceFrom", "% Difference From...", "% difference"},
    {PivotShowAs::Mode::RunningTotal, "RunningTotal", "Running Total In...", "running total"},
    {PivotShowAs::Mode::PercentRunningTotal, "PercentRunningTotal", "% Running Total In...", "% running total"},
    {PivotShowAs::Mode::Rank, "Rank", "Rank Largest to Smallest...", "rank"},
    {PivotShowAs::Mode::Index, "Index", "Index", "index"},
}};

const ModeInfo& Info(PivotShowAs::Mode mode)
{
    for (const ModeInfo& info : kModes) {
        if (info.mode == mode)
            return info;
    }
    return kModes.front();
}

constexpr const char* kModeElement = "ShowAs";
constexpr const char* kFieldElement = "ShowAsBaseField";
constexpr const char* kItemElement = "ShowAsBaseItem";

} // namespace

bool PivotShowAs::NeedsBaseField(Mode mode)
{
    switch (mode) {
    case Mode::DifferenceFrom:
    case Mode::PercentDifferenceFrom:
    case Mode::RunningTotal:
    case Mode::PercentRunningTotal:
    case Mode::Rank:
        return true;
    default:
        return false;
    }
}

bool PivotShowAs::NeedsBaseItem(Mode mode)
{
    return mode == Mode::DifferenceFrom || mode == Mode::PercentDifferenceFrom;
}

bool PivotShowAs::IsPercent(Mode mode)
{
    switch (mode) {
    case Mode::PercentOfGrandTotal:
    case Mode::PercentOfColumnTotal:
    case Mode::PercentOfRowTotal:
    case Mode::PercentOfParentRowTotal:
    case Mode::PercentOfParentColumnTotal:
    case Mode::PercentDifferenceFrom:
    case Mode::PercentRunningTotal:
        return true;
    default:
        return false;
    }
}

std::vector<PivotShowAs::Mode> PivotShowAs::Modes()
{
    std::vector<Mode> modes;
    modes.reserve(kModes.size());
    for (const ModeInfo& info : kModes)
        modes.push_back(info.mode);
    return modes;
}

std::string PivotShowAs::ModeName(Mode mode)
{
    return Info(mode).name;
}

bool PivotShowAs::ParseMode(const std::string& name, Mode& mode)
{
    if (name.empty())
        return false;
    for (const ModeInfo& info : kModes) {
        if (name == info.name) {
            mode = info.mode;
            return true;
        }
    }
    return false;
}

std::string PivotShowAs::Label(Mode mode)
{
    return Info(mode).label;
}

std::string PivotShowAs::Suffix(Mode mode)
{
    return Info(mode).suffix;
}

std::string PivotShowAs::Description() const
{
    switch (mode) {
    case Mode::Normal:
        return {};
    case Mode::DifferenceFrom:
    case Mode::PercentDifferenceFrom: {
        const std::string what = mode == Mode::DifferenceFrom ? "difference from " : "% difference from ";
        if (item == Item::Named)
            return what + baseMember + " in " + baseFieldSet;
        return what + "the " + (item == Item::Previous ? "previous" : "next") + " item of " + baseFieldSet;
    }
    case Mode::RunningTotal:
    case Mode::PercentRunningTotal:
        return Suffix(mode) + " in " + baseFieldSet;
    case Mode::Rank:
        return "rank in " + baseFieldSet + ", largest first";
    default:
        return Suffix(mode);
    }
}

std::string PivotShowAs::ItemText() const
{
    switch (item) {
    case Item::Previous:
        return "Previous";
    case Item::Next:
        return "Next";
    case Item::Named:
        return baseMember;
    }
    return {};
}

void PivotShowAs::SetItemText(const std::string& text)
{
    if (text == "Previous") {
        item = Item::Previous;
        baseMember.clear();
    } else if (text == "Next") {
        item = Item::Next;
        baseMember.clear();
    } else {
        item = Item::Named;
        baseMember = text;
    }
}

std::string PivotShowAs::Problem() const
{
    if (NeedsBaseField() && baseFieldSet.empty())
        return "show-as mode " + ModeName(mode) + " needs a base field (x:ShowAsBaseField)";
    if (!baseFieldSet.empty() && !MdxNames::IsUniqueName(baseFieldSet))
        return "show-as base field '" + baseFieldSet + "' is not a unique name such as [Time]";
    if (NeedsBaseItem() && item == Item::Named && !MdxNames::IsUniqueName(baseMember))
        return "show-as base item '" + baseMember + "' is not Previous, Next or a member's unique name";
    return {};
}

bool PivotShowAs::IsElement(const std::string& local)
{
    return local == kModeElement || local == kFieldElement || local == kItemElement;
}

std::string PivotShowAs::Read(const std::string& local, const std::string& text)
{
    if (local == kModeElement) {
        if (!ParseMode(text, mode))
            return "show-as mode '" + text + "' is not one this version knows";
    } else if (local == kFieldElement) {
        if (!MdxNames::IsUniqueName(text))
            return "show-as base field '" + text + "' is not a unique name such as [Time]";
        baseFieldSet = text;
    } else if (local == kItemElement) {
        SetItemText(text);
        if (item == Item::Named && !MdxNames::IsUniqueName(baseMember))
            return "show-as base item '" + text + "' is not Previous, Next or a member's unique name";
    }
    return {};
}

std::vector<std::pair<std::string, std::string>> PivotShowAs::Elements() const
{
    std::vector<std::pair<std::string, std::string>> elements;
    if (!IsActive())
        return elements;
    elements.emplace_back(kModeElement, ModeName(mode));
    if (NeedsBaseField() || !baseFieldSet.empty())
        elements.emplace_back(kFieldElement, baseFieldSet);
    if (NeedsBaseItem())
        elements.emplace_back(kItemElement, ItemText());
    return elements;
}

} // namespace pivot
