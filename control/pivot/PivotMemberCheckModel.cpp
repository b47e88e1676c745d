#include "control/pivot/PivotMemberCheckModel.h"

#include "olap/adomd/Level.h"
#include "olap/adomd/Member.h"

#include <algorithm>
#include <unordered_set>

namespace pivot {

PivotMemberCheckModel::PivotMemberCheckModel(
    const olap::adomd::Level& topLevel, const PivotMemberFilter& filter, QObject* parent)
    : QAbstractItemModel(parent), m_level(&topLevel), m_roots(topLevel.Members())
{
    for (std::size_t i = 0; i < m_roots.size(); ++i)
        m_rootRow.emplace(m_roots[i], static_cast<int>(i));
    if (!filter.IsActive() || filter.members.empty())
        return;
    // The filter's members are found among the tree's by unique name; a name the cube no
    // longer has is dropped (it kept or hid nothing).
    std::unordered_set<std::string> names(filter.members.begin(), filter.members.end());
    std::vector<const Member*> found;
    std::vector<const Member*> stack(m_roots.rbegin(), m_roots.rend());
    while (!stack.empty() && found.size() < names.size()) {
        const Member* member = stack.back();
        stack.pop_back();
        if (names.count(member->UniqueName()))
            found.push_back(member);
        for (auto it = member->Children().rbegin(); it != member->Children().rend(); ++it)
            stack.push_back(*it);
    }
    // Include: the default is out and the listed members are in; Exclude the other way.
    // Ancestors of the filter's members were not listed and follow from their children.
    const bool include = filter.mode == PivotMemberFilter::Mode::Include;
    m_default = !include;
    for (const Member* member : found) {
        // A member below another listed one adds nothing.
        const bool covered = std::any_of(found.begin(), found.end(),
            [&](const Member* other) { return other != member && IsAncestor(other, member); });
        if (!covered)
            m_override[member] = include;
    }
}

bool PivotMemberCheckModel::IsRoot(const Member* member) const
{
    return &member->GetLevel() == m_level;
}

bool PivotMemberCheckModel::IsAncestor(const Member* ancestor, const Member* member) const
{
    for (const Member* m = member->Parent(); m; m = m->Parent()) {
        if (m == ancestor)
            return true;
        if (IsRoot(m))
            break;
    }
    return false;
}

bool PivotMemberCheckModel::Effective(const Member* member) const
{
    for (const Member* m = member; m; m = m->Parent()) {
        const auto it = m_override.find(m);
        if (it != m_override.end())
            return it->second;
        if (IsRoot(m))
            break;
    }
    return m_default;
}

Qt::CheckState PivotMemberCheckModel::State(const Member* member) const
{
    const bool on = Effective(member);
    for (const auto& [other, value] : m_override) {
        if (value != on && IsAncestor(member, other))
            return Qt::PartiallyChecked;
    }
    return on ? Qt::Checked : Qt::Unchecked;
}

void PivotMemberCheckModel::Set(const Member* member, bool checked)
{
    for (auto it = m_override.begin(); it != m_override.end();) {
        if (IsAncestor(member, it->first))
            it = m_override.erase(it);
        else
            ++it;
    }
    m_override.erase(member);
    if (Effective(member) != checked)
        m_override[member] = checked;
}

void PivotMemberCheckModel::NotifyAll()
{
    // The states of ancestors and descendants change with one check; the views repaint what
    // they show.
    if (!m_roots.empty() || !m_matches.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    emit checksChanged();
}

void PivotMemberCheckModel::SetSearch(const QString& text)
{
    beginResetModel();
    m_search = text.trimmed();
    m_matches.clear();
    m_matchesCut = false;
    if (!m_search.isEmpty()) {
        std::vector<const Member*> stack(m_roots.rbegin(), m_roots.rend());
        while (!stack.empty()) {
            const Member* member = stack.back();
            stack.pop_back();
            if (QString::fromStdString(member->Caption()).contains(m_search, Qt::CaseInsensitive)) {
                if (static_cast<int>(m_matches.size()) == MaxMatches()) {
                    m_matchesCut = true;
                    break;
                }
                m_matches.push_back(member);
            }
            for (auto it = member->Children().rbegin(); it != member->Children().rend(); ++it)
                stack.push_back(*it);
        }
    }
    endResetModel();
}

void PivotMemberCheckModel::SetAllChecked(bool checked)
{
    if (m_search.isEmpty()) {
        m_override.clear();
        m_default = checked;
    } else {
        for (const Member* member : m_matches)
            Set(member, checked);
    }
    NotifyAll();
}

Qt::CheckState PivotMemberCheckModel::AllState() const
{
    const auto& listed = m_search.isEmpty() ? m_roots : m_matches;
    bool any = false;
    bool all = true;
    for (const Member* member : listed) {
        const Qt::CheckState state = State(member);
        any = any || state != Qt::Unchecked;
        all = all && state == Qt::Checked;
    }
    return all && !listed.empty() ? Qt::Checked : any ? Qt::PartiallyChecked : Qt::Unchecked;
}

int PivotMemberCheckModel::CheckedTopCount() const
{
    return static_cast<int>(
        std::count_if(m_roots.begin(), m_roots.end(), [&](const Member* m) { return State(m) != Qt::Unchecked; }));
}

Qt::CheckState PivotMemberCheckModel::StateOf(const std::string& uniqueName) const
{
    std::vector<const Member*> stack(m_roots.begin(), m_roots.end());
    while (!stack.empty()) {
        const Member* member = stack.back();
        stack.pop_back();
        if (member->UniqueName() == uniqueName)
            return State(member);
        stack.insert(stack.end(), member->Children().begin(), member->Children().end());
    }
    return Qt::Unchecked;
}

void PivotMemberCheckModel::Collect(const Member* member, bool wanted, std::vector<std::string>& out) const
{
    const Qt::CheckState state = State(member);
    if (state == Qt::PartiallyChecked) {
        for (const Member* child : member->Children())
            Collect(child, wanted, out);
    } else if ((state == Qt::Checked) == wanted) {
        out.push_back(member->UniqueName());
    }
}

PivotMemberFilter PivotMemberCheckModel::Filter(bool* nothing) const
{
    std::vector<std::string> in;
    std::vector<std::string> out;
    for (const Member* root : m_roots) {
        Collect(root, true, in);
        Collect(root, false, out);
    }
    if (nothing)
        *nothing = in.empty();
    if (out.empty())
        return {};
    if (in.size() <= out.size())
        return {PivotMemberFilter::Mode::Include, std::move(in)};
    return {PivotMemberFilter::Mode::Exclude, std::move(out)};
}

const PivotMemberCheckModel::Member* PivotMemberCheckModel::MemberOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<const Member*>(index.internalPointer()) : nullptr;
}

const std::vector<const olap::adomd::Member*>& PivotMemberCheckModel::ChildrenOf(const Member* member) const
{
    return member ? member->Children() : m_roots;
}

int PivotMemberCheckModel::RowOf(const Member* member) const
{
    if (!m_search.isEmpty()) {
        const auto it = std::find(m_matches.begin(), m_matches.end(), member);
        return static_cast<int>(it - m_matches.begin());
    }
    if (IsRoot(member))
        return m_rootRow.at(member);
    const auto& siblings = member->Parent()->Children();
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), member) - siblings.begin());
}

