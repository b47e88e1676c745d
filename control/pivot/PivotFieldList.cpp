#include "control/pivot/PivotFieldList.h"

#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotSession.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <functional>

namespace pivot {

namespace {

enum Role { KindRole = Qt::UserRole + 1, NameRole, CaptionRole };
//! KindRole of a group heading (Measures, Calculated, a dimension).
constexpr int kGroup = -1;

QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, int kind, const std::string& name, const std::string& caption)
{
    auto* item = new QTreeWidgetItem(parent);
    const QString text = QString::fromStdString(caption.empty() ? name : caption);
    item->setText(0, text);
    item->setData(0, KindRole, kind);
    item->setData(0, NameRole, QString::fromStdString(name));
    item->setData(0, CaptionRole, text);
    if (kind != kGroup) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setToolTip(0, text + QStringLiteral("\n") + QString::fromStdString(name));
    } else {
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    }
    return item;
}

} // namespace

PivotFieldList::PivotFieldList(PivotSession* session, PivotDragController* drag, QWidget* parent)
    : QWidget(parent), m_session(session), m_drag(drag), m_search(new QLineEdit(this)), m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("pivotFieldList"));
    m_search->setObjectName(QStringLiteral("fieldSearchEdit"));
    m_search->setPlaceholderText(tr("Search fields"));
    m_search->setClearButtonEnabled(true);
    m_tree->setObjectName(QStringLiteral("fieldTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setDragEnabled(false);
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_search);
    layout->addWidget(m_tree);
    connect(m_search, &QLineEdit::textChanged, this, &PivotFieldList::ApplySearch);
    connect(m_tree, &QTreeWidget::itemChanged, this, &PivotFieldList::OnItemChanged);
    connect(m_session, &PivotSession::definitionChanged, this, &PivotFieldList::SyncWithDefinition);
    Reload();
}

void PivotFieldList::Reload()
{
    m_syncing = true;
    m_tree->clear();
    const PivotCubeFields& fields = m_drag->CubeFields();
    auto* measures = AddItem(nullptr, kGroup, "[Measures]", tr("Measures").toStdString());
    m_tree->addTopLevelItem(measures);
    for (const auto& measure : fields.measures)
        AddItem(measures, static_cast<int>(PivotFieldDrag::Kind::Measure), measure.uniqueName, measure.caption);
    measures->setExpanded(true);
    for (const auto& dimension : fields.dimensions) {
        auto* dimensionItem = AddItem(nullptr, kGroup, dimension.uniqueName, dimension.caption);
        m_tree->addTopLevelItem(dimensionItem);
        for (const auto& hierarchy : dimension.hierarchies) {
            auto* hierarchyItem = AddItem(dimensionItem, static_cast<int>(PivotFieldDrag::Kind::Hierarchy),
                hierarchy.uniqueName, hierarchy.caption);
            for (const auto& level : hierarchy.levels)
                AddItem(hierarchyItem, static_cast<int>(PivotFieldDrag::Kind::Level), level.uniqueName, level.caption);
        }
        dimensionItem->setExpanded(true);
    }
    m_syncing = false;
    SyncWithDefinition();
    ApplySearch(m_search->text());
}

bool PivotFieldList::ItemField(const QTreeWidgetItem* item, PivotFieldDrag* drag)
{
    if (!item || item->data(0, KindRole).toInt() == kGroup)
        return false;
    drag->kind = static_cast<PivotFieldDrag::Kind>(item->data(0, KindRole).toInt());
    drag->uniqueName = item->data(0, NameRole).toString().toStdString();
    drag->caption = item->data(0, CaptionRole).toString().toStdString();
    drag->sourceArea.reset();
    return true;
}

QTreeWidgetItem* PivotFieldList::FindItem(const std::string& name) const
{
    const QString wanted = QString::fromStdString(name);
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, NameRole).toString().compare(wanted, Qt::CaseInsensitive) == 0
            && (*it)->data(0, KindRole).toInt() != kGroup)
            return *it;
    }
    return nullptr;
}

QRect PivotFieldList::ItemRect(QTreeWidgetItem* item) const
{
    m_tree->scrollToItem(item);
    return m_tree->visualItemRect(item);
}

