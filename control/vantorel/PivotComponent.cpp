#include "control/vantorel/PivotComponent.h"

#include "control/pivot/PivotCommandEdit.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/PivotToolbar.h"
#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/MdxStatement.h"
#include "control/pivot/model/PivotMdxReader.h"
#include "control/pivot/model/PivotXml.h"
#include "control/vantorel/ReportFiles.h"

#include "olap/access/Connection.h"
#include "olap/access/LocalCubeProvider.h"
#include "olap/access/RecordsetCube.h"
#include "olap/access/SchemaRowset.h"
#include "olap/adomd/Catalog.h"
#include "olap/model/Cube.h"
#include "olap/query/QueryOptions.h"

#include <QAction>
#include <QFont>

#include <exception>
#include <optional>
#include <vector>

namespace vantorel {

namespace {

// The cube a recordset is pivoted as.
constexpr const char* kRecordsetCube = "Query";

} // namespace

PivotComponent::PivotComponent(QObject* parent) : QObject(parent), m_session(std::make_unique<pivot::PivotSession>())
{
    options[kOption6042] = true;
    options[kOption6050] = true;
    options[kOption6002006A] = false;
    connect(m_session.get(), &pivot::PivotSession::layoutChanged, this, &PivotComponent::viewChanged);
    connect(m_session.get(), &pivot::PivotSession::failed, this, &PivotComponent::Fail);
    connect(m_session.get(), &pivot::PivotSession::cancelled, this,
        [this] { Fail(QStringLiteral("The query was cancelled; the view on show is kept.")); });
}

PivotComponent::~PivotComponent()
{
    delete m_table.data();
}

pivot::PivotTableWidget* PivotComponent::Table(QWidget* parent)
{
    if (!m_table) {
        m_table = new pivot::PivotTableWidget(m_session.get(), parent);
        m_table->setObjectName(QStringLiteral("OlapPT"));
        m_table->SetFieldListVisible(displayFieldList);
        m_table->SetDetailsAllowed(allowDetails);
        m_table->Grid()->SetExpandIndicatorsShown(displayExpandIndicator);
        m_table->setVisible(m_visible);
        m_tableSource.clear();
        connect(m_table->Grid(), &pivot::PivotGrid::selectionChanged, this, &PivotComponent::selectionChanged);
        connect(m_table, &pivot::PivotTableWidget::panelToggled, this, &PivotComponent::OnPanelToggled);
    } else if (m_table->parentWidget() != parent) {
        m_table->setParent(parent);
        m_table->setVisible(m_visible);
    }
    return m_table;
}

pivot::PivotGrid* PivotComponent::Grid(QWidget* parent)
{
    return Table(parent)->Grid();
}

pivot::PivotGrid* PivotComponent::ExistingGrid() const
{
    return m_table ? m_table->Grid() : nullptr;
}

void PivotComponent::UpdateTableCube()
{
    if (!m_table)
        return;
    const std::string& connectionString = Definition().connectionString;
    const QString source = (m_fromRecordset ? QStringLiteral("rs") : QString::fromStdString(connectionString))
        + QLatin1Char('\n') + DataMember();
    if (source == m_tableSource)
        return;
    m_tableSource = source;
    if (DataMember().isEmpty() || (!m_fromRecordset && connectionString.empty())) {
        m_table->SetCubeFields({});
        return;
    }
    try {
        // The field list reads the cube here, on the UI thread: never on the connection the
        // session's worker queries on. Rows pivoted from a recordset have only that one; they
        // have a second cube of the same rows for this.
        auto catalog = std::make_unique<olap::adomd::Catalog>();
        if (m_fromRecordset) {
            std::shared_ptr<olap::Connection> connection = IdleConnection();
            if (!connection)
                return;
            catalog->SetActiveConnection(connection);
        } else {
            catalog->SetActiveConnection(connectionString);
        }
        auto cube = catalog->FindCubeDef(Definition().dataMember);
        if (!cube) {
            m_table->SetCubeFields({});
            Fail(QStringLiteral("The cube %1 is not in the source.").arg(DataMember()));
            return;
        }
        m_catalog = std::move(catalog);
        if (!m_table->SetCube(std::move(cube)))
            Fail(m_table->LastError());
    } catch (const std::exception& error) {
        m_table->SetCubeFields({});
        Fail(QStringLiteral("The fields of the cube cannot be read: %1").arg(QString::fromUtf8(error.what())));
    }
}

std::shared_ptr<olap::Connection> PivotComponent::IdleConnection()
{
    try {
        if (m_fromRecordset) {
            if (!m_detailConnection)
                Fail(QStringLiteral("The pivot table has no rows to read."));
            return m_detailConnection;
        }
        const std::string& connectionString = Definition().connectionString;
        if (connectionString.empty()) {
            Fail(QStringLiteral("The pivot table has no connection."));
            return {};
        }
        if (!m_detailConnection)
            m_detailConnection = olap::Connection::Connect(connectionString);
        return m_detailConnection;
    } catch (const std::exception& error) {
        Fail(QStringLiteral("The pivot table cannot connect: %1").arg(QString::fromUtf8(error.what())));
    }
    return {};
}

const pivot::PivotDefinition& PivotComponent::Definition() const
{
    return m_session->Definition();
}

void PivotComponent::Fail(const QString& message)
{
    m_lastError = message;
    emit failed(message);
}

QString PivotComponent::XmlData() const
{
    return QString::fromStdString(pivot::PivotXml::Write(m_session->Definition()));
}

bool PivotComponent::SetXmlData(const QString& text)
{
    const QString definitionText = ReportFiles::DefinitionPart(text).trimmed();
    pivot::PivotDefinition definition;
    if (!definitionText.isEmpty()) {
        try {
            definition = pivot::PivotXml::Read(definitionText.toStdString());
        } catch (const std::exception& error) {
            Fail(QStringLiteral("The pivot table definition cannot be read: %1").arg(QString::fromUtf8(error.what())));
            return false;
        }
    }
    const bool sameSource = definition.connectionString == Definition().connectionString && m_connection;
    // A definition over the cube of the rows already given (a relational report opened again,
    // or reset) keeps those rows.
    const bool sameRows
        = m_fromRecordset && definition.connectionString.empty() && definition.dataMember == kRecordsetCube;
    if (!sameRows && (!sameSource || m_fromRecordset)) {
        m_connection.reset();
        m_schemaConnection.reset();
        m_detailConnection.reset();
        m_fromRecordset = false;
    }
    UseDefinition(std::move(definition), true);
    return true;
}

QString PivotComponent::ConnectionString() const
{
    return QString::fromStdString(Definition().connectionString);
}

void PivotComponent::SetConnectionString(const QString& connectionString)
{
    pivot::PivotDefinition definition = Definition();
    definition.connectionString = connectionString.toStdString();
    m_connection.reset();
    m_schemaConnection.reset();
    m_detailConnection.reset();
    m_fromRecordset = false;
    UseDefinition(std::move(definition), true);
}

QString PivotComponent::DataMember() const
{
    return QString::fromStdString(Definition().dataMember);
}

void PivotComponent::SetDataMember(const QString& dataMember)
{
    pivot::PivotDefinition definition = Definition();
    definition.dataMember = dataMember.toStdString();
    UseDefinition(std::move(definition), true);
}

bool PivotComponent::SetRecordset(const olap::recordset::Recordset& rs)
{
    try {
        auto provider = std::make_unique<olap::LocalCubeProvider>(olap::RecordsetCube::Build(rs, kRecordsetCube));
        m_connection = std::make_shared<olap::Connection>(std::move(provider));
        // A second cube of the same rows for the UI thread (field list, drill-through), so
        // nothing reads the cube the session's worker queries.
        auto uiProvider = std::make_unique<olap::LocalCubeProvider>(olap::RecordsetCube::Build(rs, kRecordsetCube));
        m_detailConnection = std::make_shared<olap::Connection>(std::move(uiProvider));
    } catch (const std::exception& error) {
        Fail(QStringLiteral("The rows cannot be pivoted: %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
    m_fromRecordset = true;
    m_tableSource.clear();
    pivot::PivotDefinition definition;
    definition.dataMember = kRecordsetCube;
    UseDefinition(std::move(definition), true);
    return true;
}

void PivotComponent::SetCommandText(const QString& text)
{
    m_commandText = text;
    if (text.trimmed().startsWith(QLatin1Char('<'))) {
        SetXmlData(text);
        return;
    }
    const std::string mdx = text.trimmed().toStdString();
    pivot::PivotDefinition definition;
    definition.display = Definition().display;
    definition.connectionString = Definition().connectionString;
    definition.dataMember = Definition().dataMember;
    std::string cube;
    try {
        cube = pivot::MdxNames::LastSegment(pivot::MdxStatement::Parse(mdx).cube);
    } catch (const std::exception& error) {
        // The engine has the last word on what it answers; its message says what is wrong.
        qDebug("pivot: the command text is not a statement the view can read back: %s", error.what());
    }
    std::optional<pivot::PivotDefinition> view;
    if (!cube.empty()) {
        view = pivot::PivotMdxReader::Read(
            mdx, pivot::PivotMdxReader::LookupIn(CubeFieldSets(cube)), definition.connectionString);
        definition.dataMember = cube;
    }
    if (view) {
        view->display = definition.display;
        definition = std::move(*view);
    } else {
        definition.commandText = mdx;
    }
    UseDefinition(std::move(definition), true);
}

std::vector<pivot::PivotFieldSet> PivotComponent::CubeFieldSets(const std::string& cube)
{
    olap::SchemaRowset hierarchies;
    olap::SchemaRowset levels;
    try {
        if (m_fromRecordset) {
            if (m_session->IsWorking() || !m_connection)
                return {};
            hierarchies = m_connection->Discover(olap::SchemaRowsetKind::Hierarchies, cube);
            levels = m_connection->Discover(olap::SchemaRowsetKind::Levels, cube);
        } else {
            if (Definition().connectionString.empty())
                return {};
            if (!m_schemaConnection)
                m_schemaConnection = olap::Connection::Connect(Definition().connectionString);
            hierarchies = m_schemaConnection->Discover(olap::SchemaRowsetKind::Hierarchies, cube);
            levels = m_schemaConnection->Discover(olap::SchemaRowsetKind::Levels, cube);
        }
    } catch (const std::exception& error) {
        Fail(QStringLiteral("The fields of the cube cannot be read: %1").arg(QString::fromUtf8(error.what())));
        return {};
    }
    return pivot::PivotMdxReader::CubeFieldSets(hierarchies, levels);
}

void PivotComponent::Connect(const std::string& connectionString)
{
    if (m_connection || connectionString.empty())
        return;
    try {
        m_connection = olap::Connection::Connect(connectionString);
    } catch (const std::exception& error) {
        Fail(QStringLiteral("The pivot table cannot connect: %1").arg(QString::fromUtf8(error.what())));
    }
}

void PivotComponent::UseDefinition(pivot::PivotDefinition definition, bool newView)
{
    const bool queryable = definition.IsRawQuery()
        || (!definition.dataMember.empty()
            && (!definition.rowAxis.empty() || !definition.columnAxis.empty() || !definition.totals.empty()));
    m_session->SetExecutor({});
    // A cube without fields yet gets its runner too: the table's field list builds the view
    // through the session.
    if (!definition.dataMember.empty() || definition.IsRawQuery()) {
        Connect(definition.connectionString);
        if (m_connection) {
            std::shared_ptr<olap::Connection> connection = m_connection;
            // The session's token reaches the engine: Escape or a newer request stops the query.
            m_session->SetCancellableExecutor(
                [connection, probe = m_probe](const std::string& mdx, const olap::CancellationToken& token) {
                    if (probe)
                        probe(mdx, token);
                    olap::QueryOptions options;
                    options.cancel = &token;
                    return connection->ExecuteMdx(mdx, options);
                });
        }
    }
    if (queryable && m_connection) {
        // The host's changes run at once, whatever the user's defer switch and cell guard.
        if (newView)
            m_session->OpenDefinition(std::move(definition));
        else
            m_session->PutDefinition(std::move(definition));
    } else {
        // Nothing to ask yet (a new table, or no connection): show the empty view of it.
        m_session->ShowLayout(std::move(definition), pivot::PivotLayout());
        if (newView)
            m_session->ClearHistory();
    }
    UpdateTableCube();
}

bool PivotComponent::Discover(olap::SchemaRowsetKind kind, olap::SchemaRowset* out)
{
    const std::string cube = Definition().dataMember;
    try {
        if (m_fromRecordset) {
            // The second cube of the same rows: the session's worker may be querying the first.
            if (!m_detailConnection)
                return false;
            *out = m_detailConnection->Discover(kind, cube);
            return true;
        }
        if (Definition().connectionString.empty())
            return false;
        if (!m_schemaConnection)
            m_schemaConnection = olap::Connection::Connect(Definition().connectionString);
        *out = m_schemaConnection->Discover(kind, cube);
        return true;
    } catch (const std::exception& error) {
        Fail(QStringLiteral("The fields of the cube cannot be read: %1").arg(QString::fromUtf8(error.what())));
    }
    return false;
}

bool PivotComponent::UsesField(const QString& name) const
{
    const std::string key = name.toStdString();
    return Definition().FindFieldSet(key) || Definition().FindTotal(key);
}

bool PivotComponent::AddField(const QString& name, bool measure)
{
    if (UsesField(name))
        return false;
    pivot::PivotDefinition definition = Definition();
    const std::string key = name.toStdString();
    if (measure) {
        pivot::PivotTotal total;
        total.name = key;
        olap::SchemaRowset measures;
        if (Discover(olap::SchemaRowsetKind::Measures, &measures)) {
            for (const auto& row : measures.rows) {
                if (measures.Value(row, "MEASURE_UNIQUE_NAME") == key)
                    total.caption = measures.Value(row, "MEASURE_CAPTION");
            }
        }
        definition.totals.push_back(std::move(total));
    } else {
        pivot::PivotFieldSet fieldSet;
        fieldSet.uniqueName = key;
        olap::SchemaRowset hierarchies;
        olap::SchemaRowset levels;
        if (!Discover(olap::SchemaRowsetKind::Hierarchies, &hierarchies)
            || !Discover(olap::SchemaRowsetKind::Levels, &levels))
            return false;
        for (const auto& row : hierarchies.rows) {
            if (hierarchies.Value(row, "HIERARCHY_UNIQUE_NAME") == key)
                fieldSet.caption = hierarchies.Value(row, "HIERARCHY_CAPTION");
        }
        for (const auto& row : levels.rows) {
            if (levels.Value(row, "HIERARCHY_UNIQUE_NAME") == key && levels.Value(row, "LEVEL_TYPE") != "All")
                fieldSet.fields.push_back(
                    {levels.Value(row, "LEVEL_UNIQUE_NAME"), levels.Value(row, "LEVEL_CAPTION"), true, false});
        }
        if (fieldSet.fields.empty()) {
            Fail(QStringLiteral("The hierarchy %1 has no levels to show.").arg(name));
            return false;
        }
        definition.rowAxis.push_back(std::move(fieldSet));
    }
    UseDefinition(std::move(definition));
    return true;
}

bool PivotComponent::RemoveField(const QString& name)
{
    pivot::PivotDefinition definition = Definition();
    const std::string key = name.toStdString();
    bool removed = false;
    for (pivot::AxisKind axis : {pivot::AxisKind::Row, pivot::AxisKind::Column, pivot::AxisKind::Filter}) {
        auto& fieldSets = definition.Axis(axis);
        removed = std::erase_if(fieldSets, [&](const pivot::PivotFieldSet& f) { return f.uniqueName == key; }) > 0
            || removed;
    }
    removed
        = std::erase_if(definition.totals, [&](const pivot::PivotTotal& t) { return t.name == key; }) > 0 || removed;
    if (removed)
        UseDefinition(std::move(definition));
    return removed;
}

void PivotComponent::Refresh()
{
    if (m_connection && !m_fromRecordset) {
        try {
            m_connection->ClearCache();
        } catch (const std::exception& error) {
            Fail(QString::fromUtf8(error.what()));
        }
    }
    UseDefinition(Definition());
}

pivot::PivotSelectionTarget PivotComponent::SelectionTarget() const
{
    const pivot::PivotGrid* grid = ExistingGrid();
    if (!grid || !m_session->HasLayout() || grid->CurrentRow() < 0)
        return {};
    return pivot::PivotSelectionTarget::At(
        m_session->ShownDefinition(), m_session->Layout(), grid->CurrentRow(), grid->CurrentColumn());
}

bool PivotComponent::Sort(pivot::SortDirection direction)
{
    pivot::PivotDefinition definition = Definition();
    std::string why;
    if (!pivot::PivotCommandEdit::Sort(definition, SelectionTarget(), direction, &why)) {
        Fail(QString::fromStdString(why));
        return false;
    }
    UseDefinition(std::move(definition));
    return true;
}

bool PivotComponent::CreateCalculatedTotal()
{
    pivot::PivotDefinition definition = Definition();
    std::string why;
    if (pivot::PivotCommandEdit::CreateCalculatedTotal(definition, SelectionTarget(), &why).empty()) {
        Fail(QString::fromStdString(why));
        return false;
    }
    UseDefinition(std::move(definition));
    return true;
}

void PivotComponent::SetSubtotals(bool shown, bool rowsOnly)
{
    pivot::PivotDefinition definition = Definition();
    bool changed = false;
    auto set = [&](pivot::PivotFieldSet& fieldSet) {
        changed = changed || fieldSet.subtotals != shown;
        fieldSet.subtotals = shown;
    };
    for (pivot::PivotFieldSet& fieldSet : definition.rowAxis)
        set(fieldSet);
    if (!rowsOnly && !definition.columnAxis.empty())
        set(definition.columnAxis.front());
    // The view-change handler calls this again after every change; only a real change re-queries.
    if (changed)
        UseDefinition(std::move(definition));
}

void PivotComponent::ApplyFont(const QString& family, int pointSize)
{
    if (pivot::PivotGrid* grid = ExistingGrid()) {
        QFont font = grid->font();
        font.setFamily(family);
        if (pointSize > 0)
            font.setPointSize(pointSize);
        grid->setFont(font);
    }
    pivot::PivotDefinition definition = Definition();
    bool changed = false;
    for (pivot::PivotTotal& total : definition.totals) {
        changed = changed || total.numberFormat != "#,#";
        total.numberFormat = "#,#";
    }
    if (changed)
        UseDefinition(std::move(definition));
}

bool PivotComponent::OptionOn(int id) const
{
    const auto it = options.find(id);
    return it != options.end() && it->second;
}

void PivotComponent::ApplyDisplay()
{
    // The grand-total switch writes into the view: on, it takes the grand totals away; off
    // again, it gives them back.
    const bool noGrandTotals = OptionOn(kOption6002006A);
    if (noGrandTotals != m_grandTotalsHidden) {
        m_grandTotalsHidden = noGrandTotals;
        pivot::PivotDefinition definition = Definition();
        definition.rowGrandTotals = !noGrandTotals;
        definition.columnGrandTotals = !noGrandTotals;
        if (!(definition == Definition()))
            UseDefinition(std::move(definition));
    }
    if (!m_table)
        return;
    using Panel = pivot::PivotTableWidget::Panel;
    m_table->SetDetailsAllowed(allowDetails);
    m_table->Grid()->SetExpandIndicatorsShown(displayExpandIndicator);
    if (displayFieldList)
        UpdateTableCube();
    m_table->SetPanelVisible(Panel::FieldList, displayFieldList);
    m_table->SetPanelVisible(Panel::Toolbar, displayToolbar);
    m_table->SetPanelVisible(Panel::PropertyToolbox, displayPropertyToolbox && allowPropertyToolbox);
    m_table->SetPanelVisible(Panel::TitleBar, OptionOn(kOption6042));
    m_table->SetPanelVisible(Panel::DropAreas, OptionOn(kOption6050));
    if (pivot::PivotToolbar* toolbar = m_table->Toolbar()) {
        if (QAction* filter = toolbar->Action(pivot::PivotCommand::Filter))
            filter->setVisible(allowFiltering);
        if (QAction* toolbox = toolbar->Action(pivot::PivotCommand::PropertyToolbox))
            toolbox->setVisible(allowPropertyToolbox);
    }
}

void PivotComponent::OnPanelToggled(pivot::PivotTableWidget::Panel panel, bool visible)
{
    // What the user switched on the table's own toolbar is the component's setting from now on.
    using Panel = pivot::PivotTableWidget::Panel;
    if (panel == Panel::FieldList)
        displayFieldList = visible;
    else if (panel == Panel::PropertyToolbox)
        displayPropertyToolbox = visible;
    else if (panel == Panel::Toolbar)
        displayToolbar = visible;
    if (panel == Panel::FieldList && visible)
        UpdateTableCube();
}

void PivotComponent::SetQueryProbe(QueryProbe probe)
{
    // The worker's runner holds a copy; the next change of the view installs this one.
    m_probe = std::move(probe);
}

void PivotComponent::SetVisible(bool visible)
{
    m_visible = visible;
    if (m_table)
        m_table->setVisible(visible);
}

} // namespace vantorel
