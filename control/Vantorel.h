#pragma once

#include "platform/dispatch/IControlWindow.h"
#include "platform/dispatch/IDispatchObject.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QWidget;

namespace chart {
class ChartWidget;
struct ChartModel;
} // namespace chart
namespace exporting {
class OwcHelper;
struct PrintSource;
} // namespace exporting

namespace drill {
class DrillThrough;
}
namespace pivot {
class PivotTableObject;
}
namespace vantorel {
class PivotComponent;
class VantorelWidget;
} // namespace vantorel

//! The OLAP analysis control: a pivot table (`OlapPT`) over a cube or a relational query,
//! a chart (`ptChart`) bound to a pivot table and shown in its place, and the image toolbar
//! above them. A host drives it by dispatch id (the members below) and shows its window
//! through IControlWindow.
//!
//! Members never fail towards the host: a step that fails is passed over and the member goes
//! on, but the reason is kept in LastError() (also a read-only property, kDispLastError) and
//! in Log(), and written to the "lumetra.vantorel" logging category. Only calls the dispatch
//! layer cannot make sense of (an unknown id, too few arguments) return a failure code.
class Vantorel : public platform::IDispatchObject, public platform::IControlWindow {
public:
    static constexpr const char* kClassId = "{E07F1004-ECB4-4627-8E85-82D239281510}";
    static constexpr const char* kProgId = "Hexmoor2.Vantorel";

    // Members of the control's dispatch interface.
    static constexpr platform::DispId kHideToolbar = 0x6003008F;
    static constexpr platform::DispId kShowToolbar = 0x60030090;
    static constexpr platform::DispId kFile = 0x60030091;
    static constexpr platform::DispId kUserName = 0x60030092;
    static constexpr platform::DispId kDatabase = 0x60030093;
    static constexpr platform::DispId kCube = 0x60030094;
    static constexpr platform::DispId kServer = 0x60030095;
    static constexpr platform::DispId kInitCube = 0x60030096;
    static constexpr platform::DispId kSetXML = 0x60030097;
    static constexpr platform::DispId kSetMDX = 0x60030098;
    static constexpr platform::DispId kOppnaLokalRapport = 0x60030099;
    static constexpr platform::DispId kOppnaRapportTyp = 0x6003009A;
    static constexpr platform::DispId kOppnaRapport = 0x6003009B;
    static constexpr platform::DispId kPrintPivotActiveView = 0x6003009D;
    static constexpr platform::DispId kPrintPivotInXL = 0x6003009E;
    static constexpr platform::DispId kSetAggregate = 0x600300A3;
    static constexpr platform::DispId kDoDrillthrough = 0x600300A4;
    static constexpr platform::DispId kGetAggregate = 0x600300A5;
    static constexpr platform::DispId kDrillthroughData = 0x600300A6;
    static constexpr platform::DispId kExecuteDrillthrough = 0x600300A7;
    static constexpr platform::DispId kBuildDrillthroughSets = 0x600300A8;
    static constexpr platform::DispId kBuildMasterRecordset = 0x600300A9;
    static constexpr platform::DispId kTrulyGetMember = 0x600300AA;
    static constexpr platform::DispId kHandleGroupAxisFromMember = 0x600300AB;
    static constexpr platform::DispId kHandleFieldSet = 0x600300AC;
    static constexpr platform::DispId kGetRecordset = 0x600300AD;
    static constexpr platform::DispId kSaveFile = 0x600300AE;
    static constexpr platform::DispId kSaveFileAs = 0x600300AF;
    static constexpr platform::DispId kXMLData = 0x68030070;
    static constexpr platform::DispId kDatasource = 0x6803006F;
    static constexpr platform::DispId kSparaRapport = 0x600300B5;
    static constexpr platform::DispId kPivottable = 0x6803006E;
    static constexpr platform::DispId kSaveReport = 0x600300B8;
    static constexpr platform::DispId kSaveReportAs = 0x600300B9;
    static constexpr platform::DispId kGetCubeConnection = 0x600300BA;
    static constexpr platform::DispId kOpenCube = 0x600300BB;
    static constexpr platform::DispId kOpenSQLReport = 0x600300BC;
    static constexpr platform::DispId kEnableWriteback = 0x600300E8;
    //! Read-only: why the last failing step failed (empty when none failed).
    static constexpr platform::DispId kLastError = 0x600300F0;
    //! The one event: the selection of the pivot table or the chart changed.
    static constexpr platform::DispId kSelectionChange = 1;

