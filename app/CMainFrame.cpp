#include "app/CMainFrame.h"

#include "app/CAboutDlg.h"
#include "app/CCorvaneConfig.h"
#include "app/CLumetraApp.h"
#include "app/COutlookBar.h"
#include "app/ICatalogueDialogs.h"
#include "app/ResourceStrings.h"
#include "catalogue/CCreateFolderDlg.h"
#include "catalogue/CImportReportDlg.h"
#include "catalogue/CXHtmlTree.h"
#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWndEx.h"
#include "framework/CRibbonBar.h"
#include "framework/CRibbonCategory.h"
#include "framework/CRibbonPanel.h"
#include "framework/CVisualManager.h"
#include "framework/CommandIds.h"
#include "platform/UserName.h"
#include "platform/messages/InstanceMessages.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Command ids of the window (see also framework/CommandIds.h).
constexpr int kAddFavorite = 321;
constexpr int kAddFavoriteMenu = 32773;
constexpr int kCreateLocalCube = 322;
constexpr int kManageDatasources = 323;
constexpr int kImportReport = 329;
constexpr int kOpenItem = 32774;
constexpr int kCreateFolder = 32776;
constexpr int kChangeName = 32777;
constexpr int kDeleteItem = 32778;
constexpr int kOrganizeFavorites = 32779;
constexpr int kCreateReport = 32780;
constexpr int kManageDatasourcesMenu = 32782;
constexpr int kCaptionBar = 221;
constexpr int kPrintSetup = 57606;
constexpr int kQuickPrint = 57608;
constexpr int kPrintPreview = 57609;
constexpr int kUndo = 57643;
constexpr int kCut = 57635;
constexpr int kCopy = 57634;
constexpr int kPaste = 57637;

constexpr const char* kProfileSection = "Settings";

const char* const kLookTexts[] = {"Windows &2000", "Office &XP", "&Windows XP", "Office 200&3",
    "Visual Studio.NET 200&5", "&Blue Style", "B&lack Style", "&Silver Style", "&Aqua Style"};

QIcon Image(const QString& name)
{
    return name.isEmpty() ? QIcon() : QIcon(QStringLiteral(":/images/%1.svg").arg(name));
}

QString FolderText(const QString& name)
{
    return QStringLiteral("<font color=\"dodgerblue\">%1</font>").arg(name);
}

