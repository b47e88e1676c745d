// The control's life cycle, its dispatch table and its connection and definition members.
#include "control/Vantorel.h"

#include "control/chart/ChartWidget.h"
#include "control/drill/DrillThrough.h"
#include "control/export/OwcHelper.h"
#include "control/pivot/PivotContextMenu.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/query/frmConnect.h"
#include "control/query/frmQueryBuilder.h"
#include "control/vantorel/ControlObjects.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/ToolbarButtons.h"
#include "control/vantorel/VantorelWidget.h"
#include "control/vantorel/WaitCursor.h"

#include "olap/access/Connection.h"
#include "olap/access/ConnectionString.h"
#include "olap/providers/RelationalSources.h"

#include <QApplication>
#include <QLoggingCategory>

#include <exception>

Q_LOGGING_CATEGORY(lcVantorel, "lumetra.vantorel")

namespace {

// Until the library sets others, drill-through is the control's own (drill::DrillThrough).
Vantorel::DrillthroughHooks& DefaultDrillthroughHooks()
{
    static Vantorel::DrillthroughHooks hooks {
        [](Vantorel& control) { control.ShowDetails(); },
        [](Vantorel& control, platform::DispId id, std::vector<platform::Variant>& args, platform::Variant* result) {
            return control.InvokeDrillthroughMember(id, args, result);
        },
    };
    return hooks;
}

// The log keeps the latest lines only.
constexpr qsizetype kLogLines = 200;

} // namespace

void Vantorel::SetDefaultDrillthroughHooks(DrillthroughHooks hooks)
{
    DefaultDrillthroughHooks() = std::move(hooks);
}

Vantorel::Vantorel()
    : m_pivot(std::make_unique<vantorel::PivotComponent>()), m_owc(std::make_unique<exporting::OwcHelper>()),
      m_drillthrough(DefaultDrillthroughHooks())
{
    // Start-up: the pivot table's own toolbar, field list and fitting off, everything allowed
    // (the component's defaults); the chart hidden.
    m_pivot->SetVisible(true);
    QObject::connect(
        m_pivot.get(), &vantorel::PivotComponent::selectionChanged, m_pivot.get(), [this] { RaiseSelectionChange(); });
    QObject::connect(m_pivot.get(), &vantorel::PivotComponent::viewChanged, m_pivot.get(), [this] { OnViewChanged(); });
    QObject::connect(m_pivot.get(), &vantorel::PivotComponent::failed, m_pivot.get(),
        [this](const QString& message) { Fail(message); });
    EnsureWindow();
}

Vantorel::~Vantorel()
{
    // The window refers to this control; it goes with it even when a host parented it.
    delete m_window.data();
    delete m_chart.data();
}

void Vantorel::Fail(const QString& what)
{
    m_lastError = what;
    m_log.append(what);
    if (m_log.size() > kLogLines)
        m_log.removeFirst();
    qCWarning(lcVantorel).noquote() << what;
}

void Vantorel::RaiseSelectionChange()
{
    if (m_eventSink) {
        std::vector<platform::Variant> none;
        m_eventSink(kSelectionChange, none);
    }
}

