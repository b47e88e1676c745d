#include "olap/access/RecordsetCube.h"

#include "olap/model/Cube.h"
#include "olap/recordset/Recordset.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/storage/RelationalStaging.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace olap {

namespace {

//! BASE, or BASE followed by " 2", " 3", ... : the first that TAKEN does not hold (ignoring
//! case), which is then added to TAKEN.
std::string FreeName(const std::string& base, std::set<std::string>& taken)
{
    std::string name = base;
    for (int n = 2; taken.count(ToLowerAscii(name)); ++n)
        name = base + " " + std::to_string(n);
    taken.insert(ToLowerAscii(name));
    return name;
}

} // namespace

std::unique_ptr<Cube> RecordsetCube::Build(const recordset::Recordset& rs, const std::string& cubeName)
{
    if (cubeName.empty())
        throw OlapError("a cube made from a recordset needs a name");
    if (rs.FieldCount() == 0)
        throw OlapError("cannot make cube '" + cubeName + "' from a recordset without fields");

    // Field names are unique ignoring case already; only the Measures dimension's name, and
    // names generated here, may clash with them.
    std::set<std::string> taken {"measures"};
    for (const recordset::Field& field : rs.Fields())
        taken.insert(ToLowerAscii(field.Name()));
    const std::string countName = taken.count("count") ? FreeName("Row Count", taken) : FreeName("Count", taken);

    SchemaCube schema;
    schema.name = cubeName;
    schema.fact.name = cubeName;
    for (const recordset::Field& field : rs.Fields()) {
        const std::string name = EqualsNoCase(field.Name(), "Measures") ? FreeName(field.Name(), taken) : field.Name();
        if (recordset::IsNumeric(field.Type())) {
            SchemaMeasure measure;
            measure.name = name;
            measure.caption = field.Name();
            measure.column = field.Name();
            measure.aggregator = Aggregator::Sum;
            schema.measures.push_back(std::move(measure));
            continue;
        }
        SchemaLevel level;
        level.name = name;
        level.caption = field.Name();
        level.column = field.Name();
        SchemaDimension dim;
        dim.name = name;
        dim.caption = field.Name();
        dim.hierarchy.levels.push_back(std::move(level));
        schema.dimensions.push_back(std::move(dim));
    }
    schema.defaultMeasure = schema.measures.empty() ? countName : schema.measures.front().name;
    SchemaMeasure count;
    count.name = countName;
    count.column = countName;
    count.aggregator = Aggregator::Count;
    schema.measures.push_back(std::move(count));

    auto db = RelationalStaging::NewDatabase("recordset '" + cubeName + "'");
    RelationalStaging::CopyRecordset(*db, cubeName, rs, RelationalStaging::Booleans::Words, countName);
    return CubeBuilder::Build(cubeName, schema, *db);
}

} // namespace olap
