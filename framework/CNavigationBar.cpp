#include "framework/CNavigationBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kSlideMs = 180;

} // namespace

CNavigationBar::CNavigationBar(const QString& caption, QWidget* parent)
    : QDockWidget(caption, parent), m_header(new QLabel), m_pages(new QStackedWidget), m_buttons(new QVBoxLayout),
      m_smallButtons(new QHBoxLayout)
{
    setObjectName(QStringLiteral("navigationBar"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

    auto* body = new QWidget;
    body->setObjectName(QStringLiteral("navigationBarBody"));
    m_header->setObjectName(QStringLiteral("navigationBarHeader"));
    m_pages->setObjectName(QStringLiteral("navigationPages"));
    m_buttons->setSpacing(0);
    m_buttons->setContentsMargins(0, 0, 0, 0);

    auto* smallBar = new QWidget;
    smallBar->setObjectName(QStringLiteral("navigationSmallBar"));
    smallBar->setAttribute(Qt::WA_StyledBackground);
    m_smallButtons->setParent(nullptr);
    smallBar->setLayout(m_smallButtons);
    m_smallButtons->setContentsMargins(4, 1, 4, 1);
    m_smallButtons->setSpacing(2);
    m_smallButtons->addStretch();

    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_pages, 1);
    layout->addLayout(m_buttons);
    layout->addWidget(smallBar);
    setWidget(body);
}

int CNavigationBar::AddPage(QWidget* page, const QString& title, const QIcon& largeImage, const QIcon& smallImage)
{
    const int index = static_cast<int>(m_info.size());
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("pageButton%1").arg(index));
    button->setProperty("navigationPageButton", true);
    button->setText(title);
    button->setIcon(largeImage);
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setCheckable(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, [this, index] { SetCurrentPage(index); });
    connect(button, &QToolButton::customContextMenuRequested, this,
        [this, index, button](const QPoint& pos) { ShowPageMenu(index, button->mapToGlobal(pos)); });
    m_buttons->addWidget(button);

    auto* small = new QToolButton;
    small->setObjectName(QStringLiteral("smallPageButton%1").arg(index));
    small->setIcon(smallImage.isNull() ? largeImage : smallImage);
    small->setIconSize(QSize(16, 16));
    small->setAutoRaise(true);
    small->setToolTip(title);
    connect(small, &QToolButton::clicked, this, [this, index] { SetCurrentPage(index); });
    m_smallButtons->addWidget(small);

    m_pages->addWidget(page);
    m_info.append(PageInfo {page, title, button, small, nullptr});
    if (m_current < 0)
        SetCurrentPage(index);
    return index;
}

int CNavigationBar::PageCount() const
{
    return static_cast<int>(m_info.size());
}

QWidget* CNavigationBar::Page(int index) const
{
    return index >= 0 && index < PageCount() ? m_info[index].page : nullptr;
}

QString CNavigationBar::PageTitle(int index) const
{
    return index >= 0 && index < PageCount() ? m_info[index].title : QString();
}

QToolButton* CNavigationBar::PageButton(int index) const
{
    return index >= 0 && index < PageCount() ? m_info[index].button : nullptr;
}

void CNavigationBar::SetCurrentPage(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    if (IsPageDetached(index)) {
        m_info[index].floating->raise();
        m_info[index].floating->activateWindow();
        return;
    }
    QWidget* previous = m_pages->currentWidget();
    const bool changed = index != m_current;
    m_current = index;
    for (int i = 0; i < PageCount(); ++i)
        m_info[i].button->setChecked(i == index);
    m_header->setText(m_info[index].title);
    if (m_animation && changed && previous && isVisible())
        Slide(previous, m_info[index].page);
    else
        m_pages->setCurrentWidget(m_info[index].page);
    if (changed)
        emit currentPageChanged(index);
}

void CNavigationBar::Slide(QWidget* from, QWidget* to)
{
    // The new page rises from below over a picture of the old one.
    const QPixmap old = from->grab();
    m_pages->setCurrentWidget(to);
    auto* cover = new QLabel(m_pages);
    cover->setPixmap(old);
    cover->setGeometry(0, 0, m_pages->width(), m_pages->height());
    cover->show();
    auto* animation = new QPropertyAnimation(cover, "pos", cover);
    animation->setDuration(kSlideMs);
    animation->setStartValue(QPoint(0, 0));
    animation->setEndValue(QPoint(0, -m_pages->height()));
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QPropertyAnimation::finished, cover, &QObject::deleteLater);
    animation->start();
}