bool Vantorel::EnsureWindow()
{
    if (m_window)
        return true;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    if (!m_chart) {
        if (!m_chartModel)
            m_chartModel = std::make_shared<chart::ChartModel>();
        m_chart = new chart::ChartWidget(m_chartModel);
        m_chart->setVisible(false);
        QObject::connect(m_chart.data(), &chart::ChartWidget::selectionChanged, m_pivot.get(),
            [this](int, int) { RaiseSelectionChange(); });
        m_chartVisible = false;
    }
    m_window = new vantorel::VantorelWidget(m_pivot.get(), m_chart, nullptr);
    m_chart->setVisible(m_chartVisible);
    if (!m_toolbarShown) {
        for (const char* name : vantorel::ToolbarButtons::Switched())
            m_window->SetButtonShown(QLatin1String(name), false);
    }
    QObject::connect(m_window.data(), &vantorel::VantorelWidget::ButtonClicked, m_pivot.get(),
        [this](const QString& name) { ClickButton(name); });
    m_window->SetLayoutState([this](vantorel::VantorelWidget&) { LayOut(); });
    // The value cells' menu offers the details of the cell: the pivot's entry is changed before
    // the menu shows, and the chosen entry comes back through the command event.
    if (pivot::PivotTableWidget* table = m_pivot->ExistingTable()) {
        table->ContextMenu()->SetBeforeContextMenu(
            [this](const pivot::PivotContextMenu::Context&, std::vector<platform::Variant>& entries) {
                AdjustContextMenu(entries);
            });
        QObject::connect(table->ContextMenu(), &pivot::PivotContextMenu::commandExecuted, m_pivot.get(),
            [this](const platform::Variant& id, int row, int column) { OnPivotCommand(id, row, column); });
        // The table's own refresh and export buttons do what the control's do.
        QObject::connect(table, &pivot::PivotTableWidget::refreshRequested, m_pivot.get(), [this] { OnRun(); });
        QObject::connect(table, &pivot::PivotTableWidget::exportRequested, m_pivot.get(), [this] { OnExport(); });
    }
    // A new chart follows the pivot table the old one drew.
    if (m_chartSource)
        BindChart(m_chartSource);
    // A window the host destroys takes the chart widget with it; the next ControlWindow makes
    // both anew, the chart on the kept model.
    QObject::connect(m_window.data(), &QObject::destroyed, m_pivot.get(), [this] {
        m_chartVisible = false;
        m_pivot->SetVisible(true);
    });
    return true;
}

QWidget* Vantorel::ControlWindow(QWidget* parent)
{
    if (!EnsureWindow())
        return nullptr;
    if (m_window->parentWidget() != parent) {
        m_window->setParent(parent);
        m_window->setVisible(parent != nullptr);
    }
    return m_window;
}

vantorel::VantorelWidget& Vantorel::Window()
{
    EnsureWindow();
    return *m_window;
}

chart::ChartWidget& Vantorel::ChartView()
{
    EnsureWindow();
    return *m_chart;
}

bool Vantorel::PivotVisible() const
{
    return m_pivot->Visible();
}

void Vantorel::SetExportHelper(std::unique_ptr<exporting::OwcHelper> helper)
{
    if (helper)
        m_owc = std::move(helper);
}

void Vantorel::LayOut()
{
    m_pivot->autoFit = false;
    if (m_window)
        m_window->LayOut(m_toolbarShown, m_chartVisible);
}

void Vantorel::ShowChartView(bool shown)
{
    m_chartVisible = shown;
    if (m_chart)
        m_chart->setVisible(shown);
}

void Vantorel::HideToolbar()
{
    m_toolbarShown = false;
    if (!EnsureWindow())
        return;
    for (const char* name : vantorel::ToolbarButtons::Switched())
        m_window->SetButtonShown(QLatin1String(name), false);
    LayOut();
}

void Vantorel::ShowToolbar()
{
    m_toolbarShown = true;
    if (!EnsureWindow())
        return;
    for (const char* name : vantorel::ToolbarButtons::Switched())
        m_window->SetButtonShown(QLatin1String(name), true);
    LayOut();
}

void Vantorel::InitCube()
{
    m_pivot->SetConnectionString(m_connectionString);
    m_pivot->SetDataMember(m_cubeName);
    m_pivot->displayToolbar = false;
    m_pivot->autoFit = false;
    m_pivot->ApplyDisplay();
}

namespace {

// Whether CONNECTION reaches a relational source (a SQLite file, ODBC, a workbook), which has
// tables and no cubes.
bool IsRowSource(const QString& connection)
{
    try {
        const olap::ConnectionString parsed = olap::ConnectionString::Parse(connection.toStdString());
        olap::providers::ConnectionProperties properties;
        for (const auto& [key, value] : parsed.Pairs())
            properties[key] = value;
        return olap::providers::ClassifyRelational(properties, olap::providers::DefaultProviderDriverLookup())
            .has_value();
    } catch (const std::exception&) {
        return false;
    }
}

// The statement that reads a data source's member over a relational source: the member
// itself when it is a SELECT statement, else every row of the table it names.
QString RowsStatement(const QString& dataMember)
{
    QString member = dataMember.trimmed();
    if (member.startsWith(QLatin1String("select "), Qt::CaseInsensitive))
        return member;
    QString quoted = member;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QStringLiteral("SELECT * FROM \"%1\"").arg(quoted);
}

} // namespace