void PivotFieldList::SyncWithDefinition()
{
    const PivotDefinition& definition = m_session->Definition();
    m_syncing = true;
    // The view's calculated totals are listed under Measures, in a group of their own.
    QTreeWidgetItem* measures = m_tree->topLevelItemCount() > 0 ? m_tree->topLevelItem(0) : nullptr;
    if (measures) {
        QTreeWidgetItem* calculated = nullptr;
        for (int i = 0; i < measures->childCount(); ++i) {
            if (measures->child(i)->data(0, KindRole).toInt() == kGroup)
                calculated = measures->child(i);
        }
        delete calculated;
        calculated = nullptr;
        for (const PivotTotal& total : definition.totals) {
            if (!total.IsCalculated())
                continue;
            if (!calculated)
                calculated = AddItem(measures, kGroup, "", tr("Calculated").toStdString());
            AddItem(calculated, static_cast<int>(PivotFieldDrag::Kind::Total), total.name, total.caption);
            calculated->setExpanded(true);
        }
    }
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        QTreeWidgetItem* item = *it;
        const int kind = item->data(0, KindRole).toInt();
        if (kind == kGroup)
            continue;
        const std::string name = item->data(0, NameRole).toString().toStdString();
        bool used = false;
        switch (static_cast<PivotFieldDrag::Kind>(kind)) {
        case PivotFieldDrag::Kind::Measure:
        case PivotFieldDrag::Kind::Total: {
            const PivotTotal* total = definition.FindTotal(name);
            used = total && total->isIncluded;
            break;
        }
        case PivotFieldDrag::Kind::Hierarchy:
        case PivotFieldDrag::Kind::FieldSet:
            used = definition.FindFieldSet(name) != nullptr;
            break;
        case PivotFieldDrag::Kind::Level: {
            const auto* hierarchy = m_drag->CubeFields().FindLevel(name, nullptr);
            const PivotFieldSet* fieldSet = hierarchy ? definition.FindFieldSet(hierarchy->uniqueName) : nullptr;
            used = fieldSet && fieldSet->FieldIndex(name) >= 0;
            break;
        }
        case PivotFieldDrag::Kind::Values:
            break;
        }
        item->setCheckState(0, used ? Qt::Checked : Qt::Unchecked);
        QFont font = item->font(0);
        font.setBold(used);
        item->setFont(0, font);
    }
    m_syncing = false;
}

void PivotFieldList::ApplySearch(const QString& text)
{
    const QString needle = text.trimmed();
    // Post-order: an item shows when it matches or any child shows, so ancestors of hits stay.
    std::function<bool(QTreeWidgetItem*)> apply = [&](QTreeWidgetItem* item) {
        bool anyChild = false;
        for (int i = 0; i < item->childCount(); ++i)
            anyChild = apply(item->child(i)) || anyChild;
        const bool match = needle.isEmpty() || item->text(0).contains(needle, Qt::CaseInsensitive);
        item->setHidden(!(match || anyChild));
        if (!needle.isEmpty() && anyChild)
            item->setExpanded(true);
        return match || anyChild;
    };
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        apply(m_tree->topLevelItem(i));
}

void PivotFieldList::OnItemChanged(QTreeWidgetItem* item, int)
{
    PivotFieldDrag drag;
    if (m_syncing || !ItemField(item, &drag))
        return;
    const bool checked = item->checkState(0) == Qt::Checked;
    const bool changed = checked ? m_drag->Add(drag) : m_drag->Remove(drag);
    // A check that could not apply (e.g. hiding the last level) springs back.
    if (!changed)
        SyncWithDefinition();
}

void PivotFieldList::OnItemDoubleClicked(QTreeWidgetItem* item, int)
{
    PivotFieldDrag drag;
    if (ItemField(item, &drag))
        m_drag->Add(drag);
    else if (item)
        item->setExpanded(!item->isExpanded());
}

bool PivotFieldList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressedItem = mouse->button() == Qt::LeftButton ? m_tree->itemAt(mouse->position().toPoint()) : nullptr;
        m_pressPosition = mouse->position().toPoint();
        break;
    }
    case QEvent::MouseButtonDblClick: {
        // Handled here rather than through the view's signal, which also wants the press that
        // started the click on the same index.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        if (QTreeWidgetItem* item = m_tree->itemAt(mouse->position().toPoint())) {
            OnItemDoubleClicked(item, 0);
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton) || !m_pressedItem)
            break;
        if (!m_drag->IsDragging()) {
            PivotFieldDrag drag;
            if ((mouse->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance()
                || !ItemField(m_pressedItem, &drag))
                break;
            m_drag->Begin(drag);
        }
        m_drag->Move(mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressedItem = nullptr;
        if (m_drag->IsDragging() && mouse->button() == Qt::LeftButton) {
            m_drag->Finish(mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pivot
