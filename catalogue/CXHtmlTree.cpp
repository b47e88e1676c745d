#include "catalogue/CXHtmlTree.h"

#include "catalogue/CXHtmlTreeNotify.h"
#include "catalogue/XHtmlTreeMessage.h"
#include "uikit/CXHtmlItemDelegate.h"
#include "uikit/CXHtmlMarkup.h"
#include "uikit/CXNamedColors.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace {

constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kStateRole = Qt::UserRole + 2;
constexpr int kDragTimerMs = 100;
constexpr int kHoverExpandMs = 1000;

QColor ToQColor(std::int32_t value)
{
    const COLORREF rgb = CXNamedColors::ToRgb(static_cast<COLORREF>(value));
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

} // namespace

CXHtmlTree::CXHtmlTree(QWidget* parent, bool checkBoxes) : QTreeWidget(parent), m_checkBoxes(checkBoxes)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setItemDelegate(new CXHtmlItemDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Dragging is the tree's own (see BeginDrag), not the item view's.
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setDragEnabled(false);
    m_dragTimer.setInterval(kDragTimerMs);
    connect(&m_dragTimer, &QTimer::timeout, this, &CXHtmlTree::OnDragTimer);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (CXHtmlTreeNotify* n = GetNotify()) {
            XHtmlTreeMessage msg = Message(item);
            msg.expanded = true;
            n->OnXHtmlTreeItemExpanded(msg);
        }
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (CXHtmlTreeNotify* n = GetNotify()) {
            n->OnXHtmlTreeItemExpanded(Message(item));
        }
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        XHTMLTREEDATA* data = GetItemData(item);
        if (!m_checkBoxes || data == nullptr || data->bSeparator != 0)
            return;
        const bool checked = item->checkState(0) == Qt::Checked;
        if (checked == (data->bChecked != 0))
            return;
        data->bChecked = checked ? 1 : 0;
        item->setData(0, kStateRole, (checked ? 2 : 1) + (data->bEnabled == 0 ? 4 : 0));
        if (CXHtmlTreeNotify* n = GetNotify()) {
            XHtmlTreeMessage msg = Message(item);
            msg.checked = checked;
            n->OnXHtmlTreeCheckboxClicked(msg);
        }
    });
}

CXHtmlTree::~CXHtmlTree()
{
    m_emptying = true;
    clear();
    m_records.clear();
}

void CXHtmlTree::Initialize()
{
    DeleteAllItems();
    m_checkBoxes = false;
    m_tooltips = true;
    m_itemImages = true;
    m_dragOps = kDefaultDragOps;
    if (CXHtmlTreeNotify* n = GetNotify())
        n->OnXHtmlTreeInitTooltip(Message(nullptr));
}

void CXHtmlTree::SetImageList(std::optional<QList<QIcon>> images)
{
    m_imageList = std::move(images);
    for (QTreeWidgetItem* item = GetRootItem(); item != nullptr; item = GetNextItem(item)) {
        const int image = GetItemImage(item);
        const bool shown = m_itemImages && m_imageList && image >= 0 && image < m_imageList->size();
        item->setIcon(0, shown ? m_imageList->at(image) : QIcon());
    }
}

CXHtmlTreeNotify* CXHtmlTree::GetNotify() const
{
    if (m_notify != nullptr)
        return m_notify;
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* n = dynamic_cast<CXHtmlTreeNotify*>(w))
            return n;
    }
    return nullptr;
}

XHtmlTreeMessage CXHtmlTree::Message(QTreeWidgetItem* item) const
{
    XHtmlTreeMessage msg;
    msg.tree = const_cast<CXHtmlTree*>(this);
    msg.ctrlId = m_ctrlId;
    msg.item = item;
    return msg;
}

bool CXHtmlTree::Contains(QTreeWidgetItem* item) const
{
    return item != nullptr && item->treeWidget() == this;
}

void CXHtmlTree::ApplyLook(QTreeWidgetItem* item, const XHTMLTREEDATA& data, int image)
{
    item->setData(0, kImageRole, image);
    const bool shown = m_itemImages && m_imageList && image >= 0 && image < m_imageList->size();
    item->setIcon(0, shown ? m_imageList->at(image) : QIcon());
    item->setData(0, CXHtmlItemDelegate::kSeparatorRole, data.bSeparator != 0);
    item->setData(0, CXHtmlItemDelegate::kDisabledRole, data.bEnabled == 0);
    item->setData(0, CXHtmlItemDelegate::kTextColorRole,
        data.crText == XHTMLTREEDATA::kDefaultColor ? QColor() : ToQColor(data.crText));
    item->setData(0, CXHtmlItemDelegate::kTextBackgroundRole,
        data.crTextBackground == XHTMLTREEDATA::kDefaultColor ? QColor() : ToQColor(data.crTextBackground));
}

