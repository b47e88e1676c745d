#pragma once

#include "control/pivot/model/PivotMemberFilter.h"

#include <QAbstractItemModel>

#include <string>
#include <unordered_map>
#include <vector>

namespace olap::adomd {
class Level;
class Member;
} // namespace olap::adomd

namespace pivot {

//! The members of a field set as a check tree for its member filter: the members of the first
//! field shown at the top, their children below. Nodes are made when the view asks for them
//! and a tree view paints only the visible rows, so a level of any size opens at once.
//!
//! Check states are kept as a default (everything in or everything out) plus the members the
//! user set otherwise; a member's state is that of its nearest set ancestor, and a member
//! with descendants set the other way is partly checked. Search switches to a flat list of
//! the members whose caption contains the text, at most MaxMatches() of them.
class PivotMemberCheckModel : public QAbstractItemModel {
    Q_OBJECT
public:
    //! The tree under TOPLEVEL (the level of the field set's first shown field), checked as
    //! FILTER says.
    PivotMemberCheckModel(
        const olap::adomd::Level& topLevel, const PivotMemberFilter& filter, QObject* parent = nullptr);

    //! Shows only the members whose caption contains TEXT (any case); empty shows the tree.
    void SetSearch(const QString& text);
    const QString& Search() const { return m_search; }
    //! Whether the search found more members than it lists.
    bool MatchesCut() const { return m_matchesCut; }
    static constexpr int MaxMatches() { return 1000; }

    //! Checks or clears every member listed: the whole tree, or the search's matches.
    void SetAllChecked(bool checked);
    //! Qt::Checked when every listed member is in, Qt::Unchecked when none, else partly.
    Qt::CheckState AllState() const;
    //! The member filter the checks give: none when everything is in, otherwise the shorter
    //! of an include list and an exclude list. NOTHING is set when no member is in at all.
    PivotMemberFilter Filter(bool* nothing = nullptr) const;
    //! The state of the member UNIQUENAME (Unchecked for an unknown name).
    Qt::CheckState StateOf(const std::string& uniqueName) const;
    //! The number of members at the top that are in, wholly or partly.
    int CheckedTopCount() const;
    int TopCount() const { return static_cast<int>(m_roots.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void checksChanged();

private:
    using Member = olap::adomd::Member;
    const Member* MemberOf(const QModelIndex& index) const;
    const std::vector<const Member*>& ChildrenOf(const Member* member) const;
    int RowOf(const Member* member) const;
    bool IsRoot(const Member* member) const;
    bool IsAncestor(const Member* ancestor, const Member* member) const;
    bool Effective(const Member* member) const;
    Qt::CheckState State(const Member* member) const;
    void Set(const Member* member, bool checked);
    void Collect(const Member* member, bool wanted, std::vector<std::string>& out) const;
    void NotifyAll();

    const olap::adomd::Level* m_level;
    std::vector<const Member*> m_roots;
    std::unordered_map<const Member*, int> m_rootRow;
    bool m_default = true;
    std::unordered_map<const Member*, bool> m_override;
    QString m_search;
    std::vector<const Member*> m_matches;
    bool m_matchesCut = false;
};

} // namespace pivot