void CNavigationBar::BeginRename(int index)
{
    if (!m_renamable || index < 0 || index >= PageCount())
        return;
    FinishRename(false);
    QToolButton* button = m_info[index].button;
    m_renaming = index;
    m_editor = new QLineEdit(m_info[index].title, button);
    m_editor->setObjectName(QStringLiteral("pageRenameEdit"));
    m_editor->setGeometry(button->rect().adjusted(30, 3, -3, -3));
    m_editor->selectAll();
    m_editor->installEventFilter(this);
    m_editor->show();
    m_editor->setFocus();
    connect(m_editor, &QLineEdit::returnPressed, this, [this] { FinishRename(true); });
}

void CNavigationBar::FinishRename(bool keep)
{
    if (!m_editor)
        return;
    QLineEdit* editor = m_editor;
    const int index = m_renaming;
    m_editor = nullptr;
    m_renaming = -1;
    const QString title = editor->text().trimmed();
    editor->removeEventFilter(this);
    editor->deleteLater();
    if (keep && !title.isEmpty())
        RenamePage(index, title);
}

void CNavigationBar::RenamePage(int index, const QString& title)
{
    if (index < 0 || index >= PageCount() || title.isEmpty())
        return;
    PageInfo& info = m_info[index];
    info.title = title;
    info.button->setText(title);
    info.smallButton->setToolTip(title);
    if (info.floating)
        info.floating->setWindowTitle(title);
    if (index == m_current)
        m_header->setText(title);
    emit pageRenamed(index, title);
}

bool CNavigationBar::IsPageDetached(int index) const
{
    return index >= 0 && index < PageCount() && m_info[index].floating != nullptr;
}

void CNavigationBar::DetachPage(int index)
{
    if (index < 0 || index >= PageCount() || IsPageDetached(index))
        return;
    PageInfo& info = m_info[index];
    auto* dock = new QDockWidget(info.title, parentWidget());
    dock->setObjectName(QStringLiteral("detachedPage%1").arg(index));
    dock->setAttribute(Qt::WA_DeleteOnClose);
    m_pages->removeWidget(info.page);
    dock->setWidget(info.page);
    info.floating = dock;
    info.button->setEnabled(false);
    if (auto* window = qobject_cast<QMainWindow*>(parentWidget()))
        window->addDockWidget(Qt::LeftDockWidgetArea, dock);
    dock->setFloating(true);
    dock->resize(260, 420);
    dock->show();
    connect(dock, &QObject::destroyed, this, [this, index] {
        if (index < PageCount() && m_info[index].floating)
            AttachPage(index);
    });
    // Show another page in the bar.
    for (int i = 0; i < PageCount(); ++i) {
        if (!IsPageDetached(i)) {
            m_current = -1;
            SetCurrentPage(i);
            break;
        }
    }
}

void CNavigationBar::AttachPage(int index)
{
    if (!IsPageDetached(index))
        return;
    PageInfo& info = m_info[index];
    QDockWidget* dock = info.floating;
    info.floating = nullptr;
    if (dock->widget() == info.page)
        dock->setWidget(nullptr);
    m_pages->insertWidget(std::min(index, m_pages->count()), info.page);
    info.page->show();
    info.button->setEnabled(true);
    if (dock && !dock->testAttribute(Qt::WA_WState_Hidden))
        dock->close();
    m_current = -1;
    SetCurrentPage(index);
}

void CNavigationBar::ShowPageMenu(int index, const QPoint& globalPos)
{
    QMenu menu(this);
    QAction* rename = menu.addAction(tr("&Rename"));
    rename->setEnabled(m_renamable);
    QAction* detach = menu.addAction(tr("&Detach"));
    detach->setEnabled(!IsPageDetached(index));
    QAction* chosen = menu.exec(globalPos);
    if (chosen == rename)
        BeginRename(index);
    else if (chosen == detach)
        DetachPage(index);
}

bool CNavigationBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            FinishRename(false);
            return true;
        }
        if (event->type() == QEvent::FocusOut) {
            FinishRename(true);
            return false;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < PageCount(); ++i) {
            if (watched == m_info[i].button) {
                BeginRename(i);
                return true;
            }
        }
    }
    return QDockWidget::eventFilter(watched, event);
}
