#include "app/CMainFrame.h"

// The main window's pane clicks and keys, catalogue commands, command
// routing and instance messages; CMainFrame.cpp builds the window.

#include "app/CAboutDlg.h"
#include "app/CCorvaneConfig.h"
#include "app/CLumetraApp.h"
#include "app/COutlookBar.h"
#include "app/ICatalogueDialogs.h"
#include "app/MainFrameIds.h"
#include "app/ResourceStrings.h"
#include "catalogue/CCreateFolderDlg.h"
#include "catalogue/CImportReportDlg.h"
#include "catalogue/CXHtmlTree.h"
#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWndEx.h"
#include "framework/CVisualManager.h"
#include "framework/CommandIds.h"
#include "platform/messages/InstanceMessages.h"
#include "uikit/CXHtmlMarkup.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using namespace mainframe;

QString FolderText(const QString& name)
{
    return QStringLiteral("<font color=\"dodgerblue\">%1</font>").arg(name);
}

} // namespace

// Pane clicks -------------------------------------------------------------

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_navigationBar && event->type() == QEvent::Resize && isVisible() && !m_navigationBar->isFloating())
        m_paneWidthTimer->start();
    if (watched == m_reportsTree || watched == m_favoritesTree) {
        auto* paneTree = static_cast<CXHtmlTree*>(watched);
        if (event->type() == QEvent::KeyPress && OnPaneKey(paneTree, static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::ContextMenu
            && static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
            ShowPaneMenu(paneTree);
            return true;
        }
    }
    CXHtmlTree* tree = nullptr;
    if (m_reportsTree && watched == m_reportsTree->viewport())
        tree = m_reportsTree;
    else if (m_favoritesTree && watched == m_favoritesTree->viewport())
        tree = m_favoritesTree;
    if (tree) {
        if (event->type() == QEvent::MouseButtonPress)
            m_pressPos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            // A drag is the tree's business; only a click opens.
            const bool click = (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance();
            if (mouse->button() == Qt::LeftButton && click)
                OnPaneClick(tree, pos);
            else if (mouse->button() == Qt::RightButton) {
                OnPaneRightClick(tree, pos);
                return true;
            }
        }
    }
    return CMDIFrameWndEx::eventFilter(watched, event);
}

void CMainFrame::OnPaneClick(CXHtmlTree* tree, const QPoint& pos)
{
    m_currentItem = nullptr;
    QTreeWidgetItem* item = tree->itemAt(pos);
    if (!item)
        return;
    tree->SelectItem(item);
    m_currentItem = item;
    if (tree == m_reportsTree)
        OpenFromReports(item);
    else
        OpenFromFavorites(item);
}

void CMainFrame::OnPaneRightClick(CXHtmlTree* tree, const QPoint& pos)
{
    m_currentItem = nullptr;
    if (QTreeWidgetItem* item = tree->itemAt(pos)) {
        tree->SelectItem(item);
        m_currentItem = tree == m_reportsTree ? tree->currentItem() : item;
    }
    QMenu* menu = tree == m_reportsTree ? m_reportsMenu : m_favoritesMenu;
    UpdateCommandUI();
    menu->popup(tree->viewport()->mapToGlobal(pos));
}

