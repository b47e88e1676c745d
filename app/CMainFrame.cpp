#include "app/CMainFrame.h"

#include "app/CLumetraApp.h"
#include "app/COutlookBar.h"
#include "app/MainFrameIds.h"
#include "app/ResourceStrings.h"
#include "catalogue/CXHtmlTree.h"
#include "framework/CRibbonBar.h"
#include "framework/CRibbonCategory.h"
#include "framework/CRibbonPanel.h"
#include "framework/CVisualManager.h"
#include "framework/CommandIds.h"
#include "platform/UserName.h"
#include "platform/messages/InstanceMessages.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

using namespace mainframe;

constexpr int kFrameAllowance = 32;
constexpr int kDefaultPaneWidth = 250;

const char* const kLookTexts[] = {"Windows &2000", "Office &XP", "&Windows XP", "Office 200&3",
    "Visual Studio.NET 200&5", "&Blue Style", "B&lack Style", "&Silver Style", "&Aqua Style"};

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
    SetFrameTitle(LoadResourceString(128));
    setWindowIcon(QIcon(QStringLiteral(":/images/lumetra.svg")));

    const auto* app = CLumetraApp::Instance();
    OnApplicationLook(app ? app->m_nAppLook : CVisualManager::kDefaultLook);
    MdiArea()->setViewMode(QMdiArea::TabbedView);
    MdiArea()->setTabShape(QTabWidget::Rounded);

    CreateRibbon();
    CreateStatusBar();
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks | QMainWindow::AllowNestedDocks);
    if (!CreateNavigationBar())
        return false;
    FitToScreen();
    UpdateCommandUI();
    return true;
}

void CMainFrame::FitToScreen()
{
    // The preferred size, but never more than the screen offers: at 150 %
    // scaling a 1280 x 820 window would not fit a 1920 x 1080 screen.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    QSize size(1280, 820);
    if (!screen) {
        resize(size);
        return;
    }
    const QRect available = screen->availableGeometry();
    // Room for the window frame, which is not known before the window is shown.
    const QSize room = available.size() - QSize(kFrameAllowance, 2 * kFrameAllowance);
    size = size.boundedTo(room).expandedTo(minimumSizeHint().boundedTo(room));
    resize(size);
    move(available.left() + (available.width() - size.width()) / 2,
        available.top() + (available.height() - size.height() - kFrameAllowance) / 2);
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
    QAction* style = Command(kStyle, LoadResourceString(286), QStringLiteral("style"), 287);
    style->setToolTip(LoadResourceString(287));
    style->setStatusTip(LoadResourceString(288));
    m_styleMenu = styleMenu;
    m_styleButton = m_ribbon->AddTabElement(style, styleMenu);
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
    CommandAction(cmd::kNextPane)->setShortcut(QKeySequence(Qt::Key_F6));
    CommandAction(cmd::kPrevPane)->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));

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
    const auto* profile = CLumetraApp::Instance();
    m_savedPaneWidth = profile
        ? profile->GetProfileInt(QLatin1String(kProfileSection), QLatin1String(kPaneWidthEntry), kDefaultPaneWidth)
        : kDefaultPaneWidth;
    if (m_savedPaneWidth < m_navigationBar->minimumWidth())
        m_savedPaneWidth = kDefaultPaneWidth;
    resizeDocks({m_navigationBar}, {m_savedPaneWidth}, Qt::Horizontal);
    // The width the user drags the bar to is kept once the dragging rests.
    m_paneWidthTimer = new QTimer(this);
    m_paneWidthTimer->setSingleShot(true);
    m_paneWidthTimer->setInterval(500);
    connect(m_paneWidthTimer, &QTimer::timeout, this, &CMainFrame::SavePaneWidth);
    m_navigationBar->installEventFilter(this);
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
        tree->installEventFilter(this);
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
