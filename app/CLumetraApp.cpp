#include "app/CLumetraApp.h"

#include "app/CChildFrame.h"
#include "app/CLumetraDoc.h"
#include "app/CMainFrame.h"
#include "app/CNewReportDlg.h"
#include "app/MainFrameIds.h"
#include "app/ResourceStrings.h"
#include "catalogue/CFavOrgDlg.h"
#include "catalogue/CXHtmlTree.h"
#include "framework/CDocTemplate.h"
#include "platform/COXDirSpec.h"
#include "platform/COXRegistryItem.h"
#include "platform/dispatch/ComRuntime.h"
#include "views/CDravikView.h"
#include "views/CLumetraView.h"
#include "views/DManageDS.h"

#include <QCommandLineParser>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kTemplateResource = 130;

} // namespace

// The resources live in a static library: they must be registered by name.
static void InitProgramResources()
{
    Q_INIT_RESOURCE(lumetra);
}

CLumetraApp::CLumetraApp(int& argc, char** argv) : CWinAppEx(argc, argv, QStringLiteral("Lumetra"))
{
    InitProgramResources();
    setApplicationDisplayName(QStringLiteral("Lumetra"));
    setWindowIcon(QIcon(QStringLiteral(":/images/lumetra.svg")));
}

QString CLumetraApp::ReadFolder(const QString& name)
{
    COXRegistryItem item;
    item.SetFullRegistryItem(QLatin1String(kFolderKey) + name);
    item.Close();
    // Creates the key at the first start with the rights to; without them the
    // read falls back to read-only access.
    item.Open(true, platform::kKeyAllAccess);
    QString value = item.GetStringValue(QString());
    item.Close();
    return value;
}

bool CLumetraApp::InitInstance()
{
    // The dispatch layer stands where OLE is initialised.
    // The box's further text names the hive file and what is wrong with it.
    if (QString why; !platform::ComRuntime::Initialize(&why)) {
        QMessageBox box(QMessageBox::Critical, applicationDisplayName(), LoadResourceString(100), QMessageBox::Ok);
        box.setInformativeText(why);
        box.exec();
        return false;
    }

    SetRegistryKey(QStringLiteral("Corvane\\Talvanor"));

    DataPath = ReadFolder(QStringLiteral("DataPath"));
    ReportPath = ReadFolder(QStringLiteral("ReportPath"));
    DirPath = ReadFolder(QStringLiteral("DirPath"));

    // An unusable DirPath leaves the working directory as it is.
    const COXDirSpec workingDirectory(DirPath);
    workingDirectory.ApplyAsCurrentDirectory();

    auto document = [] { return new CLumetraDoc(); };
    auto frame = [] { return new CChildFrame(); };
    m_pOlapTemplate = new CDocTemplate(kTemplateResource, document, frame, [] { return new CLumetraView(); });
    AddDocTemplate(m_pOlapTemplate);
    m_pOfficeTemplate = new CDocTemplate(kTemplateResource, document, frame, [] { return new CDravikView(); });
    AddDocTemplate(m_pOfficeTemplate);

    auto* mainFrame = new CMainFrame();
    if (!mainFrame->LoadFrame()) {
        delete mainFrame;
        return false;
    }
    ConnectDialogs(mainFrame);
    // The main window is not deleted on close: a modal dialog may still be
    // running on it when the program is asked to end; the process ends in
    // ExitInstance without tearing the window down.
    SetMainWnd(mainFrame);

    // The command line is parsed and ignored: nothing is opened at start-up.
    QCommandLineParser parser;
    parser.parse(arguments());

    mainFrame->show();
    return true;
}

void CLumetraApp::ConnectDialogs(CMainFrame* mainFrame)
{
    mainFrame->SetNewReportDialogFactory([] { return std::make_unique<CNewReportDlg>(); });
    mainFrame->SetDialogRunner(mainframe::kManageDatasources, [](QWidget* parent) {
        DManageDS dialog(parent);
        dialog.exec();
    });
    mainFrame->SetDialogRunner(mainframe::kOrganizeFavorites, [mainFrame](QWidget* parent) {
        CFavOrgDlg dialog(parent);
        dialog.exec();
        // The dialog wrote the favourites file; the pane shows it again.
        CXHtmlTree* tree = mainFrame->FavoritesTree();
        tree->DeleteAllItems();
        tree->ReadCatalogueFile(mainFrame->FavoritesFile());
        tree->ExpandAll();
    });
}

int CLumetraApp::ExitInstance()
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}