    //! What the connect dialog gave: Accepted false when it was left without a choice.
    struct ConnectChoice {
        bool accepted = false;
        QString server;
        QString database;
        QString cube;
        QString connectionString;
        bool sql = false;
    };

    //! The dialogs and message boxes the control opens; tests replace them. Unset members use
    //! the real dialogs.
    struct Dialogs {
        //! The save dialog with the proposed name; "" when cancelled.
        std::function<QString(QWidget* parent, const QString& proposed)> saveFileName;
        //! The open dialog ("Öppna rapport"); "" when cancelled.
        std::function<QString(QWidget* parent)> openFileName;
        //! The font dialog titled "Font": the font as it stands when the dialog closes.
        std::function<std::pair<QString, double>(QWidget* parent, const QString& family, double size)> chooseFont;
        //! An information message with an OK button.
        std::function<void(QWidget* parent, const QString& text)> message;
        //! The connect dialog in its normal mode.
        std::function<ConnectChoice(QWidget* parent)> connect;
        //! The connect dialog as a pure query: server, cube and connection string joined by tabs.
        std::function<QString(QWidget* parent)> cubeConnection;
        //! The query builder over a connection and cube: the MDX built, "" when cancelled.
        std::function<QString(QWidget* parent, const QString& connection, const QString& cube)> queryBuilder;
    };

    //! Where drill-through plugs in: the "Show details" button (and context-menu entry) and
    //! the drill-through members by dispatch id. Until a handler is set the button only notes
    //! that drill-through is not available and the members answer with an empty result.
    struct DrillthroughHooks {
        std::function<void(Vantorel& control)> showDetails;
        std::function<platform::HResult(
            Vantorel& control, platform::DispId id, std::vector<platform::Variant>& args, platform::Variant* result)>
            invoke;
    };
    //! The hooks every control made afterwards starts with (the drill-through code sets them
    //! once for the library).
    static void SetDefaultDrillthroughHooks(DrillthroughHooks hooks);

    Vantorel();
    ~Vantorel() override;
    Vantorel(const Vantorel&) = delete;
    Vantorel& operator=(const Vantorel&) = delete;

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;
    platform::IControlWindow* AsControlWindow() override { return this; }
    QWidget* ControlWindow(QWidget* parent) override;
    void SetEventSink(EventSink sink) override { m_eventSink = std::move(sink); }

    // The members, as the dispatch ids reach them.
    void HideToolbar();
    void ShowToolbar();
    void File(const QString& fileName) { m_fileName = fileName; }
    void UserName(const QString& userName) { m_userName = userName; }
    void Database(const QString& database) { m_database = database; }
    void cube(const QString& cubeName) { m_cubeName = cubeName; }
    void Server(const QString& server) { m_server = server; }
    void InitCube();
    void SetXML(const QString& text);
    void SetMDX(const QString& text);
    void OppnaRapport(const QString& fileName);
    void OppnaLokalRapport(const QString& fileName) { OppnaRapport(fileName); }
    void OppnaRapportTyp(const QString& fileName, int type);
    void PrintPivotActiveView(bool preview, bool landscape);
    void PrintPivotInXL(const std::shared_ptr<platform::IDispatchObject>& table, bool preview, bool landscape);
    //! False (with LastError()) when the file could not be written; nothing is written for an
    //! empty name.
    bool SaveFile(const QString& name);
    bool SaveFileAs(const QString& name, const QString& dataSourcePath);
    QString XMLData() const;
    void SetXMLData(const QString& text);
    std::shared_ptr<platform::IDispatchObject> Datasource() const { return m_dataSource; }
    void SetDatasource(const std::shared_ptr<platform::IDispatchObject>& source);
    void Spara_Rapport();
    std::shared_ptr<platform::IDispatchObject> Pivottable();
    void SetPivottable(const std::shared_ptr<platform::IDispatchObject>& table);
    //! The full name of the saved pivot file, or "" when the name is refused or a file could
    //! not be written (LastError() says why).
    QString SaveReport(const QString& reportName, const QString& path);
    QString SaveReportAs(const QString& reportName, const QString& path, const QString& dataSourcePath);
    QString GetCubeConnection();
    void OpenCube(const QString& connection, const QString& dataMember, int openType);
    void OpenSQLReport(const QString& connection, const QString& sql, int openType);
    void Enable_Writeback() { }