void CXHtmlTree::SetStateImage(QTreeWidgetItem* item, int state)
{
    item->setData(0, kStateRole, state);
    if (state == 0) {
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setData(0, Qt::CheckStateRole, QVariant());
        return;
    }
    const int base = state > 4 ? state - 4 : state;
    const Qt::CheckState check = base == 2 ? Qt::Checked : (base == 3 ? Qt::PartiallyChecked : Qt::Unchecked);
    Qt::ItemFlags flags = item->flags();
    flags.setFlag(Qt::ItemIsUserCheckable, state <= 4);
    item->setFlags(flags);
    item->setCheckState(0, check);
}

QTreeWidgetItem* CXHtmlTree::InsertItem(
    const QString& text, int image, QTreeWidgetItem* parent, const XHTMLTREEDATA* data, QTreeWidgetItem* after)
{
    if (parent != nullptr && !Contains(parent))
        return nullptr;
    if (after != nullptr && (!Contains(after) || after->parent() != parent))
        return nullptr;
    auto record = std::make_unique<XHTMLTREEDATA>(data != nullptr ? *data : XHTMLTREEDATA {});
    const bool separator = record->bSeparator != 0;

    auto* item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setText(0, separator ? QString() : text);
    ApplyLook(item, *record, separator ? NO_IMAGE : image);
    if (m_checkBoxes && !separator)
        SetStateImage(item, (record->bChecked != 0 ? 2 : 1) + (record->bEnabled == 0 ? 4 : 0));
    // Store the record before the item is in the tree, so that signals the
    // insertion raises find it.
    m_records[item] = std::move(record);
    if (parent == nullptr) {
        const int index = after != nullptr ? indexOfTopLevelItem(after) + 1 : topLevelItemCount();
        insertTopLevelItem(index, item);
    } else {
        const int index = after != nullptr ? parent->indexOfChild(after) + 1 : parent->childCount();
        parent->insertChild(index, item);
    }
    return item;
}

XHTMLTREEDATA* CXHtmlTree::GetItemData(QTreeWidgetItem* item) const
{
    if (item == nullptr || m_emptying)
        return nullptr;
    const auto it = m_records.find(item);
    return it == m_records.end() ? nullptr : it->second.get();
}

QString CXHtmlTree::GetItemText(QTreeWidgetItem* item, bool plain) const
{
    if (item == nullptr)
        return {};
    const QString text = item->text(0);
    return plain ? CXHtmlMarkup::PlainText(text) : text;
}

void CXHtmlTree::SetItemText(QTreeWidgetItem* item, const QString& text)
{
    if (item == nullptr)
        return;
    item->setText(0, text);
    if (XHTMLTREEDATA* data = GetItemData(item))
        data->strPlainText = CXHtmlMarkup::PlainText(text);
}

int CXHtmlTree::GetItemImage(QTreeWidgetItem* item) const
{
    if (item == nullptr)
        return NO_IMAGE;
    const QVariant v = item->data(0, kImageRole);
    return v.isValid() ? v.toInt() : NO_IMAGE;
}

void CXHtmlTree::SetItemNote(QTreeWidgetItem* item, const QString& note, int width)
{
    if (XHTMLTREEDATA* data = GetItemData(item)) {
        data->pszNote = note;
        data->nNoteWidth = width;
    }
}

QString CXHtmlTree::GetItemNote(QTreeWidgetItem* item) const
{
    const XHTMLTREEDATA* data = GetItemData(item);
    return data != nullptr ? data->pszNote : QString();
}

int CXHtmlTree::GetStateImage(QTreeWidgetItem* item) const
{
    return item != nullptr ? item->data(0, kStateRole).toInt() : 0;
}

void CXHtmlTree::SetCheck(QTreeWidgetItem* item, bool checked)
{
    XHTMLTREEDATA* data = GetItemData(item);
    if (data == nullptr || data->bSeparator != 0)
        return;
    data->bChecked = checked ? 1 : 0;
    if (m_checkBoxes) {
        const QSignalBlocker block(this);
        SetStateImage(item, (checked ? 2 : 1) + (data->bEnabled == 0 ? 4 : 0));
    }
}

