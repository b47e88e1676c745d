#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pivot {

//! How a total's values are shown: as they are, or as a share of, a difference from, a
//! running sum or a rank among other values of the same total. The query computes each
//! shown-as total as a calculated measure over the total's own values, so sorts and colour
//! rules see what the grid shows.
//!
//! Stored in the total as x:ShowAs (the mode), x:ShowAsBaseField (the field set the mode
//! walks or compares along) and x:ShowAsBaseItem (Previous, Next or a member's unique name),
//! each only when the mode needs it.
struct PivotShowAs {
    enum class Mode {
        Normal,
        PercentOfGrandTotal,
        PercentOfColumnTotal,
        PercentOfRowTotal,
        PercentOfParentRowTotal,
        PercentOfParentColumnTotal,
        DifferenceFrom,
        PercentDifferenceFrom,
        RunningTotal,
        PercentRunningTotal,
        Rank,
        Index,
    };
    //! The item a difference is taken from.
    enum class Item { Previous, Next, Named };

    Mode mode = Mode::Normal;
    //! The unique name of the base field set (a hierarchy), for the modes that need one.
    std::string baseFieldSet;
    Item item = Item::Previous;
    //! The unique name of the named base member (Item::Named).
    std::string baseMember;

    bool IsActive() const { return mode != Mode::Normal; }
    bool NeedsBaseField() const { return NeedsBaseField(mode); }
    bool NeedsBaseItem() const { return NeedsBaseItem(mode); }
    //! Whether the values are shares (shown as percentages unless the total has a format).
    bool IsPercent() const { return IsPercent(mode); }

    static bool NeedsBaseField(Mode mode);
    static bool NeedsBaseItem(Mode mode);
    static bool IsPercent(Mode mode);

    //! Every mode, Normal first, in menu order.
    static std::vector<Mode> Modes();
    //! The stored name of MODE ("PercentOfRowTotal"); "" for Normal.
    static std::string ModeName(Mode mode);
    //! The mode stored as NAME; false for a name this version does not know.
    static bool ParseMode(const std::string& name, Mode& mode);
    //! MODE in words for menus ("% of Row Total").
    static std::string Label(Mode mode);
    //! What the mode adds to a total's name, without the base ("% of row total", "rank").
    static std::string Suffix(Mode mode);

    //! The setting in words: "% of row total", "difference from the previous item of [Time]",
    //! "rank in [Product], largest first"; "" for Normal.
    std::string Description() const;

    //! The stored item text: "Previous", "Next" or the member's unique name.
    std::string ItemText() const;
    //! Takes the stored TEXT of x:ShowAsBaseItem.
    void SetItemText(const std::string& text);

    //! "" when the setting can be used, else why not (a mode that needs a base field without
    //! one, a base field or named item that is not a unique name).
    std::string Problem() const;

    //! Whether LOCAL names one of the stored elements.
    static bool IsElement(const std::string& local);
    //! Takes element LOCAL with TEXT. Returns "" or why the text is refused.
    std::string Read(const std::string& local, const std::string& text);
    //! The elements to store as local name and text, in a fixed order; none for Normal.
    std::vector<std::pair<std::string, std::string>> Elements() const;

    bool operator==(const PivotShowAs&) const = default;
};

} // namespace pivot