// Report types 1 to 6 are OLAP reports; compared without sign.
bool IsOlapType(std::int32_t type)
{
    const auto value = static_cast<std::uint32_t>(type);
    return value >= 1 && value <= 6;
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : CMDIFrameWndEx(parent)
{
    setObjectName(QStringLiteral("mainFrame"));
    if (auto* app = CLumetraApp::Instance())
        app->m_nAppLook = app->GetProfileInt(
            QLatin1String(kProfileSection), QStringLiteral("ApplicationLook"), CVisualManager::kDefaultLook);
}

CMainFrame::~CMainFrame() = default;

QString CMainFrame::ReportCatalogueFile() const
{
    const auto* app = CLumetraApp::Instance();
    return (app ? app->DataPath : QString()) + QStringLiteral("Pellamy.xml");
}

QString CMainFrame::FavoritesFile() const
{
    const auto* app = CLumetraApp::Instance();
    return (app ? app->DataPath : QString()) + platform::CurrentUserName().left(255) + QStringLiteral(".xml");
}

bool CMainFrame::LoadFrame()
{
    setWindowTitle(LoadResourceString(128));
    setWindowIcon(QIcon(QStringLiteral(":/images/lumetra.svg")));
    resize(1280, 820);

    const auto* app = CLumetraApp::Instance();
    OnApplicationLook(app ? app->m_nAppLook : CVisualManager::kDefaultLook);
    MdiArea()->setViewMode(QMdiArea::TabbedView);
    MdiArea()->setTabShape(QTabWidget::Rounded);

    CreateRibbon();
    CreateStatusBar();
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
    if (!CreateNavigationBar())
        return false;
    UpdateCommandUI();
    return true;
}

QAction* CMainFrame::Command(int id, const QString& text, const QString& icon, int stringId)
{
    QAction* action = CommandAction(id);
    action->setText(text);
    if (!icon.isEmpty())
        action->setIcon(Image(icon));
    const QString prompt = LoadResourceString(stringId ? stringId : id);
    if (!prompt.isEmpty()) {
        const QStringList parts = prompt.split(QLatin1Char('\n'));
        action->setStatusTip(parts.value(0));
        action->setToolTip(parts.value(1, parts.value(0)));
    }
    return action;
}

void CMainFrame::CreateRibbon()
{
    m_ribbon = new CRibbonBar(this);
    m_ribbon->setProperty("controlId", 59398);
    setMenuWidget(m_ribbon);

    // The application button and its menu.
    m_ribbon->ApplicationButton()->setText(LoadResourceString(260));
    m_ribbon->ApplicationButton()->setToolTip(LoadResourceString(260));
    m_ribbon->ApplicationButton()->setShortcut(QKeySequence(QStringLiteral("Alt+F")));
    auto* appMenu = new QMenu(this);
    appMenu->setObjectName(QStringLiteral("applicationMenu"));
    appMenu->addAction(Command(cmd::kFileNew, tr("&New"), QStringLiteral("new")));
    appMenu->addAction(Command(cmd::kFileOpen, tr("&Open..."), QStringLiteral("open")));
    appMenu->addAction(Command(cmd::kFileSave, tr("&Save"), QStringLiteral("save")));
    appMenu->addAction(Command(cmd::kFileSaveAs, tr("Save &As..."), QStringLiteral("saveas")));
    QMenu* print = appMenu->addMenu(Image(QStringLiteral("print")), tr("&Print"));
    print->setObjectName(QStringLiteral("printMenu"));
    print->addSection(tr("Preview and print the document"));
    print->addAction(Command(kQuickPrint, tr("&Quick Print"), QStringLiteral("quickprint")));
    print->addAction(Command(kPrintPreview, tr("Print Pre&view"), QStringLiteral("preview")));
    print->addAction(Command(kPrintSetup, tr("Print Set&up"), QStringLiteral("printsetup")));
    Command(cmd::kFilePrint, tr("&Print"), QStringLiteral("print"));
    appMenu->addSeparator();
    appMenu->addAction(Command(cmd::kFileClose, tr("&Close"), QStringLiteral("close")));
    appMenu->addSeparator();
    appMenu->addAction(Command(cmd::kAppExit, tr("E&xit"), QStringLiteral("exit")));
    WatchMenu(appMenu);
    WatchMenu(print);
    m_ribbon->SetApplicationMenu(appMenu);

    // Category "Report".
    CRibbonCategory* report = m_ribbon->AddCategory(LoadResourceString(274));
    CRibbonPanel* reportPanel = report->AddPanel(LoadResourceString(318), Image(QStringLiteral("save")));
    reportPanel->AddLargeButton(CommandAction(cmd::kFileSave));
    reportPanel->AddLargeButton(Command(kAddFavorite, tr("Add Favorite"), QStringLiteral("addfavorite")));
    reportPanel->AddLargeButton(Command(kImportReport, tr("Import existing  report"), QStringLiteral("import")));
    CRibbonPanel* windowPanel
        = report->AddPanel(LoadResourceString(284).section(QLatin1Char('\n'), 0, 0), Image(QStringLiteral("windows")));
    auto* windowMenu = new QMenu(this);
    windowMenu->setObjectName(QStringLiteral("windowMenu"));
    windowMenu->addAction(Command(cmd::kWindowNew, tr("&New Window")));
    WatchMenu(windowMenu);
    windowPanel->AddLargeButton(Command(cmd::kWindowManager, LoadResourceString(285).section(QLatin1Char('\n'), 0, 0),
                                    QStringLiteral("windows"), 132),
        windowMenu);

    // Category "Cubes/Sources".
    CRibbonCategory* cubes = m_ribbon->AddCategory(LoadResourceString(324));
    CRibbonPanel* cubesPanel = cubes->AddPanel(LoadResourceString(324), Image(QStringLiteral("localcube")));
    cubesPanel->AddLargeButton(Command(kCreateLocalCube, LoadResourceString(320), QStringLiteral("localcube")));
    cubesPanel->AddLargeButton(Command(cmd::kManagePath, LoadResourceString(326), QStringLiteral("path")));
    cubesPanel->AddSmallButton(Command(kManageDatasources, tr("Manage Datasources"), QStringLiteral("datasources")));

    // The tab row: Style and About.
    auto* styleMenu = new QMenu(this);
    styleMenu->setObjectName(QStringLiteral("styleMenu"));
    const char* const office2007[] = {"Office 2007 (&Blue Style)", "Office 2007 (B&lack Style)",
        "Office 2007 (&Silver Style)", "Office 2007 (&Aqua Style)"};
    for (int i = 0; i < 4; ++i)
        styleMenu->addAction(Command(215 + i, tr(office2007[i])));
    QMenu* allLooks = styleMenu->addMenu(tr("&Application Look"));
    allLooks->setObjectName(QStringLiteral("applicationLookMenu"));
    for (int id = CVisualManager::kFirstLook; id <= CVisualManager::kLastLook; ++id) {
        // The Office 2007 looks have one action each, shown in both menus.
        QAction* look = id >= 215 ? CommandAction(id) : Command(id, tr(kLookTexts[id - CVisualManager::kFirstLook]));
        if (id >= 215) {
            auto* alias = allLooks->addAction(tr(kLookTexts[id - CVisualManager::kFirstLook]));
            alias->setObjectName(QStringLiteral("look%1").arg(id));
            alias->setCheckable(true);
            connect(alias, &QAction::triggered, look, &QAction::trigger);
            connect(look, &QAction::changed, alias, [alias, look] { alias->setChecked(look->isChecked()); });
        } else {
            allLooks->addAction(look);
        }
    }
    WatchMenu(styleMenu);
    WatchMenu(allLooks);
    QAction* style = Command(286, LoadResourceString(286), QStringLiteral("style"), 287);
    style->setToolTip(LoadResourceString(287));
    style->setStatusTip(LoadResourceString(288));
    m_ribbon->AddTabElement(style, styleMenu);
    QAction* about = Command(cmd::kAppAbout, tr("&About Lumetra..."), QStringLiteral("about"));
    about->setIconText(QString());
    QToolButton* aboutButton = m_ribbon->AddTabElement(about);
    aboutButton->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // Quick-access toolbar.
    QToolBar* quick = m_ribbon->QuickAccessToolBar();
    quick->addAction(CommandAction(cmd::kFileNew));
    quick->addAction(CommandAction(cmd::kFileOpen));
    quick->addAction(CommandAction(cmd::kFileSave));
    quick->addAction(CommandAction(kQuickPrint));

    // Accelerators; the editing commands have no handler and stay unavailable.
    CommandAction(cmd::kFileNew)->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    CommandAction(cmd::kFileOpen)->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    CommandAction(cmd::kFileSave)->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    CommandAction(kUndo)->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    CommandAction(kCut)->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Del"))});
    CommandAction(kCopy)->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Ins"))});
    CommandAction(kPaste)->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Ins"))});
    for (int id : {kUndo, kCut, kCopy, kPaste})
        CommandAction(id)->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    // Context menus of the panes.
    m_reportsMenu = new QMenu(this);
    m_reportsMenu->setObjectName(QStringLiteral("reportsMenu"));
    m_reportsMenu->addAction(Command(kOpenItem, tr("&Open"), QStringLiteral("open")));
    m_reportsMenu->addAction(
        Command(kAddFavoriteMenu, tr("Add Favorites"), QStringLiteral("addfavorite"), kAddFavorite));
    m_reportsMenu->addAction(Command(kCreateReport, tr("&Create Report"), QStringLiteral("new"), cmd::kFileNew));
    m_reportsMenu->addAction(Command(kCreateFolder, tr("Create Folder"), QStringLiteral("folder")));
    m_reportsMenu->addAction(
        Command(kManageDatasourcesMenu, tr("Manage datasources"), QStringLiteral("datasources"), kManageDatasources));
    m_reportsMenu->addAction(Command(kDeleteItem, tr("Delete Report/Folder"), QStringLiteral("close")));
    m_favoritesMenu = new QMenu(this);
    m_favoritesMenu->setObjectName(QStringLiteral("favoritesMenu"));
    m_favoritesMenu->addAction(CommandAction(kOpenItem));
    auto* createFolder = m_favoritesMenu->addAction(Image(QStringLiteral("folder")), tr("&Create Folder"));
    connect(createFolder, &QAction::triggered, CommandAction(kCreateFolder), &QAction::trigger);
    m_favoritesMenu->addAction(Command(kChangeName, tr("&Change Name")));
    auto* remove = m_favoritesMenu->addAction(Image(QStringLiteral("close")), tr("&Delete"));
    connect(remove, &QAction::triggered, CommandAction(kDeleteItem), &QAction::trigger);
    m_favoritesMenu->addAction(Command(kOrganizeFavorites, tr("Organize Favorites"), QStringLiteral("favorites")));
    WatchMenu(m_reportsMenu);
    WatchMenu(m_favoritesMenu);

    Command(kCaptionBar, tr("&Caption Bar"));
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setProperty("controlId", 59393);
    for (int id : {120, 121}) {
        auto* pane = new QLabel(LoadResourceString(id + 2), bar);
        pane->setObjectName(QStringLiteral("statusPane%1").arg(id));
        bar->addPermanentWidget(pane);
    }
    bar->showMessage(LoadResourceString(57345));
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(LoadResourceString(57345));
    });
}

