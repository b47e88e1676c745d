#pragma once

#include "catalogue/CXHtmlTreeNotify.h"
#include "catalogue/XHTMLTREEDATA.h"
#include "framework/CMDIFrameWndEx.h"
#include "platform/messages/MessageTarget.h"

#include <functional>
#include <map>
#include <memory>

class COutlookBar;
class CRibbonBar;
class CXHtmlTree;
class INewReportDialog;
class QKeyEvent;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QTreeWidgetItem;

//! The program's main window: the ribbon, the status bar, the report windows
//! as tabs and the navigation bar with the Reports and Favorites panes. A
//! click on an item opens it; the catalogue commands act on the current item
//! (the one last clicked or right-clicked in either pane). Report windows
//! tell it through MSG_INST_UPDATE and MSG_INST_FAVUPDATE that a report was
//! saved or a favourite added.
class CMainFrame : public CMDIFrameWndEx, public platform::MessageTarget, public CXHtmlTreeNotify {
    Q_OBJECT
public:
    static constexpr int kReportsTreeId = 1200;
    static constexpr int kFavoritesTreeId = 1201;

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    //! Builds the window: look, tabbed document area, ribbon, status bar,
    //! navigation bar and the two catalogue trees. False when a bar could
    //! not be made.
    bool LoadFrame();

    //! Handles MSG_INST_UPDATE and MSG_INST_FAVUPDATE (both answer 0).
    std::intptr_t OnMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam) override;

    CXHtmlTree* ReportsTree() const { return m_reportsTree; }
    CXHtmlTree* FavoritesTree() const { return m_favoritesTree; }
    COutlookBar* NavigationBar() const { return m_navigationBar; }
    CRibbonBar* RibbonBar() const { return m_ribbon; }
    QTreeWidgetItem* CurrentItem() const { return m_currentItem; }
    const XHTMLTREEDATA& OpenedItemRecord() const { return m_openedRecord; }
    //! The Favorites pane counts as visible when its tree is; otherwise the Reports pane does.
    bool IsFavoritesPaneVisible() const;
    //! The context menus of the panes (menus 124 and 119).
    QMenu* ReportsMenu() const { return m_reportsMenu; }
    QMenu* FavoritesMenu() const { return m_favoritesMenu; }

    QString ReportCatalogueFile() const;
    QString FavoritesFile() const;

    //! The New report dialog is made by this factory when the command runs.
    using NewReportDialogFactory = std::function<std::unique_ptr<INewReportDialog>()>;
    void SetNewReportDialogFactory(NewReportDialogFactory factory) { m_newReportDialog = std::move(factory); }
    //! Runs the dialog of a dialog command (data sources, favourites, local
    //! cube); a command without one is unavailable.
    void SetDialogRunner(int commandId, std::function<void(QWidget*)> runner);

    //! Switches the look (commands 210..218) and stores it in the profile.
    void OnApplicationLook(int id);

    //! Opens an item of the Reports or Favorites pane in a new report window.
    void OpenFromReports(QTreeWidgetItem* item);
    void OpenFromFavorites(QTreeWidgetItem* item);

    //! The Style button on the ribbon's tab row (command 286) and its menu.
    QToolButton* StyleButton() const { return m_styleButton; }
    QMenu* StyleMenu() const { return m_styleMenu; }
    //! The panes F6 and Shift+F6 move among: the navigation bar's page, a
    //! detached page, then the active report window.
    QList<QWidget*> FocusPanes() const override;

protected:
    bool OnCmdMsg(int id) override;
    bool HandlesCommand(int id) const override;
    void OnUpdateCommand(CCmdUI& ui) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateRibbon();
    void CreateStatusBar();
    bool CreateNavigationBar();
    void LoadCatalogueTrees();
    //! Shows, in a box that does not block, why a catalogue just read could
    //! not be read whole (object name "catalogueProblemBox").
    void ShowCatalogueProblems(std::initializer_list<CXHtmlTree*> trees);
    QAction* Command(int id, const QString& text, const QString& icon = QString(), int stringId = 0);

    void OnPaneClick(CXHtmlTree* tree, const QPoint& pos);
    void OnPaneRightClick(CXHtmlTree* tree, const QPoint& pos);
    //! Enter opens the selected item, the Menu key and Shift+F10 show its
    //! context menu, Delete deletes it; true when the key was one of them.
    bool OnPaneKey(CXHtmlTree* tree, const QKeyEvent* key);
    void ShowPaneMenu(CXHtmlTree* tree);
    //! Sizes the window to fit the available area of its screen.
    void FitToScreen();
    //! Stores the navigation bar's width in the profile when it changed.
    void SavePaneWidth();
    void Open(CXHtmlTree* tree, QTreeWidgetItem* item, bool favorites);
    void OnOpen(bool requireCurrent);
    void OnCreateReport();
    void OnCreateFolder();
    void OnDelete();
    void OnImportReport();
    void OnWindowsDialog();
    QTreeWidgetItem* InsertReportItem(const QString& text, QTreeWidgetItem* parent, int reportType);
    QTreeWidgetItem* InsertFolderItem(const QString& text, QTreeWidgetItem* parent);
    //! Finds the entry of the current report name and updates it from the
    //! hand-over values; true when one was found (the file is then written).
    bool UpdateEntry(CXHtmlTree* tree, const QString& file);

    CRibbonBar* m_ribbon = nullptr;
    COutlookBar* m_navigationBar = nullptr;
    CXHtmlTree* m_reportsTree = nullptr;
    CXHtmlTree* m_favoritesTree = nullptr;
    QMenu* m_reportsMenu = nullptr;
    QMenu* m_favoritesMenu = nullptr;
    QMenu* m_styleMenu = nullptr;
    QToolButton* m_styleButton = nullptr;
    QTimer* m_paneWidthTimer = nullptr;
    int m_savedPaneWidth = 0;
    QTreeWidgetItem* m_currentItem = nullptr;
    XHTMLTREEDATA m_openedRecord;
    XHTMLTREEDATA* m_openedItem = nullptr;
    QPoint m_pressPos;
    NewReportDialogFactory m_newReportDialog;
    std::map<int, std::function<void(QWidget*)>> m_dialogRunners;
};