    //! Runs the handler of the toolbar button NAME, as a click does. False for an unknown name.
    bool ClickButton(const QString& name);
    //! Drill-through of grid cell (ROW, COLUMN), the grid's current cell when ROW < 0: the
    //! detail rows in a modal DrillForm over the control's window. The default "Show details"
    //! hook. The statement runs on a connection no session query uses.
    void ShowDetails(int row = -1, int column = -1);
    //! The drill-through members by dispatch id, as the default hooks answer them: the
    //! aggregate members take a selection object (none: the grid's current cell), the walk
    //! members take the object model's members, field sets and filter updates; recordsets
    //! come back as objects.
    platform::HResult InvokeDrillthroughMember(
        platform::DispId id, std::vector<platform::Variant>& args, platform::Variant* result);

    //! The font routine of "Change Font": an empty name means "Calibri" at size 9.
    void ApplyFont(const QString& name, int size);

    // What the control holds, for its host's diagnostics and for tests.
    const QString& LastError() const { return m_lastError; }
    const QStringList& Log() const { return m_log; }
    const QString& ReportFileName() const { return m_fileName; }
    const QString& ServerName() const { return m_server; }
    const QString& DatabaseName() const { return m_database; }
    const QString& CubeName() const { return m_cubeName; }
    const QString& UserNameSetting() const { return m_userName; }
    const QString& ConnectionString() const { return m_connectionString; }
    const QString& SqlText() const { return m_sql; }
    const QString& SqlConnectionString() const { return m_sqlConnection; }
    const QString& LoadedDefinition() const { return m_loadedDefinition; }
    bool IsRelational() const { return m_relational; }
    bool IsLocalCube() const { return m_localCube; }
    bool ToolbarShown() const { return m_toolbarShown; }
    bool SubtotalsShown() const { return m_subtotalsShown; }
    bool ChartVisible() const { return m_chartVisible; }
    bool PivotVisible() const;
    int ChartTypeCounter() const { return m_chartTypeCounter; }
    int SavedChartType() const { return m_savedChartType; }
    bool ChartOption5065() const { return m_chartOption5065; }
    bool ChartDisplayToolbar() const { return m_chartDisplayToolbar; }
    bool ChartDisplayFieldList() const { return m_chartDisplayFieldList; }
    bool ChartDisplayPropertyToolbox() const { return m_chartDisplayPropertyToolbox; }
    vantorel::PivotComponent& PivotTable() { return *m_pivot; }
    chart::ChartWidget& ChartView();
    vantorel::VantorelWidget& Window();