void CXHtmlTree::AddSeparatorsToAncestors(QTreeWidgetItem* item, int count)
{
    if (count == 0)
        return;
    for (QTreeWidgetItem* p = item->parent(); p != nullptr; p = p->parent()) {
        if (XHTMLTREEDATA* data = GetItemData(p))
            data->nSeparatorCount += count;
    }
}

int CXHtmlTree::SeparatorsInSubtree(QTreeWidgetItem* item) const
{
    int count = 0;
    QList<QTreeWidgetItem*> stack {item};
    while (!stack.isEmpty()) {
        QTreeWidgetItem* it = stack.takeLast();
        if (const XHTMLTREEDATA* data = GetItemData(it); data != nullptr && data->bSeparator != 0)
            ++count;
        for (int i = 0; i < it->childCount(); ++i)
            stack.append(it->child(i));
    }
    return count;
}

bool CXHtmlTree::DeleteItem(QTreeWidgetItem* item)
{
    if (!Contains(item))
        return false;
    if (m_dragItem != nullptr)
        EndDrag();
    AddSeparatorsToAncestors(item, -SeparatorsInSubtree(item));
    // Children go first, deepest first, so that no deletion recurses.
    QList<QTreeWidgetItem*> order {item};
    for (qsizetype i = 0; i < order.size(); ++i) {
        for (int c = 0; c < order[i]->childCount(); ++c)
            order.append(order[i]->child(c));
    }
    for (qsizetype i = order.size() - 1; i >= 0; --i) {
        m_records.erase(order[i]);
        if (m_pressItem == order[i])
            m_pressItem = nullptr;
        delete order[i];
    }
    return true;
}

void CXHtmlTree::DeleteAllItems()
{
    if (m_dragItem != nullptr)
        EndDrag();
    m_pressItem = nullptr;
    m_emptying = true;
    while (topLevelItemCount() > 0) {
        QTreeWidgetItem* top = topLevelItem(topLevelItemCount() - 1);
        QList<QTreeWidgetItem*> order {top};
        for (qsizetype i = 0; i < order.size(); ++i) {
            for (int c = 0; c < order[i]->childCount(); ++c)
                order.append(order[i]->child(c));
        }
        for (qsizetype i = order.size() - 1; i >= 0; --i)
            delete order[i];
    }
    m_records.clear();
    m_emptying = false;
}

void CXHtmlTree::ExpandAll()
{
    setUpdatesEnabled(false);
    QTreeWidgetItem* selected = nullptr;
    const QList<QTreeWidgetItem*> selection = selectedItems();
    if (!selection.isEmpty())
        selected = selection.first();
    else
        selected = GetRootItem();
    expandAll();
    if (selected != nullptr) {
        SelectItem(selected);
        scrollToItem(selected);
    }
    scrollToTop();
    setUpdatesEnabled(true);
}

QTreeWidgetItem* CXHtmlTree::GetNextItem(QTreeWidgetItem* item) const
{
    if (item == nullptr)
        return nullptr;
    if (item->childCount() > 0)
        return item->child(0);
    for (QTreeWidgetItem* it = item; it != nullptr; it = it->parent()) {
        QTreeWidgetItem* parent = it->parent();
        if (parent != nullptr) {
            const int index = parent->indexOfChild(it);
            if (index + 1 < parent->childCount())
                return parent->child(index + 1);
        } else {
            const int index = indexOfTopLevelItem(it);
            if (index >= 0 && index + 1 < topLevelItemCount())
                return topLevelItem(index + 1);
        }
    }
    return nullptr;
}

QTreeWidgetItem* CXHtmlTree::GetPrevItem(QTreeWidgetItem* item) const
{
    if (item == nullptr)
        return nullptr;
    QTreeWidgetItem* parent = item->parent();
    const int index = parent != nullptr ? parent->indexOfChild(item) : indexOfTopLevelItem(item);
    if (index <= 0)
        return parent;
    QTreeWidgetItem* prev = parent != nullptr ? parent->child(index - 1) : topLevelItem(index - 1);
    while (prev->childCount() > 0)
        prev = prev->child(prev->childCount() - 1);
    return prev;
}

int CXHtmlTree::GetItemLevel(QTreeWidgetItem* item)
{
    int level = 0;
    for (QTreeWidgetItem* p = item != nullptr ? item->parent() : nullptr; p != nullptr; p = p->parent())
        ++level;
    return level;
}

