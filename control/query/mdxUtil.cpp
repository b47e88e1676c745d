#include "control/query/mdxUtil.h"

#include "control/query/mdxUtilError.h"
#include "olap/access/Connection.h"
#include "olap/adomd/Catalog.h"
#include "olap/adomd/CellSet.h"
#include "olap/adomd/CubeDef.h"
#include "platform/ProviderDrivers.h"

#include <algorithm>
#include <exception>

namespace {

// Lists the views of a SQL Server database; other sources have no sysobjects table and
// fail it, which leaves only the tables listed.
const char* const kViewsStatement
    = "Select NAME from sysobjects where OBJECTPROPERTY( object_id(NAME), 'IsView' )=1 and OBJECTPROPERTY( "
      "object_id(NAME), 'IsMSShipped' )=0 ";

std::string ToStd(const QString& text)
{
    return text.toStdString();
}

QString FromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Entry(const std::string& uniqueName, const std::string& name, bool expandable)
{
    return FromStd(uniqueName) + QLatin1Char('~') + FromStd(name) + QLatin1Char('~')
        + (expandable ? QStringLiteral("True") : QStringLiteral("False"));
}

// Callers read elements 0 to upper bound - 1: the list always ends with one empty element.
QStringList Finished(QStringList list)
{
    list.append(QString());
    return list;
}

std::shared_ptr<olap::Connection> OpenConnection(const QString& connectionString)
{
    auto connection = std::make_shared<olap::Connection>();
    connection->Open(ToStd(connectionString), {}, {}, -1, platform::RegistryProviderDriver);
    return connection;
}

// Field FIELD of every row of ROWS, from the first row on.
void AppendColumn(olap::recordset::Recordset& rows, std::string_view field, QStringList& list)
{
    const std::size_t index = rows.FieldIndex(field);
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
        list.append(FromStd(rows.Fields()[index].Value().ToText()));
}

// The measures dimension, whatever the case of its name.
bool IsMeasures(const olap::adomd::Dimension* dimension)
{
    return FromStd(dimension->Name()).toUpper() == QLatin1String("MEASURES");
}

// Members as tree entries: expandable when they have children.
void AppendMembers(const std::vector<const olap::adomd::Member*>& members, QStringList& list)
{
    for (const olap::adomd::Member* member : members)
        list.append(Entry(member->UniqueName(), member->Name(), member->ChildCount() >= 1));
}

template <typename T>
const T* SchemaObjectAs(const olap::adomd::CubeDef& cube, olap::adomd::SchemaObjectType type, const QString& name)
{
    return std::get<const T*>(cube.GetSchemaObject(type, ToStd(name)));
}

} // namespace

mdxUtil::mdxUtil() = default;
mdxUtil::~mdxUtil() = default;

bool mdxUtil::buildCube(QString& connectionString, QString& errorMessage)
{
    // The previous connection and catalog are released, not closed: recordsets and cube
    // definitions handed out before keep theirs.
    m_catalog.reset();
    m_connection = std::make_shared<olap::Connection>();
    try {
        m_connection->Open(ToStd(connectionString), {}, {}, -1, platform::RegistryProviderDriver);
    } catch (const std::exception& e) {
        errorMessage = FromStd(e.what());
        return false;
    }
    try {
        auto catalog = std::make_shared<olap::adomd::Catalog>();
        catalog->SetActiveConnection(m_connection);
        m_catalog = std::move(catalog);
    } catch (const std::exception& e) {
        errorMessage = FromStd(e.what());
        return false;
    }
    return true;
}

bool mdxUtil::buildSQL(QString& connectionString, QString& errorMessage)
{
    m_connection = std::make_shared<olap::Connection>();
    try {
        m_connection->Open(ToStd(connectionString), {}, {}, -1, platform::RegistryProviderDriver);
    } catch (const std::exception& e) {
        errorMessage = FromStd(e.what());
        return false;
    }
    return true;
}