QModelIndex PivotMemberCheckModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0 || row >= rowCount(parent))
        return {};
    const Member* member = m_search.isEmpty() ? ChildrenOf(MemberOf(parent))[static_cast<std::size_t>(row)]
                                              : m_matches[static_cast<std::size_t>(row)];
    return createIndex(row, 0, const_cast<Member*>(member));
}

QModelIndex PivotMemberCheckModel::parent(const QModelIndex& child) const
{
    const Member* member = MemberOf(child);
    if (!member || !m_search.isEmpty() || IsRoot(member) || !member->Parent())
        return {};
    const Member* up = member->Parent();
    return createIndex(RowOf(up), 0, const_cast<Member*>(up));
}

int PivotMemberCheckModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!m_search.isEmpty())
        return parent.isValid() ? 0 : static_cast<int>(m_matches.size());
    return static_cast<int>(ChildrenOf(MemberOf(parent)).size());
}

int PivotMemberCheckModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool PivotMemberCheckModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant PivotMemberCheckModel::data(const QModelIndex& index, int role) const
{
    const Member* member = MemberOf(index);
    if (!member)
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        QString caption = QString::fromStdString(member->Caption());
        // A search hit names its parent, so equal captions under different parents differ.
        if (!m_search.isEmpty() && !IsRoot(member) && member->Parent())
            caption += QStringLiteral("  (") + QString::fromStdString(member->Parent()->Caption()) + QLatin1Char(')');
        return caption;
    }
    case Qt::ToolTipRole:
        return QString::fromStdString(member->UniqueName());
    case Qt::CheckStateRole:
        return static_cast<int>(State(member));
    default:
        return {};
    }
}

bool PivotMemberCheckModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const Member* member = MemberOf(index);
    if (!member || role != Qt::CheckStateRole)
        return false;
    Set(member, static_cast<Qt::CheckState>(value.toInt()) != Qt::Unchecked);
    NotifyAll();
    return true;
}

Qt::ItemFlags PivotMemberCheckModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

} // namespace pivot