    void SetDialogs(Dialogs dialogs) { m_dialogs = std::move(dialogs); }
    void SetDrillthroughHooks(DrillthroughHooks hooks) { m_drillthrough = std::move(hooks); }
    //! Replaces the print and export helper (tests give it seams that start no program).
    void SetExportHelper(std::unique_ptr<exporting::OwcHelper> helper);

private:
    void Fail(const QString& what);
    void RaiseSelectionChange();
    //! Makes the window (and the chart in it) unless it exists. False without a widget
    //! application (a host driving the control without windows): the chart is not available.
    bool EnsureWindow();
    void LayOut();
    void ShowChartView(bool shown);
    void BindChart(vantorel::PivotComponent* source);
    void ChartSetUp(vantorel::PivotComponent* source = nullptr);
    void OpenChartReport(const QString& pivotText, const QString& chartText);
    void OpenTableReport(const QString& pivotText);
    bool WriteReportPair(const QString& fileName, const QString& pivotText);
    //! The pivot file's text of the view: the definition, for a report over SQL rows followed
    //! by the SQL lines, so a saved relational report can be opened again.
    QString PivotFileText() const;
    //! Runs SQL on CONNECTION and gives its rows to the pivot table. False with the reason kept.
    bool QueryRows(const QString& connection, const QString& sql);
    //! Shows rows just queried as a relational report: default font, then the field list or
    //! the chart as OPEN_TYPE asks.
    void ShowRows(int openType);
    //! Puts a pivot file's text into the pivot table; the SQL lines of a relational report
    //! run their query first, so the definition finds its rows.
    void LoadPivotText(const QString& pivotText);
    bool WriteFile(const QString& fileName, const QString& text);
    exporting::PrintSource VisibleSource();
    vantorel::PivotComponent* VisiblePivot();
    platform::HResult InvokeMember(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result);
    platform::HResult InvokeDrillthrough(
        platform::DispId id, std::vector<platform::Variant>& args, platform::Variant* result);
    //! The object model of the view on show over a connection of its own, with grid cell
    //! (ROW, COLUMN) selected (the current cell when ROW < 0). Null (and a log line) without
    //! a view or a connection.
    std::shared_ptr<pivot::PivotTableObject> DetailTable(int row, int column);
    //! The before-context-menu handler of the pivot table: its details entry becomes the
    //! drill-through entry.
    void AdjustContextMenu(std::vector<platform::Variant>& entries);
    //! The pivot table's command event: the details entries start a drill-through of the cell.
    void OnPivotCommand(const platform::Variant& id, int row, int column);
    void DrillMessage(const QString& text);

    // Button handlers.
    void OnReset();
    void OnPrint();
    void OnSum();
    void OnTabort();
    void OnSort(bool ascending);
    void OnCalc();
    void OnGridMe();
    void OnChart();
    void OnRun();
    void OnProperties();
    void OnFieldList();
    void OnDetails();
    void OnToolbar();
    void OnExport();
    void OnExportData();
    void OnFontChange();
    void OnOppna();
    void OnQueryBuilder();
    void OnAnslut();
    void OnViewChanged();

    std::unique_ptr<vantorel::PivotComponent> m_pivot;
    QPointer<chart::ChartWidget> m_chart;
    //! The chart's look and switches: kept when a host destroys the window (and the chart
    //! with it), so the next window's chart looks as the old one did.
    std::shared_ptr<chart::ChartModel> m_chartModel;
    QPointer<vantorel::VantorelWidget> m_window;
    QPointer<vantorel::PivotComponent> m_chartSource;
    std::unique_ptr<exporting::OwcHelper> m_owc;
    std::shared_ptr<platform::IDispatchObject> m_dataSource;
    std::shared_ptr<platform::IDispatchObject> m_pivotObject;
    EventSink m_eventSink;
    Dialogs m_dialogs;
    DrillthroughHooks m_drillthrough;
    //! The drill-through the members by dispatch id work on (made by the first of them).
    std::unique_ptr<drill::DrillThrough> m_drill;

    QString m_server;
    QString m_database;
    QString m_cubeName;
    QString m_userName;
    QString m_connectionString;
    QString m_fileName;
    QString m_sql;
    QString m_sqlConnection;
    QString m_loadedDefinition;
    QString m_lastError;
    QStringList m_log;
    bool m_relational = false;
    bool m_localCube = false;
    bool m_toolbarShown = true;
    bool m_subtotalsShown = true;
    bool m_chartVisible = false;
    bool m_chartOption5065 = true;
    bool m_chartDisplayToolbar = false;
    bool m_chartDisplayFieldList = false;
    bool m_chartDisplayPropertyToolbox = false;
    int m_chartTypeCounter = 0;
    int m_savedChartType = 0;
};