QStringList mdxUtil::listOfTables(QString&)
{
    QStringList list;
    try {
        if (!m_connection)
            throw mdxUtilError("No connection is open: call buildCube or buildSQL first");
        olap::recordset::Recordset tables = m_connection->OpenSchema(
            olap::SchemaEnum::Tables, {std::string(), std::string(), std::string(), "Table"});
        AppendColumn(tables, "TABLE_NAME", list);
    } catch (const mdxUtilError&) {
        throw;
    } catch (const std::exception& e) {
        throw mdxUtilError(e.what());
    }
    try {
        olap::recordset::Recordset views = m_connection->Execute(kViewsStatement);
        if (views.IsOpen())
            AppendColumn(views, "name", list);
    } catch (const std::exception&) {
        // Sources without sysobjects: the tables alone.
    }
    return Finished(list);
}

QStringList mdxUtil::listOfCubes(QString&)
{
    QStringList list;
    if (!m_catalog)
        return Finished(list);
    try {
        try {
            m_catalog->SetActiveConnection(m_connection);
        } catch (const std::exception&) {
            // Keep the catalog's previous connection and refresh from it.
            m_catalog->Refresh();
        }
        for (const auto& cube : m_catalog->CubeDefs())
            list.append(FromStd(cube->Name()));
    } catch (const std::exception&) {
    }
    return Finished(list);
}

QStringList mdxUtil::listOfASDatabases(QString&)
{
    QStringList list;
    if (!m_connection)
        return Finished(list);
    try {
        olap::recordset::Recordset catalogs = m_connection->OpenSchema(olap::SchemaEnum::Catalogs);
        AppendColumn(catalogs, "CATALOG_NAME", list);
    } catch (const std::exception&) {
    }
    return Finished(list);
}

QStringList mdxUtil::listOfSQLDB(QString& errorMessage)
{
    return listOfASDatabases(errorMessage);
}

QStringList mdxUtil::CubeList(const QString& cubeName, QString& errorMessage,
    const std::function<void(const olap::adomd::CubeDef&, QStringList&)>& fill) const
{
    errorMessage.clear();
    QStringList list;
    try {
        if (const auto cube = m_catalog ? m_catalog->FindCubeDef(ToStd(cubeName)) : nullptr)
            fill(*cube, list);
    } catch (const std::exception&) {
        // A failing step ends the list where it stands.
    }
    return Finished(list);
}

QStringList mdxUtil::listOfMeasures(QString& cubeName, QString& errorMessage)
{
    return CubeList(cubeName, errorMessage, [](const olap::adomd::CubeDef& cube, QStringList& list) {
        const auto& dimensions = cube.Dimensions();
        const auto measures = std::find_if(dimensions.begin(), dimensions.end(), IsMeasures);
        if (measures == dimensions.end())
            return;
        for (const olap::adomd::Hierarchy* hierarchy : (*measures)->Hierarchies()) {
            for (const olap::adomd::Level* level : hierarchy->Levels()) {
                for (const olap::adomd::Member* member : level->Members())
                    list.append(FromStd(member->UniqueName()));
            }
        }
    });
}

QStringList mdxUtil::listOfDimensions(QString& cubeName, QString& errorMessage)
{
    return CubeList(cubeName, errorMessage, [](const olap::adomd::CubeDef& cube, QStringList& list) {
        for (const olap::adomd::Dimension* dimension : cube.Dimensions()) {
            if (!IsMeasures(dimension))
                list.append(Entry(dimension->UniqueName(), dimension->Name(), true));
        }
    });
}

QStringList mdxUtil::listOfLevel(QString& cubeName, QString& dimensionName, QString& errorMessage)
{
    return CubeList(cubeName, errorMessage, [&dimensionName](const olap::adomd::CubeDef& cube, QStringList& list) {
        const auto* dimension
            = SchemaObjectAs<olap::adomd::Dimension>(cube, olap::adomd::SchemaObjectType::Dimension, dimensionName);
        if (dimension->Hierarchies().empty())
            return;
        for (const olap::adomd::Level* level : dimension->Hierarchies()[0]->Levels())
            list.append(Entry(level->UniqueName(), level->Name(), !level->Members().empty()));
    });
}