void CXHtmlTree::SelectItem(QTreeWidgetItem* item)
{
    if (item == nullptr) {
        clearSelection();
        setCurrentItem(nullptr);
        return;
    }
    setCurrentItem(item);
    item->setSelected(true);
}

bool CXHtmlTree::Matches(QTreeWidgetItem* item, const QString& text, bool matchCase, bool wholeWord) const
{
    return CatalogueDocument::Matches(GetItemText(item, true), text, matchCase, wholeWord);
}

QTreeWidgetItem* CXHtmlTree::FindItem(
    const QString& text, bool matchCase, bool down, bool wholeWord, bool wrap, QTreeWidgetItem* start) const
{
    if (text.isEmpty())
        return nullptr;
    QTreeWidgetItem* first = Contains(start) ? start : GetRootItem();
    QTreeWidgetItem* item = first;
    while (item != nullptr) {
        if (Matches(item, text, matchCase, wholeWord))
            return item;
        item = down ? GetNextItem(item) : GetPrevItem(item);
        if (item == nullptr && wrap) {
            if (down) {
                item = GetRootItem();
            } else {
                item = topLevelItemCount() > 0 ? topLevelItem(topLevelItemCount() - 1) : nullptr;
                while (item != nullptr && item->childCount() > 0)
                    item = item->child(item->childCount() - 1);
            }
        }
        if (item == first)
            break;
    }
    return nullptr;
}

// Catalogue files ---------------------------------------------------------

void CXHtmlTree::PrepareDocument()
{
    m_document.SetImageCount(m_imageList ? std::optional<int>(GetImageCount()) : std::nullopt);
    m_document.SetItemImages(m_itemImages);
}

bool CXHtmlTree::ReadCatalogueFile(const QString& path)
{
    PrepareDocument();
    if (!m_document.ReadFile(path))
        return false;
    ShowDocument();
    return true;
}

void CXHtmlTree::ReadCatalogueText(const char* bytes, qsizetype length)
{
    PrepareDocument();
    m_document.ReadText(bytes, length);
    ShowDocument();
}

void CXHtmlTree::ShowDocument()
{
    m_itemImages = m_document.GetItemImages();
    int counter = 0;
    for (const auto& node : m_document.TopLevel()) {
        if (!InsertNode(*node, nullptr, counter)) {
            m_document.SetReadStop(ReadStop::Refused, counter);
            break;
        }
    }
    // The items live in the tree from now on; the document keeps the file's state.
    m_document.Clear();
}

bool CXHtmlTree::InsertNode(const CatalogueNode& node, QTreeWidgetItem* parent, int& counter)
{
    QTreeWidgetItem* item = InsertItem(node.text, node.image, parent, &node.data);
    if (item == nullptr)
        return false;
    ++counter;
    if (node.data.bSeparator != 0) {
        SetStateImage(item, 0);
        AddSeparatorsToAncestors(item, 1);
    }
    for (const auto& child : node.children) {
        if (!InsertNode(*child, item, counter))
            return false;
    }
    return true;
}

QString CXHtmlTree::BuildItemTag(QTreeWidgetItem* item, const QString& tagName) const
{
    return CatalogueDocument::ItemTag(
        {GetItemLevel(item), GetItemText(item), GetItemData(item), GetItemImage(item)}, tagName);
}

void CXHtmlTree::CollectWriteItems(QTreeWidgetItem* firstItem, std::vector<CatalogueDocument::WriteItem>& items) const
{
    for (QTreeWidgetItem* item = firstItem; item != nullptr; item = GetNextItem(item))
        items.push_back({GetItemLevel(item), GetItemText(item), GetItemData(item), GetItemImage(item)});
}

QByteArray CXHtmlTree::CatalogueBytes(QTreeWidgetItem* firstItem) const
{
    std::vector<CatalogueDocument::WriteItem> items;
    CollectWriteItems(firstItem, items);
    return CatalogueDocument::Encode(items);
}

bool CXHtmlTree::WriteCatalogueFile(QTreeWidgetItem* firstItem, const QString& path)
{
    if (m_document.WriteBytes(path, CatalogueBytes(firstItem)))
        return true;
    // Callers pass over a failed save; the log keeps the reason.
    qWarning("catalogue not saved: %s", qPrintable(m_document.WriteError()));
    return false;
}