bool CMainFrame::CreateNavigationBar()
{
    m_navigationBar = new COutlookBar(this);
    m_navigationBar->SetPagesRenamable(true);
    m_navigationBar->setMinimumWidth(180);
    addDockWidget(Qt::LeftDockWidgetArea, m_navigationBar);
    resizeDocks({m_navigationBar}, {250}, Qt::Horizontal);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);

    m_reportsTree = new CXHtmlTree;
    m_reportsTree->setObjectName(QStringLiteral("reportsTree"));
    m_reportsTree->SetCtrlId(kReportsTreeId);
    m_favoritesTree = new CXHtmlTree;
    m_favoritesTree->setObjectName(QStringLiteral("favoritesTree"));
    m_favoritesTree->SetCtrlId(kFavoritesTreeId);
    for (CXHtmlTree* tree : {m_reportsTree, m_favoritesTree}) {
        tree->SetNotify(this);
        tree->setHeaderHidden(true);
        tree->setRootIsDecorated(true);
        tree->viewport()->installEventFilter(this);
    }
    m_navigationBar->AddPage(
        m_reportsTree, LoadResourceString(253), Image(QStringLiteral("reports")), Image(QStringLiteral("reports")));
    m_navigationBar->AddPage(m_favoritesTree, LoadResourceString(308), Image(QStringLiteral("favorites")),
        Image(QStringLiteral("favorites")));
    const auto* app = CLumetraApp::Instance();
    m_navigationBar->SetAnimation(
        app ? app->GetProfileInt(QLatin1String(kProfileSection), QStringLiteral("OutlookAnimation"), 1) != 0 : true);
    LoadCatalogueTrees();
    return true;
}