QStringList mdxUtil::listOfMembers(QString& cubeName, QString& levelName, QString& errorMessage)
{
    return CubeList(cubeName, errorMessage, [&levelName](const olap::adomd::CubeDef& cube, QStringList& list) {
        const auto* level = SchemaObjectAs<olap::adomd::Level>(cube, olap::adomd::SchemaObjectType::Level, levelName);
        AppendMembers(level->Members(), list);
    });
}

QStringList mdxUtil::listOfChildMembers(QString& cubeName, QString& MemberName, QString& errorMessage)
{
    return CubeList(cubeName, errorMessage, [&MemberName](const olap::adomd::CubeDef& cube, QStringList& list) {
        const auto* member
            = SchemaObjectAs<olap::adomd::Member>(cube, olap::adomd::SchemaObjectType::Member, MemberName);
        AppendMembers(member->Children(), list);
    });
}

QString mdxUtil::testMDXquery(QString& strQuery, QString& connectionString)
{
    try {
        std::shared_ptr<olap::Connection> connection = OpenConnection(connectionString);
        olap::adomd::CellSet cellSet;
        cellSet.Open(ToStd(strQuery), connection);
        cellSet.Close();
        connection->Close();
    } catch (const std::exception& e) {
        return FromStd(e.what());
    }
    return QString();
}

platform::HResult mdxUtil::Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
    platform::Variant* result, platform::DispatchException* exception)
{
    using platform::Variant;
    if (kind != platform::InvokeKind::Method)
        return platform::kDispEMemberNotFound;
    std::size_t wanted = 0;
    switch (id) {
    case kListOfTables:
    case kListOfCubes:
    case kListOfAsDatabases:
    case kListOfSqlDb:
        wanted = 1;
        break;
    case kBuildCube:
    case kBuildSql:
    case kListOfMeasures:
    case kListOfDimensions:
    case kTestMdxQuery:
        wanted = 2;
        break;
    case kListOfLevel:
    case kListOfMembers:
    case kListOfChildMembers:
        wanted = 3;
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (args.size() != wanted)
        return platform::kDispEBadParamCount;
    // Strings go by reference: read them, call, and write them back.
    std::vector<QString> text;
    text.reserve(args.size());
    for (const Variant& arg : args)
        text.push_back(arg.toString());
    auto array = [](const QStringList& list) {
        std::vector<Variant> items;
        for (const QString& item : list)
            items.emplace_back(item);
        return Variant(std::move(items));
    };
    Variant answer;
    try {
        switch (id) {
        case kBuildCube:
            answer = Variant(buildCube(text[0], text[1]));
            break;
        case kBuildSql:
            answer = Variant(buildSQL(text[0], text[1]));
            break;
        case kListOfTables:
            answer = array(listOfTables(text[0]));
            break;
        case kListOfCubes:
            answer = array(listOfCubes(text[0]));
            break;
        case kListOfAsDatabases:
            answer = array(listOfASDatabases(text[0]));
            break;
        case kListOfSqlDb:
            answer = array(listOfSQLDB(text[0]));
            break;
        case kListOfMeasures:
            answer = array(listOfMeasures(text[0], text[1]));
            break;
        case kListOfDimensions:
            answer = array(listOfDimensions(text[0], text[1]));
            break;
        case kListOfLevel:
            answer = array(listOfLevel(text[0], text[1], text[2]));
            break;
        case kListOfMembers:
            answer = array(listOfMembers(text[0], text[1], text[2]));
            break;
        case kListOfChildMembers:
            answer = array(listOfChildMembers(text[0], text[1], text[2]));
            break;
        case kTestMdxQuery:
            answer = Variant(testMDXquery(text[0], text[1]));
            break;
        default:
            break;
        }
    } catch (const std::exception& e) {
        if (exception) {
            exception->source = QString::fromLatin1(kProgId);
            exception->description = FromStd(e.what());
            exception->code = platform::kEFail;
        }
        return platform::kDispEException;
    }
    for (std::size_t i = 0; i < args.size(); ++i)
        args[i] = Variant(text[i]);
    if (result)
        *result = std::move(answer);
    return platform::kSOk;
}