CatalogueDocument CXHtmlTree::ToDocument() const
{
    CatalogueDocument document;
    std::vector<CatalogueNode*> parents;
    for (QTreeWidgetItem* item = GetRootItem(); item != nullptr; item = GetNextItem(item)) {
        auto node = std::make_unique<CatalogueNode>();
        node->text = GetItemText(item);
        node->image = GetItemImage(item);
        if (const XHTMLTREEDATA* data = GetItemData(item))
            node->data = *data;
        const int level = GetItemLevel(item);
        parents.resize(static_cast<std::size_t>(level));
        CatalogueNode* added
            = level == 0 ? document.AddTopLevel(std::move(node)) : parents.back()->AddChild(std::move(node));
        parents.push_back(added);
    }
    return document;
}

// Drag and drop -----------------------------------------------------------

bool CXHtmlTree::DecideCopy(bool ctrl) const
{
    bool copy = (m_dragOps & kDragCopyDefault) != 0;
    if ((m_dragOps & kDragCtrlChangesEffect) != 0 && ctrl)
        copy = !copy;
    return copy;
}

bool CXHtmlTree::IsValidDropTarget(QTreeWidgetItem* target) const
{
    if (target == nullptr || m_dragItem == nullptr)
        return false;
    for (QTreeWidgetItem* it = target; it != nullptr; it = it->parent()) {
        if (it == m_dragItem)
            return false;
    }
    return true;
}

void CXHtmlTree::UpdateDragCursor(bool ctrl)
{
    m_dragCopy = DecideCopy(ctrl);
    const QCursor cursor(m_dragCopy ? Qt::DragCopyCursor : Qt::DragMoveCursor);
    if (m_cursorOverridden)
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
    m_cursorOverridden = true;
}

void CXHtmlTree::BeginDrag(QTreeWidgetItem* item, bool ctrl)
{
    m_pressItem = nullptr;
    XHtmlTreeMessage msg = Message(item);
    msg.copy = DecideCopy(ctrl);
    if (CXHtmlTreeNotify* n = GetNotify(); n != nullptr && n->OnXHtmlTreeBeginDrag(msg) != 0)
        return;
    m_dragItem = item;
    m_dropTarget = nullptr;
    m_dragStart.start();
    m_dragTimer.start();
    UpdateDragCursor(ctrl);
    setFocus(Qt::OtherFocusReason);
    viewport()->grabMouse();
    grabKeyboard();
}

void CXHtmlTree::HoverDrag(const QPoint& pos)
{
    m_dragPos = pos;
    QTreeWidgetItem* target = itemAt(pos);
    if (!IsValidDropTarget(target))
        target = nullptr;
    if (target == m_dropTarget)
        return;
    m_hoverStart.start();
    if (target != nullptr) {
        XHtmlTreeMessage msg = Message(m_dragItem);
        msg.dropTarget = target;
        msg.copy = m_dragCopy;
        if (CXHtmlTreeNotify* n = GetNotify(); n != nullptr && n->OnXHtmlTreeDropHover(msg) != 0)
            target = nullptr;
    }
    m_dropTarget = target;
    viewport()->update();
}

void CXHtmlTree::EndDrag()
{
    m_dragTimer.stop();
    if (m_cursorOverridden) {
        QGuiApplication::restoreOverrideCursor();
        m_cursorOverridden = false;
    }
    viewport()->releaseMouse();
    releaseKeyboard();
    m_dragItem = nullptr;
    m_dropTarget = nullptr;
    viewport()->update();
}

void CXHtmlTree::Drop(const QPoint& pos, bool ctrl)
{
    QTreeWidgetItem* dragged = m_dragItem;
    HoverDrag(pos);
    QTreeWidgetItem* target = m_dropTarget;
    const bool copy = DecideCopy(ctrl);
    EndDrag();

    XHtmlTreeMessage msg = Message(dragged);
    msg.dropTarget = target;
    msg.copy = copy;
    CXHtmlTreeNotify* n = GetNotify();
    const int answer = n != nullptr ? n->OnXHtmlTreeEndDrag(msg) : 0;
    if (target == nullptr || answer != 0 || !Contains(dragged) || !Contains(target))
        return;
    QTreeWidgetItem* copied = CopyBranch(dragged, target);
    if (copied == nullptr)
        return;
    AddSeparatorsToAncestors(copied, SeparatorsInSubtree(copied));
    if (!copy)
        DeleteItem(dragged);
    target->setExpanded(true);
    SelectItem(copied);
}