void Vantorel::OpenCube(const QString& connection, const QString& dataMember, int openType)
{
    // A relational source has tables, not cubes: the table's (or statement's) rows are
    // pivoted as a relational report, saved with its SQL lines. A source that cannot be read
    // (no driver for its provider, no server) is connected as any other, so its connection
    // string and data member stay with the control and the reason is in the last error.
    if (IsRowSource(connection) && QueryRows(connection, RowsStatement(dataMember))) {
        ShowRows(openType);
        return;
    }
    vantorel::WaitCursor wait;
    m_cubeName = dataMember;
    m_connectionString = connection;
    m_relational = vantorel::ReportFiles::IsRelationalConnection(connection);
    InitCube();
    ApplyFont(QString(), 0);
    if (openType == 1) {
        m_pivot->displayFieldList = true;
        LayOut();
    } else if (openType == 2) {
        OnChart();
    }
}

bool Vantorel::QueryRows(const QString& connection, const QString& sql)
{
    olap::recordset::Recordset rows;
    try {
        olap::Connection source;
        source.SetCursorLocation(static_cast<int>(olap::CursorLocation::Client));
        source.Open(connection.toStdString(), {}, {}, -1);
        rows = source.Execute(sql.toStdString(), -1);
        source.Close();
    } catch (const std::exception& error) {
        Fail(QStringLiteral("The query of the relational report failed: %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
    m_sql = sql;
    m_sqlConnection = connection;
    m_relational = true;
    m_dataSource = std::make_shared<vantorel::RecordsetObject>(rows);
    return m_pivot->SetRecordset(rows);
}

void Vantorel::OpenSQLReport(const QString& connection, const QString& sql, int openType)
{
    // A query that fails keeps its text, so the report can still be saved with it.
    QueryRows(connection, sql);
    m_sql = sql;
    m_sqlConnection = connection;
    ShowRows(openType);
}

void Vantorel::ShowRows(int openType)
{
    vantorel::WaitCursor wait;
    m_relational = true;
    ApplyFont(QString(), 0);
    if (openType == 1) {
        m_pivot->displayFieldList = true;
        LayOut();
    } else if (openType == 2) {
        OnChart();
    }
}

void Vantorel::SetXML(const QString& text)
{
    m_pivot->SetCommandText(text);
    m_pivot->activeViewOption = true;
}

void Vantorel::SetMDX(const QString& text)
{
    SetXML(text);
}

QString Vantorel::XMLData() const
{
    return m_pivot->XmlData();
}

void Vantorel::SetXMLData(const QString& text)
{
    vantorel::WaitCursor wait;
    m_pivot->SetXmlData(text);
    m_pivot->displayToolbar = false;
    m_pivot->activeViewOption = true;
    LayOut();
}

void Vantorel::SetDatasource(const std::shared_ptr<platform::IDispatchObject>& source)
{
    vantorel::WaitCursor wait;
    m_dataSource = source;
    if (auto* rows = dynamic_cast<vantorel::RecordsetObject*>(source.get()))
        m_pivot->SetRecordset(rows->Recordset());
    else if (auto* table = dynamic_cast<vantorel::PivotTableObject*>(source.get()); table && table->Pivot())
        m_pivot->SetXmlData(table->Pivot()->XmlData());
    else if (source)
        Fail(QStringLiteral("The data source object is neither a recordset nor a pivot table."));
    if (m_chartVisible) {
        ChartSetUp();
    } else {
        m_pivot->SetVisible(true);
        OnRun();
    }
    LayOut();
}

std::shared_ptr<platform::IDispatchObject> Vantorel::Pivottable()
{
    if (!m_pivotObject)
        m_pivotObject = std::make_shared<vantorel::PivotTableObject>(m_pivot.get());
    return m_pivotObject;
}

void Vantorel::SetPivottable(const std::shared_ptr<platform::IDispatchObject>& table)
{
    vantorel::WaitCursor wait;
    auto* other = dynamic_cast<vantorel::PivotTableObject*>(table.get());
    if (!other || !other->Pivot()) {
        Fail(QStringLiteral("Pivottable: the object given is not a pivot table of a control."));
        return;
    }
    if (!EnsureWindow()) {
        Fail(QStringLiteral("Pivottable: the chart needs a window system."));
        return;
    }
    chart::ChartWidget& view = ChartView();
    view.SetEnableEvents(false);
    // Binding takes the data of the other table; the chart's own look is put back after it.
    const std::string look = view.DefinitionText();
    BindChart(other->Pivot());
    m_chartOption5065 = true;
    view.PutDefinitionText(look);
    ChartSetUp(other->Pivot());
    view.SetEnableEvents(true);
    ShowChartView(true);
    LayOut();
}

QString Vantorel::GetCubeConnection()
{
    if (m_dialogs.cubeConnection)
        return m_dialogs.cubeConnection(m_window);
    frmConnect dialog(m_window);
    dialog.SetDataSourceMode();
    dialog.exec();
    return dialog.DataSourceText();
}

void Vantorel::OnAnslut()
{
    ConnectChoice choice;
    if (m_dialogs.connect) {
        choice = m_dialogs.connect(m_window);
    } else {
        frmConnect dialog(m_window);
        dialog.exec();
        choice.server = dialog.GetSelectedServer();
        choice.database = dialog.GetSelectedDB();
        choice.cube = dialog.GetSelectedCube();
        choice.connectionString = dialog.ConnectionStringText();
        choice.sql = dialog.IsSqlMode();
        // The dialog's getters are empty unless Connect or Build report made a choice.
        choice.accepted = !choice.cube.isEmpty();
    }
    if (!choice.accepted) {
        // A dialog left without a choice keeps the connection the view has.
        Fail(QStringLiteral("Connect database: no cube was chosen; the connection is unchanged."));
        return;
    }
    vantorel::WaitCursor wait;
    m_server = choice.server;
    m_database = choice.database;
    m_cubeName = choice.cube;
    m_connectionString = choice.connectionString;
    m_relational = choice.sql;
    InitCube();
    m_pivot->displayFieldList = true;
    LayOut();
}

void Vantorel::OnQueryBuilder()
{
    const QString connection = m_pivot->ConnectionString();
    const QString cube = m_pivot->DataMember();
    QString mdx;
    if (m_dialogs.queryBuilder) {
        mdx = m_dialogs.queryBuilder(m_window, connection, cube);
    } else {
        frmQueryBuilder form(m_window);
        form.SetConnection(connection, cube);
        form.exec();
        mdx = form.GetMDX();
    }
    if (!mdx.isEmpty()) {
        SetMDX(mdx);
        LayOut();
    }
}

platform::HResult Vantorel::InvokeDrillthrough(
    platform::DispId id, std::vector<platform::Variant>& args, platform::Variant* result)
{
    if (m_drillthrough.invoke)
        return m_drillthrough.invoke(*this, id, args, result);
    Fail(QStringLiteral("Drill-through is not available in this build."));
    if (result)
        *result = platform::Variant();
    return platform::kSOk;
}

platform::HResult Vantorel::Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
    platform::Variant* result, platform::DispatchException*)
{
    // A step that throws ends the member quietly for the host; the reason is kept.
    try {
        return InvokeMember(id, kind, args, result);
    } catch (const std::exception& error) {
        Fail(QStringLiteral("Member 0x%1 failed: %2")
                 .arg(static_cast<quint32>(id), 8, 16, QLatin1Char('0'))
                 .arg(QString::fromUtf8(error.what())));
    }
    return platform::kSOk;
}

platform::HResult Vantorel::InvokeMember(
    platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args, platform::Variant* result)
{
    using platform::Variant;
    auto need = [&](std::size_t count) { return args.size() >= count; };
    // By-reference strings and booleans go back to the caller as the member leaves them.
    auto text = [&](std::size_t index) {
        QString value = args[index].toString();
        args[index] = Variant(value);
        return value;
    };
    auto flag = [&](std::size_t index) {
        const bool value = args[index].toBool();
        args[index] = Variant(value);
        return value;
    };
    auto object = [&](std::size_t index) {
        return index < args.size() ? args[index].toObject() : std::shared_ptr<platform::IDispatchObject>();
    };
    auto answer = [&](Variant value) {
        if (result)
            *result = std::move(value);
        return platform::kSOk;
    };
    const bool put = kind == platform::InvokeKind::PropertyPut;

    switch (id) {
    case kHideToolbar:
        HideToolbar();
        return platform::kSOk;
    case kShowToolbar:
        ShowToolbar();
        return platform::kSOk;
    case kFile:
    case kUserName:
    case kDatabase:
    case kCube:
    case kServer: {
        if (!need(1))
            return platform::kDispEBadParamCount;
        const QString value = text(0);
        if (id == kFile)
            File(value);
        else if (id == kUserName)
            UserName(value);
        else if (id == kDatabase)
            Database(value);
        else if (id == kCube)
            cube(value);
        else
            Server(value);
        return platform::kSOk;
    }
    case kInitCube:
        InitCube();
        return platform::kSOk;
    case kSetXML:
    case kSetMDX:
        if (!need(1))
            return platform::kDispEBadParamCount;
        SetXML(text(0));
        return platform::kSOk;
    case kOppnaLokalRapport:
    case kOppnaRapport:
        if (!need(1))
            return platform::kDispEBadParamCount;
        OppnaRapport(args[0].toString());
        return platform::kSOk;
    case kOppnaRapportTyp:
        if (!need(2))
            return platform::kDispEBadParamCount;
        OppnaRapportTyp(args[0].toString(), args[1].toInt());
        return platform::kSOk;
    case kPrintPivotActiveView:
        if (!need(2))
            return platform::kDispEBadParamCount;
        PrintPivotActiveView(args[0].toBool(), args[1].toBool());
        return platform::kSOk;
    case kPrintPivotInXL:
        if (!need(3))
            return platform::kDispEBadParamCount;
        PrintPivotInXL(object(0), flag(1), flag(2));
        return platform::kSOk;
    case kSetAggregate:
    case kDoDrillthrough:
    case kGetAggregate:
    case kDrillthroughData:
    case kExecuteDrillthrough:
    case kBuildDrillthroughSets:
    case kBuildMasterRecordset:
    case kTrulyGetMember:
    case kHandleGroupAxisFromMember:
    case kHandleFieldSet:
    case kGetRecordset:
        return InvokeDrillthrough(id, args, result);
    case kSaveFile:
        if (!need(1))
            return platform::kDispEBadParamCount;
        SaveFile(text(0));
        return platform::kSOk;
    case kSaveFileAs:
        if (!need(2))
            return platform::kDispEBadParamCount;
        SaveFileAs(text(0), text(1));
        return platform::kSOk;
    case kXMLData:
        if (put) {
            if (!need(1))
                return platform::kDispEBadParamCount;
            SetXMLData(args[0].toString());
            return platform::kSOk;
        }
        return answer(Variant(XMLData()));
    case kDatasource:
        if (put) {
            if (!need(1))
                return platform::kDispEBadParamCount;
            SetDatasource(object(0));
            return platform::kSOk;
        }
        return answer(Datasource() ? Variant(Datasource()) : Variant());
    case kSparaRapport:
        Spara_Rapport();
        return platform::kSOk;
    case kPivottable:
        if (put) {
            if (!need(1))
                return platform::kDispEBadParamCount;
            SetPivottable(object(0));
            return platform::kSOk;
        }
        return answer(Variant(Pivottable()));
    case kSaveReport:
        if (!need(2))
            return platform::kDispEBadParamCount;
        return answer(Variant(SaveReport(args[0].toString(), args[1].toString())));
    case kSaveReportAs:
        if (!need(3))
            return platform::kDispEBadParamCount;
        return answer(Variant(SaveReportAs(args[0].toString(), args[1].toString(), args[2].toString())));
    case kGetCubeConnection:
        return answer(Variant(GetCubeConnection()));
    case kOpenCube:
        if (!need(3))
            return platform::kDispEBadParamCount;
        OpenCube(args[0].toString(), args[1].toString(), args[2].toInt());
        return answer(Variant());
    case kOpenSQLReport:
        if (!need(3))
            return platform::kDispEBadParamCount;
        OpenSQLReport(args[0].toString(), args[1].toString(), args[2].toInt());
        return answer(Variant());
    case kEnableWriteback:
        Enable_Writeback();
        return platform::kSOk;
    case kLastError:
        if (put)
            return platform::kDispEMemberNotFound;
        return answer(Variant(m_lastError));
    default:
        return platform::kDispEMemberNotFound;
    }
}
