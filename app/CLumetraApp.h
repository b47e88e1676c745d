#pragma once

#include "catalogue/XHTMLTREEDATA.h"
#include "framework/CWinAppEx.h"

class CDocTemplate;
class CMainFrame;

//! The application object: the start-up sequence, the folders read from the
//! machine-wide registry key, the two report templates, and the values
//! through which dialogs and report windows hand data to the main window.
class CLumetraApp : public CWinAppEx {
    Q_OBJECT
public:
    static constexpr const char* kFolderKey = "\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\";

    CLumetraApp(int& argc, char** argv);

    //! Start-up; false ends the program (after telling the user why, when
    //! the dispatch layer could not start).
    bool InitInstance() override;
    //! Ends the process at once with exit code 0.
    [[noreturn]] int ExitInstance() override;

    static CLumetraApp* Instance() { return qobject_cast<CLumetraApp*>(QCoreApplication::instance()); }

    // Folders, read once at start-up.
    QString DataPath;
    QString ReportPath;
    QString DirPath;

    //! Command id (210..218) of the current visual style.
    int m_nAppLook = 216;
    bool m_bHiColorIcons = true;

    // Data sources chosen for a new report.
    XHTMLTREEDATA NewReportSource1;
    XHTMLTREEDATA NewReportSource2;

    // Hand-over values, written right before MSG_INST_UPDATE or MSG_INST_FAVUPDATE is sent.
    QString CurrentReportName;
    QString Filename1;
    QString Filename2;
    int Reporttype1 = 0;
    int Reporttype2 = 0;

    CDocTemplate* m_pOlapTemplate = nullptr;
    CDocTemplate* m_pOfficeTemplate = nullptr;

private:
    //! Gives the main window the dialogs of its data-source, favourites and
    //! New report commands.
    static void ConnectDialogs(CMainFrame* mainFrame);
    static QString ReadFolder(const QString& name);
};