QTreeWidgetItem* CXHtmlTree::CopyBranch(QTreeWidgetItem* source, QTreeWidgetItem* newParent)
{
    const XHTMLTREEDATA* data = GetItemData(source);
    QTreeWidgetItem* copy = InsertItem(GetItemText(source), GetItemImage(source), newParent, data);
    if (copy == nullptr)
        return nullptr;
    if (data != nullptr && data->bSeparator != 0)
        SetStateImage(copy, 0);
    for (int i = 0; i < source->childCount(); ++i)
        CopyBranch(source->child(i), copy);
    return copy;
}

void CXHtmlTree::OnDragTimer()
{
    if (m_dragItem == nullptr)
        return;
    // Scroll when the mouse is near the top or bottom edge.
    const int edge = std::max(8, fontMetrics().height());
    QScrollBar* bar = verticalScrollBar();
    if (m_dragPos.y() < edge)
        bar->setValue(bar->value() - bar->singleStep());
    else if (m_dragPos.y() > viewport()->height() - edge)
        bar->setValue(bar->value() + bar->singleStep());
    // Open a collapsed folder the mouse rests on.
    if (m_dropTarget != nullptr && !m_dropTarget->isExpanded() && m_dropTarget->childCount() > 0
        && m_hoverStart.isValid() && m_hoverStart.elapsed() >= kHoverExpandMs)
        m_dropTarget->setExpanded(true);
}

void CXHtmlTree::mousePressEvent(QMouseEvent* event)
{
    if (m_dragItem != nullptr)
        return;
    m_pressItem = nullptr;
    if (event->button() == Qt::LeftButton) {
        m_pressItem = itemAt(event->position().toPoint());
        m_pressPos = event->position().toPoint();
    }
    QTreeWidget::mousePressEvent(event);
}

void CXHtmlTree::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragItem != nullptr) {
        HoverDrag(pos);
        return;
    }
    if (m_pressItem != nullptr) {
        if ((pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance() && Contains(m_pressItem)) {
            BeginDrag(m_pressItem, (event->modifiers() & Qt::ControlModifier) != 0);
            if (m_dragItem != nullptr)
                HoverDrag(pos);
        }
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CXHtmlTree::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragItem != nullptr) {
        if (event->button() == Qt::LeftButton)
            Drop(event->position().toPoint(), (event->modifiers() & Qt::ControlModifier) != 0);
        return;
    }
    m_pressItem = nullptr;
    QTreeWidget::mouseReleaseEvent(event);
}

void CXHtmlTree::keyPressEvent(QKeyEvent* event)
{
    if (m_dragItem != nullptr) {
        if (event->key() == Qt::Key_Escape) {
            QTreeWidgetItem* dragged = m_dragItem;
            EndDrag();
            if (CXHtmlTreeNotify* n = GetNotify())
                n->OnXHtmlTreeEndDrag(Message(dragged));
        } else if (event->key() == Qt::Key_Control) {
            UpdateDragCursor(true);
        }
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CXHtmlTree::keyReleaseEvent(QKeyEvent* event)
{
    if (m_dragItem != nullptr) {
        if (event->key() == Qt::Key_Control)
            UpdateDragCursor(false);
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

void CXHtmlTree::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    if (m_dropTarget == nullptr)
        return;
    QPainter painter(viewport());
    QColor color = palette().color(QPalette::Highlight);
    painter.setPen(QPen(color, 2));
    color.setAlpha(60);
    painter.setBrush(color);
    painter.drawRect(visualItemRect(m_dropTarget).adjusted(1, 1, -1, -1));
}

bool CXHtmlTree::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QTreeWidgetItem* item = itemAt(help->pos());
        const XHTMLTREEDATA* data = GetItemData(item);
        if (!m_tooltips || data == nullptr || data->pszNote.isEmpty()) {
            // Without a note the item delegate shows the whole name of an elided item.
            return QTreeWidget::viewportEvent(event);
        }
        if (CXHtmlTreeNotify* n = GetNotify())
            n->OnXHtmlTreeDisplayTooltip(Message(item));
        const int width = data->nNoteWidth > 0 ? data->nNoteWidth : kDefaultNoteWidth;
        const QString html = QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                                 .arg(width)
                                 .arg(data->pszNote.toHtmlEscaped());
        QToolTip::showText(help->globalPos(), html, viewport(), visualItemRect(item));
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}