bool CMainFrame::OnPaneKey(CXHtmlTree* tree, const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool menuKey = (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier)
        || (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
    const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
    const bool remove = key->key() == Qt::Key_Delete && modifiers == Qt::NoModifier;
    if (!menuKey && !enter && !remove)
        return false;
    if (menuKey) {
        ShowPaneMenu(tree);
        return true;
    }
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.front();
    if (!item)
        return true;
    // As a click does: the selected item becomes the current item.
    m_currentItem = item;
    if (enter) {
        if (tree == m_reportsTree)
            OpenFromReports(item);
        else
            OpenFromFavorites(item);
    } else {
        OnCommand(kDeleteItem);
        UpdateCommandUI();
    }
    return true;
}

void CMainFrame::ShowPaneMenu(CXHtmlTree* tree)
{
    // As a right click on the selected item, with the menu at the item.
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.front();
    m_currentItem = item;
    QPoint pos(tree->viewport()->width() / 4, 0);
    if (item) {
        tree->scrollToItem(item);
        const QRect rect = tree->visualItemRect(item);
        pos = QPoint(rect.left() + std::min(rect.width() / 2, 40), rect.bottom());
    }
    QMenu* menu = tree == m_reportsTree ? m_reportsMenu : m_favoritesMenu;
    UpdateCommandUI();
    menu->popup(tree->viewport()->mapToGlobal(pos));
}

QList<QWidget*> CMainFrame::FocusPanes() const
{
    QList<QWidget*> panes;
    if (m_navigationBar) {
        if (QWidget* page = m_navigationBar->Page(m_navigationBar->CurrentPage()); page && page->isVisible())
            panes.append(page);
        for (int i = 0; i < m_navigationBar->PageCount(); ++i) {
            QWidget* page = m_navigationBar->Page(i);
            if (m_navigationBar->IsPageDetached(i) && page->isVisible() && !panes.contains(page))
                panes.append(page);
        }
    }
    panes.append(CMDIFrameWndEx::FocusPanes());
    return panes;
}

void CMainFrame::SavePaneWidth()
{
    auto* app = CLumetraApp::Instance();
    if (!app || !m_navigationBar || m_navigationBar->isFloating() || !m_navigationBar->isVisible())
        return;
    const int width = m_navigationBar->width();
    if (width == m_savedPaneWidth)
        return;
    if (app->WriteProfileInt(QLatin1String(kProfileSection), QLatin1String(kPaneWidthEntry), width))
        m_savedPaneWidth = width;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    SavePaneWidth();
    CMDIFrameWndEx::closeEvent(event);
}

// Opening -----------------------------------------------------------------

void CMainFrame::OpenFromReports(QTreeWidgetItem* item)
{
    Open(m_reportsTree, item, false);
}

void CMainFrame::OpenFromFavorites(QTreeWidgetItem* item)
{
    Open(m_favoritesTree, item, true);
}

void CMainFrame::Open(CXHtmlTree* tree, QTreeWidgetItem* item, bool favorites)
{
    if (!item || tree->IsEmptying())
        return;
    XHTMLTREEDATA* record = tree->GetItemData(item);
    if (!record)
        return;
    m_openedItem = record;
    m_openedRecord = *record;
    auto* app = CLumetraApp::Instance();
    if (!app)
        return;
    CDocTemplate* docTemplate = nullptr;
    if (IsOlapType(record->Reporttype1) || IsOlapType(record->Reporttype2))
        docTemplate = app->m_pOlapTemplate;
    else if (record->Reporttype1 != 0)
        docTemplate = app->m_pOfficeTemplate;
    if (!docTemplate)
        return;
    CDocument* document = docTemplate->OpenDocumentFile(this);
    if (!document)
        return;
    const InstanceMessages& ids = InstanceMessages::Get();
    if (favorites) {
        if (tree->GetItemData(item))
            document->UpdateAllViews(nullptr, ids.MSG_USER_INST, &m_openedRecord);
    } else {
        document->UpdateAllViews(nullptr, ids.MSG_INST, &m_openedRecord);
    }
}

void CMainFrame::OnOpen(bool requireCurrent)
{
    if (requireCurrent && !m_currentItem)
        return;
    if (IsFavoritesPaneVisible())
        OpenFromFavorites(m_currentItem);
    else
        OpenFromReports(m_currentItem);
}

// Catalogue commands ------------------------------------------------------

QTreeWidgetItem* CMainFrame::InsertReportItem(const QString& text, QTreeWidgetItem* parent, int reportType)
{
    XHTMLTREEDATA record;
    record.bEnabled = 1;
    record.strPlainText = CXHtmlMarkup::PlainText(text);
    const int image = reportType > 6 ? 2 : 1;
    QTreeWidgetItem* item = m_reportsTree->InsertItem(
        text, image < m_reportsTree->GetImageCount() ? image : CXHtmlTree::NO_IMAGE, parent, &record);
    if (item)
        m_reportsTree->SelectItem(item);
    return item;
}

QTreeWidgetItem* CMainFrame::InsertFolderItem(const QString& text, QTreeWidgetItem* parent)
{
    XHTMLTREEDATA record;
    record.bEnabled = 1;
    record.strPlainText = CXHtmlMarkup::PlainText(text);
    return m_reportsTree->InsertItem(text, 0, parent, &record);
}

void CMainFrame::OnCreateReport()
{
    std::unique_ptr<INewReportDialog> dialog = m_newReportDialog ? m_newReportDialog() : nullptr;
    // Always the Reports tree, whichever pane is visible; an item of the
    // other pane cannot be selected there and leaves the selection as it is.
    if (!m_currentItem || m_currentItem->treeWidget() == m_reportsTree)
        m_reportsTree->SelectItem(m_currentItem);
    const QList<QTreeWidgetItem*> selected = m_reportsTree->selectedItems();
    m_currentItem = selected.isEmpty() ? m_reportsTree->GetRootItem() : selected.front();
    if (!dialog || !dialog->Run(this))
        return;
    InsertReportItem(FolderText(dialog->ReportName()), m_currentItem, dialog->ReportType());
}

void CMainFrame::OnCreateFolder()
{
    CCreateFolderDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString text = FolderText(dialog.FolderName());
    if (IsFavoritesPaneVisible()) {
        m_favoritesTree->WriteCatalogueFile(m_favoritesTree->GetRootItem(), FavoritesFile());
        return;
    }
    if (!m_currentItem)
        m_currentItem = m_reportsTree->GetRootItem();
    InsertFolderItem(text, m_currentItem);
    m_reportsTree->WriteCatalogueFile(m_reportsTree->GetRootItem(), ReportCatalogueFile());
}

void CMainFrame::OnDelete()
{
    if (!m_currentItem)
        return;
    const bool favorites = IsFavoritesPaneVisible();
    CXHtmlTree* tree = favorites ? m_favoritesTree : m_reportsTree;
    if (tree->IsEmptying())
        return;
    const XHTMLTREEDATA* record = tree->GetItemData(m_currentItem);
    if (!record)
        return;
    QString question = LoadResourceString(316);
    question.replace(QStringLiteral("%s"), record->strPlainText);
    if (QMessageBox::question(this, LoadResourceString(128), question, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    tree->DeleteItem(m_currentItem);
    m_currentItem = nullptr;
    tree->WriteCatalogueFile(tree->GetRootItem(), favorites ? FavoritesFile() : ReportCatalogueFile());
}

void CMainFrame::OnImportReport()
{
    CImportReportDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnWindowsDialog()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("windowsDialog"));
    dialog.setWindowTitle(LoadResourceString(132).remove(QStringLiteral("...")));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("windowList"));
    const QList<QMdiSubWindow*> windows = MdiArea()->subWindowList();
    for (QMdiSubWindow* window : windows)
        list->addItem(window->windowTitle().isEmpty() ? tr("Report") : window->windowTitle());
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* activate = new QPushButton(tr("&Activate"), &dialog);
    auto* closeWindows = new QPushButton(tr("&Close Window(s)"), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    auto* side = new QVBoxLayout;
    side->addWidget(activate);
    side->addWidget(closeWindows);
    side->addStretch();
    side->addWidget(buttons);
    auto* layout = new QHBoxLayout(&dialog);
    layout->addWidget(list, 1);
    layout->addLayout(side);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(activate, &QPushButton::clicked, &dialog, [&] {
        if (list->currentRow() >= 0 && list->currentRow() < windows.size())
            MdiArea()->setActiveSubWindow(windows[list->currentRow()]);
        dialog.accept();
    });
    connect(closeWindows, &QPushButton::clicked, &dialog, [&] {
        for (QListWidgetItem* item : list->selectedItems()) {
            const int row = list->row(item);
            if (row >= 0 && row < windows.size())
                windows[row]->close();
        }
        dialog.accept();
    });
    dialog.resize(460, 280);
    dialog.exec();
}

// Command routing -----------------------------------------------------------

bool CMainFrame::HandlesCommand(int id) const
{
    switch (id) {
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case kOpenItem:
    case kCreateReport:
    case kCreateFolder:
    case kDeleteItem:
    case kChangeName:
    case cmd::kManagePath:
    case kImportReport:
    case cmd::kWindowManager:
    case cmd::kAppAbout:
    case cmd::kAppExit:
    case kCaptionBar:
    case kStyle:
        return true;
    case cmd::kFileClose:
    case cmd::kWindowNew:
        return MDIGetActive() != nullptr;
    case kOrganizeFavorites:
    case kManageDatasources:
    case kManageDatasourcesMenu:
    case kCreateLocalCube:
        return m_dialogRunners.count(id == kManageDatasourcesMenu ? kManageDatasources : id) != 0;
    default:
        return (id >= CVisualManager::kFirstLook && id <= CVisualManager::kLastLook)
            || CMDIFrameWndEx::HandlesCommand(id);
    }
}

void CMainFrame::OnUpdateCommand(CCmdUI& ui) const
{
    CMDIFrameWndEx::OnUpdateCommand(ui);
    if (ui.id >= CVisualManager::kFirstLook && ui.id <= CVisualManager::kLastLook) {
        const auto* app = CLumetraApp::Instance();
        ui.radio = true;
        ui.checked = app && app->m_nAppLook == ui.id;
    }
}

bool CMainFrame::OnCmdMsg(int id)
{
    if (id >= CVisualManager::kFirstLook && id <= CVisualManager::kLastLook) {
        OnApplicationLook(id);
        return true;
    }
    switch (id) {
    case kOpenItem:
        OnOpen(false);
        return true;
    case cmd::kFileOpen:
        OnOpen(true);
        return true;
    case cmd::kFileNew:
    case kCreateReport:
        OnCreateReport();
        return true;
    case kCreateFolder:
        OnCreateFolder();
        return true;
    case kDeleteItem:
        OnDelete();
        return true;
    case kChangeName:
        return true;
    case cmd::kManagePath: {
        CCorvaneConfig dialog(this);
        dialog.exec();
        return true;
    }
    case kImportReport:
        OnImportReport();
        return true;
    case kOrganizeFavorites:
    case kManageDatasources:
    case kManageDatasourcesMenu:
    case kCreateLocalCube: {
        const auto runner = m_dialogRunners.find(id == kManageDatasourcesMenu ? kManageDatasources : id);
        if (runner != m_dialogRunners.end())
            runner->second(this);
        return true;
    }
    case cmd::kWindowManager:
        OnWindowsDialog();
        return true;
    case cmd::kAppAbout: {
        CAboutDlg dialog(this);
        dialog.exec();
        return true;
    }
    case cmd::kFileClose:
        if (QMdiSubWindow* active = MdiArea()->activeSubWindow())
            active->close();
        return true;
    case cmd::kWindowNew:
        if (CMDIChildWndEx* active = MDIGetActive(); active && active->GetActiveDocument()) {
            if (CDocTemplate* docTemplate = active->GetActiveDocument()->GetDocTemplate())
                docTemplate->OpenDocumentFile(this);
        }
        return true;
    case cmd::kAppExit:
        close();
        return true;
    case kStyle:
        // The button opens its menu itself; the command (from the keyboard
        // or a menu) opens it below the button.
        if (m_styleButton && m_styleButton->isVisible())
            m_styleMenu->popup(m_styleButton->mapToGlobal(QPoint(0, m_styleButton->height())));
        else if (m_styleMenu)
            m_styleMenu->popup(QCursor::pos());
        return true;
    case kCaptionBar:
        if (centralWidget())
            centralWidget()->updateGeometry();
        return true;
    default:
        return CMDIFrameWndEx::OnCmdMsg(id);
    }
}

// Instance messages ---------------------------------------------------------

bool CMainFrame::UpdateEntry(CXHtmlTree* tree, const QString& file)
{
    const auto* app = CLumetraApp::Instance();
    if (!app || tree->IsEmptying())
        return false;
    const QString name = app->CurrentReportName;
    // An item named exactly as the report wins; only without one does the
    // first whole-word match count, so that saving "Sales" cannot take over
    // the entry of "Sales 2009".
    QTreeWidgetItem* item = nullptr;
    for (QTreeWidgetItem* it = tree->GetRootItem(); it && !name.isEmpty(); it = tree->GetNextItem(it)) {
        if (tree->GetItemText(it, true).left(199) == name) {
            item = it;
            break;
        }
    }
    if (!item)
        item = tree->FindItem(name, true, true, true, false, tree->GetRootItem());
    if (!item)
        return false;
    XHTMLTREEDATA* record = tree->GetItemData(item);
    if (!record)
        return false;
    record->Reporttype1 = app->Reporttype1;
    record->Reporttype2 = app->Reporttype2;
    record->Filename1 = app->Filename1;
    record->Filename2 = app->Filename2;
    tree->WriteCatalogueFile(tree->GetRootItem(), file);
    return true;
}

std::intptr_t CMainFrame::OnMessage(unsigned id, std::uintptr_t, std::intptr_t)
{
    const InstanceMessages& ids = InstanceMessages::Get();
    if (id == ids.MSG_INST_UPDATE) {
        if (IsFavoritesPaneVisible())
            UpdateEntry(m_favoritesTree, FavoritesFile());
        else
            UpdateEntry(m_reportsTree, ReportCatalogueFile());
    } else if (id == ids.MSG_INST_FAVUPDATE) {
        m_favoritesTree->DeleteAllItems();
        m_favoritesTree->ReadCatalogueFile(FavoritesFile());
        m_favoritesTree->ExpandAll();
        ShowCatalogueProblems({m_favoritesTree});
        if (!UpdateEntry(m_favoritesTree, FavoritesFile()))
            UpdateEntry(m_reportsTree, ReportCatalogueFile());
    }
    return 0;
}
