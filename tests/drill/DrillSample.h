#pragma once

// The sample cube with two awkward names (a subcategory "Drillthrough Kit" and a product
// named with a literal backslash-n), and pivot views over it laid out synchronously.
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/object/PivotTableObject.h"

#include "olap/access/Connection.h"
#include "olap/model/Cube.h"
#include "olap/sample/SalesSample.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/SqliteDb.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace drilltest {

inline constexpr const char* kKit = "[Product].[Drink].[Drillthrough Kit]";
inline constexpr const char* kBackslashProduct = R"([Product].[Drink].[Drillthrough Kit].[a\nb])";

//! Writes the cube into DIR and returns its connection string.
inline std::string WriteCube(const std::string& dir)
{
    olap::SalesSample::WriteSource(dir, 3000, 7);
    {
        olap::SqliteDb db(dir + "/sales.sqlite", olap::SqliteDb::Mode::ReadWriteCreate);
        db.Exec("UPDATE product SET subcategory = 'Drillthrough Kit' WHERE subcategory = 'Juice'");
        db.Exec("UPDATE product SET product_name = 'a\\nb' WHERE product_name = 'Best Grape Juice'");
    }
    const olap::SchemaDefinition schema = olap::SchemaReader::Parse(olap::SalesSample::SchemaXml());
    olap::SqliteDb source(dir + "/sales.sqlite", olap::SqliteDb::Mode::ReadOnly);
    auto cube = olap::CubeBuilder::Build(schema.name, schema.cubes.front(), source);
    olap::CubeFile::Write(*cube, dir + "/Sales.cub");
    return "Provider=MSOLAP.2;Data Source=" + dir + "/Sales.cub";
}

inline pivot::PivotFieldSet FieldSet(const std::string& name, const std::vector<std::string>& levels, int included)
{
    pivot::PivotFieldSet fieldSet;
    fieldSet.uniqueName = "[" + name + "]";
    fieldSet.caption = name;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        pivot::PivotField field;
        field.uniqueName = fieldSet.uniqueName + ".[" + levels[i] + "]";
        field.caption = levels[i];
        field.isIncluded = static_cast<int>(i) < included;
        fieldSet.fields.push_back(field);
    }
    return fieldSet;
}

inline pivot::PivotFieldSet Product(int included)
{
    return FieldSet("Product", {"Category", "Subcategory", "Product"}, included);
}
inline pivot::PivotFieldSet Store(int included)
{
    return FieldSet("Store", {"Country", "City", "Store"}, included);
}
inline pivot::PivotFieldSet Time(int included)
{
    return FieldSet("Time", {"Year", "Quarter", "Month"}, included);
}
inline pivot::PivotFieldSet Customer()
{
    return FieldSet("Customer", {"Gender"}, 1);
}

inline pivot::PivotFieldSet Filtered(
    pivot::PivotFieldSet fieldSet, pivot::PivotMemberFilter::Mode mode, std::vector<std::string> members)
{
    fieldSet.filter.mode = mode;
    fieldSet.filter.members = std::move(members);
    return fieldSet;
}

inline pivot::PivotFieldSet Expanded(pivot::PivotFieldSet fieldSet, std::vector<std::string> members)
{
    fieldSet.expandedMembers = std::move(members);
    return fieldSet;
}

inline pivot::PivotDefinition View(const std::string& connection, std::vector<pivot::PivotFieldSet> rows,
    std::vector<pivot::PivotFieldSet> columns, std::vector<pivot::PivotFieldSet> filters)
{
    pivot::PivotDefinition view;
    view.connectionString = connection;
    view.dataMember = "Sales";
    view.titleCaption = "Units";
    view.rowAxis = std::move(rows);
    view.columnAxis = std::move(columns);
    view.filterAxis = std::move(filters);
    pivot::PivotTotal units;
    units.name = "[Measures].[Unit Sales]";
    units.caption = "Units";
    view.totals.push_back(units);
    return view;
}

//! The pivot table of VIEW on CONNECTION, laid out from its query.
inline std::shared_ptr<pivot::PivotTableObject> Table(
    const pivot::PivotDefinition& view, const std::shared_ptr<olap::Connection>& connection)
{
    auto layout = std::make_shared<pivot::PivotLayout>(
        view, connection->ExecuteMdx(pivot::PivotMdxBuilder::Build(view)).cellSet);
    return std::make_shared<pivot::PivotTableObject>(view, std::move(layout), connection);
}

} // namespace drilltest