void CMainFrame::LoadCatalogueTrees()
{
    const QList<QIcon> images {
        Image(QStringLiteral("folder")), Image(QStringLiteral("olapreport")), Image(QStringLiteral("officedoc"))};
    m_favoritesTree->Initialize();
    m_reportsTree->Initialize();
    m_favoritesTree->SetImageList(images);
    m_reportsTree->SetImageList(images);
    m_reportsTree->ReadCatalogueFile(ReportCatalogueFile());
    m_reportsTree->ExpandAll();
    m_favoritesTree->DeleteAllItems();
    m_favoritesTree->ReadCatalogueFile(FavoritesFile());
    m_favoritesTree->ExpandAll();
    ShowCatalogueProblems({m_reportsTree, m_favoritesTree});
}

void CMainFrame::ShowCatalogueProblems(std::initializer_list<CXHtmlTree*> trees)
{
    QStringList problems;
    for (CXHtmlTree* tree : trees) {
        if (const QString problem = tree->GetLoadProblem(); !problem.isEmpty())
            problems << problem;
    }
    if (problems.isEmpty())
        return;
    auto* box = new QMessageBox(
        QMessageBox::Warning, windowTitle(), problems.join(QStringLiteral("\n\n")), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("catalogueProblemBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

bool CMainFrame::IsFavoritesPaneVisible() const
{
    return m_favoritesTree && m_favoritesTree->isVisible();
}

void CMainFrame::SetDialogRunner(int commandId, std::function<void(QWidget*)> runner)
{
    m_dialogRunners[commandId] = std::move(runner);
}

void CMainFrame::OnApplicationLook(int id)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    id = CVisualManager::Apply(id);
    if (auto* app = CLumetraApp::Instance()) {
        app->m_nAppLook = id;
        app->WriteProfileInt(QLatin1String(kProfileSection), QStringLiteral("ApplicationLook"), id);
    }
    if (MdiArea())
        MdiArea()->setBackground(QApplication::palette().color(QPalette::Dark));
    update();
    QApplication::restoreOverrideCursor();
}

// Pane clicks -------------------------------------------------------------

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
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
        return id >= CVisualManager::kFirstLook && id <= CVisualManager::kLastLook;
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
    case kCaptionBar:
        if (centralWidget())
            centralWidget()->updateGeometry();
        return true;
    default:
        return false;
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
