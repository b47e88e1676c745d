#include "olap/storage/CubeBuilder.h"

#include "olap/model/Cube.h"
#include "olap/model/ModelBuilder.h"
#include "olap/schema/SchemaReader.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_map>

namespace olap {

namespace {

constexpr std::uint32_t kNoLeaf = std::numeric_limits<std::uint32_t>::max();

//! A value read from the source, with the ordering the cube uses.
struct KeyValue {
    enum class Kind { Null, Number, Text } kind = Kind::Null;
    double number = 0;
    std::string text;

    static KeyValue Read(const SqliteStatement& stmt, int column, bool numeric)
    {
        KeyValue v;
        const int type = stmt.Type(column);
        if (type == SQLITE_NULL)
            return v;
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
            v.kind = Kind::Number;
            v.number = stmt.Double(column);
            if (type == SQLITE_INTEGER)
                v.number = static_cast<double>(stmt.Int(column));
            v.text = type == SQLITE_INTEGER ? std::to_string(stmt.Int(column)) : FormatNumber(v.number);
            return v;
        }
        v.text = stmt.Text(column);
        v.kind = Kind::Text;
        if (numeric) {
            double number = 0;
            auto [end, ec] = std::from_chars(v.text.data(), v.text.data() + v.text.size(), number);
            if (ec == std::errc() && end == v.text.data() + v.text.size()) {
                v.kind = Kind::Number;
                v.number = number;
                v.text = FormatNumber(number);
            }
        }
        return v;
    }

    std::string Display() const { return kind == Kind::Null ? std::string("#null") : text; }
    std::string Identity() const
    {
        switch (kind) {
        case Kind::Null:
            return "\x01";
        case Kind::Number:
            return "n" + text;
        case Kind::Text:
            break;
        }
        return "s" + text;
    }

    bool operator<(const KeyValue& other) const
    {
        if (kind != other.kind)
            return kind < other.kind;
        if (kind == Kind::Number)
            return number < other.number;
        return text < other.text;
    }
};

struct Node {
    std::uint32_t parent = 0;
    KeyValue key;
    KeyValue ordinal;
    std::string name;
    std::string caption;
    //! Member property values, from the row that made the member ("" for NULL).
    std::vector<std::string> properties;
    std::vector<std::uint32_t> children;
    std::unordered_map<std::string, std::uint32_t> childIndex;
    std::uint32_t finalOrdinal = 0;
};

//! Builds the member tree of one hierarchy from rows of level values.
class MemberTree {
public:
    explicit MemberTree(const SchemaHierarchy& hierarchy) : m_hierarchy(hierarchy)
    {
        m_nodes.emplace_back(); // root
    }

    //! Columns a row has per hierarchy: per level key, name, caption, ordinal and the
    //! member properties.
    static int ColumnCount(const SchemaHierarchy& hierarchy)
    {
        int columns = 0;
        for (const SchemaLevel& level : hierarchy.levels)
            columns += 4 + static_cast<int>(level.properties.size());
        return columns;
    }

    //! Adds the path of the row at STMT (level columns from FIRSTCOLUMN on, per level key,
    //! name, caption, ordinal, then its properties); returns the leaf node.
    std::uint32_t AddRow(const SqliteStatement& stmt, int firstColumn)
    {
        std::uint32_t current = 0;
        int c = firstColumn;
        for (std::size_t li = 0; li < m_hierarchy.levels.size(); ++li) {
            const SchemaLevel& level = m_hierarchy.levels[li];
            const int levelColumn = c;
            c += 4 + static_cast<int>(level.properties.size());
            KeyValue key = KeyValue::Read(stmt, levelColumn, level.NumericKeys());
            std::string identity = key.Identity();
            auto it = m_nodes[current].childIndex.find(identity);
            if (it != m_nodes[current].childIndex.end()) {
                current = it->second;
                continue;
            }
            Node node;
            node.parent = current;
            node.name
                = level.nameColumn.empty() ? key.Display() : KeyValue::Read(stmt, levelColumn + 1, false).Display();
            node.caption
                = level.captionColumn.empty() ? std::string() : KeyValue::Read(stmt, levelColumn + 2, false).Display();
            if (!level.ordinalColumn.empty())
                node.ordinal = KeyValue::Read(stmt, levelColumn + 3, true);
            for (std::size_t p = 0; p < level.properties.size(); ++p) {
                const KeyValue v = KeyValue::Read(
                    stmt, levelColumn + 4 + static_cast<int>(p), level.properties[p].property.Numeric());
                node.properties.push_back(v.kind == KeyValue::Kind::Null ? std::string() : v.text);
            }
            node.key = std::move(key);
            const auto id = static_cast<std::uint32_t>(m_nodes.size());
            m_nodes[current].childIndex.emplace(std::move(identity), id);
            m_nodes[current].children.push_back(id);
            m_nodes.push_back(std::move(node));
            current = id;
        }
        return current;
    }

    //! Sorts the tree and adds its members to BUILDER; returns, per node, the
    //! final leaf ordinal (meaningful for leaf nodes).
    void Emit(ModelBuilder& builder, int dim)
    {
        const std::size_t levels = m_hierarchy.levels.size();
        for (Node& node : m_nodes) {
            std::sort(node.children.begin(), node.children.end(), [&](std::uint32_t a, std::uint32_t b) {
                const Node& x = m_nodes[a];
                const Node& y = m_nodes[b];
                const SchemaLevel* level = nullptr;
                (void)level;
                if (x.ordinal.kind != KeyValue::Kind::Null || y.ordinal.kind != KeyValue::Kind::Null) {
                    if (x.ordinal < y.ordinal)
                        return true;
                    if (y.ordinal < x.ordinal)
                        return false;
                }
                return x.key < y.key;
            });
        }
        // Breadth by level keeps hierarchical order: each level lists the
        // children of the previous level's members in that order.
        std::vector<std::uint32_t> current {0};
        for (std::size_t li = 0; li < levels; ++li) {
            std::vector<std::uint32_t> next;
            for (std::uint32_t parentId : current) {
                for (std::uint32_t child : m_nodes[parentId].children) {
                    Node& node = m_nodes[child];
                    const std::uint32_t parentOrdinal = li == 0 ? 0 : m_nodes[parentId].finalOrdinal;
                    node.finalOrdinal = builder.AddMember(
                        dim, static_cast<int>(li), parentOrdinal, node.key.Display(), node.name, node.caption);
                    if (!node.properties.empty())
                        builder.SetMemberProperties(
                            dim, static_cast<int>(li), node.finalOrdinal, std::move(node.properties));
                    next.push_back(child);
                }
            }
            current = std::move(next);
        }
        m_leafCount = static_cast<std::uint32_t>(current.size());
    }

    std::uint32_t LeafOrdinal(std::uint32_t node) const { return m_nodes[node].finalOrdinal; }
    std::uint32_t LeafCount() const { return m_leafCount; }

private:
    const SchemaHierarchy& m_hierarchy;
    std::vector<Node> m_nodes;
    std::uint32_t m_leafCount = 0;
};

std::set<std::string> ColumnsOf(SqliteDb& db, const std::string& table)
{
    std::set<std::string> columns;
    auto stmt = db.Prepare("PRAGMA table_info(" + QuoteIdentifier(table) + ")");
    while (stmt.Step()) {
        columns.insert(ToLowerAscii(stmt.Text(1)));
    }
    return columns;
}

void RequireTable(SqliteDb& db, const std::string& table, const std::string& what)
{
    if (!db.HasTable(table))
        throw OlapError(
            "cannot build the cube: table '" + table + "' (" + what + ") does not exist in '" + db.Path() + "'");
}

void RequireColumn(const std::set<std::string>& columns, const std::string& table, const std::string& column,
    const std::string& what, const std::string& path)
{
    if (!columns.count(ToLowerAscii(column)))
        throw OlapError("cannot build the cube: table '" + table + "' has no column '" + column + "' (" + what
            + ") in '" + path + "'");
}

std::string LevelColumns(const SchemaLevel& level)
{
    auto col = [](const std::string& name) { return name.empty() ? std::string("NULL") : QuoteIdentifier(name); };
    std::string columns = col(level.column) + ", " + col(level.nameColumn) + ", " + col(level.captionColumn) + ", "
        + col(level.ordinalColumn);
    for (const SchemaProperty& p : level.properties)
        columns += ", " + col(p.column);
    return columns;
}

//! Maps primary-key values to leaf nodes: integers directly, others by text.
struct KeyIndex {
    std::unordered_map<std::int64_t, std::uint32_t> byInt;
    std::unordered_map<std::string, std::uint32_t> byText;

    static bool AsInt(const SqliteStatement& stmt, int column, std::int64_t& out)
    {
        const int type = stmt.Type(column);
        if (type == SQLITE_INTEGER) {
            out = stmt.Int(column);
            return true;
        }
        if (type == SQLITE_FLOAT) {
            const double d = stmt.Double(column);
            if (d == std::floor(d) && std::fabs(d) < 9e15) {
                out = static_cast<std::int64_t>(d);
                return true;
            }
        }
        if (type == SQLITE_TEXT) {
            const std::string text = stmt.Text(column);
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
            return ec == std::errc() && end == text.data() + text.size();
        }
        return false;
    }

    //! Returns false when the key is already present.
    bool Insert(const SqliteStatement& stmt, int column, std::uint32_t leaf)
    {
        std::int64_t i = 0;
        if (AsInt(stmt, column, i))
            return byInt.emplace(i, leaf).second;
        return byText.emplace(stmt.Text(column), leaf).second;
    }

    std::uint32_t Find(const SqliteStatement& stmt, int column) const
    {
        std::int64_t i = 0;
        if (AsInt(stmt, column, i)) {
            auto it = byInt.find(i);
            return it == byInt.end() ? kNoLeaf : it->second;
        }
        auto it = byText.find(stmt.Text(column));
        return it == byText.end() ? kNoLeaf : it->second;
    }
};

struct RawMeasure {
    std::vector<double> values;
    std::vector<std::uint64_t> nulls;
    bool anyNull = false;
    std::vector<std::uint32_t> ids;
    std::unordered_map<std::string, std::uint32_t> dictionary;
    std::vector<std::string> dictionaryTexts;
};

template <typename T>
bool FitsAll(const std::vector<double>& values, const std::vector<std::uint64_t>& nulls, double factor, bool anyNull)
{
    const double lo = static_cast<double>(std::numeric_limits<T>::min());
    const double hi = static_cast<double>(std::numeric_limits<T>::max());
    for (std::size_t r = 0; r < values.size(); ++r) {
        if (anyNull && ((nulls[r >> 6] >> (r & 63)) & 1u))
            continue;
        const double scaled = values[r] * factor;
        const double rounded = std::round(scaled);
        if (rounded < lo || rounded > hi || std::fabs(scaled - rounded) > 1e-6)
            return false;
    }
    return true;
}

template <typename T> ColumnVector<T> Scaled(const std::vector<double>& values, double factor)
{
    ColumnVector<T> out(values.size());
    for (std::size_t r = 0; r < values.size(); ++r)
        out[r] = static_cast<T>(std::llround(values[r] * factor));
    return out;
}

MeasureColumn Encode(RawMeasure& raw, Aggregator aggregator)
{
    MeasureColumn column;
    if (raw.anyNull)
        column.nulls = std::move(raw.nulls);
    if (aggregator == Aggregator::DistinctCount) {
        column.distinct = static_cast<std::uint32_t>(raw.dictionaryTexts.size());
        column.dictionary = std::move(raw.dictionaryTexts);
        if (column.distinct <= 0x80)
            column.values = ColumnVector<std::int8_t>(raw.ids.begin(), raw.ids.end());
        else if (column.distinct <= 0x8000)
            column.values = ColumnVector<std::int16_t>(raw.ids.begin(), raw.ids.end());
        else
            column.values = ColumnVector<std::int32_t>(raw.ids.begin(), raw.ids.end());
        return column;
    }
    if (aggregator == Aggregator::Count)
        return column;
    // The fewest decimal places that hold every value exactly, as the narrowest integer.
    for (int scale = 0; scale <= 4; ++scale) {
        const double factor = std::pow(10.0, scale);
        if (FitsAll<std::int8_t>(raw.values, column.nulls, factor, raw.anyNull)) {
            column.values = Scaled<std::int8_t>(raw.values, factor);
            column.scale = scale;
            return column;
        }
        if (FitsAll<std::int16_t>(raw.values, column.nulls, factor, raw.anyNull)) {
            column.values = Scaled<std::int16_t>(raw.values, factor);
            column.scale = scale;
            return column;
        }
        if (FitsAll<std::int32_t>(raw.values, column.nulls, factor, raw.anyNull)) {
            column.values = Scaled<std::int32_t>(raw.values, factor);
            column.scale = scale;
            return column;
        }
    }
    column.values = ColumnVector<double>(raw.values.begin(), raw.values.end());
    return column;
}

template <typename T> void Remap(ColumnVector<T>& out, const std::vector<std::uint32_t>& nodes, const MemberTree& tree)
{
    for (std::size_t r = 0; r < nodes.size(); ++r)
        out[r] = static_cast<T>(tree.LeafOrdinal(nodes[r]));
}

} // namespace

std::unique_ptr<Cube> CubeBuilder::Build(const std::string& schemaName, const SchemaCube& schema, SqliteDb& source)
{
    // Schemas made in code reach here without the reader's check of their formulas.
    for (const CalculatedDefinition& calc : schema.calculated) {
        if (const auto problem = SchemaReader::CheckFormula(calc))
            throw OlapError(
                std::string(calc.kind == CalculatedDefinition::Kind::Set ? "named set '" : "calculated member '")
                + calc.name + "' of cube '" + schema.name + "': " + *problem);
    }
    const std::string& factTable = schema.fact.name;
    RequireTable(source, factTable, "fact table of cube '" + schema.name + "'");
    const auto factColumns = ColumnsOf(source, factTable);

    std::vector<std::unique_ptr<MemberTree>> trees;
    std::vector<KeyIndex> indexes(schema.dimensions.size());
    std::string factSelect;
    auto addSelect = [&](const std::string& expr) {
        if (!factSelect.empty())
            factSelect += ", ";
        factSelect += expr;
    };
    for (std::size_t d = 0; d < schema.dimensions.size(); ++d) {
        const SchemaDimension& dim = schema.dimensions[d];
        const SchemaHierarchy& h = dim.hierarchy;
        trees.push_back(std::make_unique<MemberTree>(h));
        if (h.table) {
            const std::string& table = h.table->name;
            RequireTable(source, table, "dimension '" + dim.name + "'");
            const auto columns = ColumnsOf(source, table);
            RequireColumn(columns, table, h.primaryKey, "primaryKey of dimension '" + dim.name + "'", source.Path());
            RequireColumn(
                factColumns, factTable, dim.foreignKey, "foreignKey of dimension '" + dim.name + "'", source.Path());
            std::string select = "SELECT " + QuoteIdentifier(h.primaryKey);
            for (const SchemaLevel& level : h.levels) {
                for (const std::string* column :
                    {&level.column, &level.nameColumn, &level.captionColumn, &level.ordinalColumn}) {
                    if (!column->empty())
                        RequireColumn(columns, table, *column,
                            "Level '" + level.name + "' of dimension '" + dim.name + "'", source.Path());
                }
                for (const SchemaProperty& p : level.properties)
                    RequireColumn(columns, table, p.column,
                        "Property '" + p.property.name + "' of level '" + level.name + "'", source.Path());
                select += ", " + LevelColumns(level);
            }
            select += " FROM " + QuoteIdentifier(table);
            auto stmt = source.Prepare(select);
            while (stmt.Step()) {
                if (stmt.IsNull(0))
                    throw OlapError(
                        "cannot build the cube: table '" + table + "' has a NULL primary key '" + h.primaryKey + "'");
                const std::uint32_t leaf = trees.back()->AddRow(stmt, 1);
                if (!indexes[d].Insert(stmt, 0, leaf))
                    throw OlapError("cannot build the cube: primary key " + h.primaryKey + " = " + stmt.Text(0)
                        + " is not unique in table '" + table + "'");
            }
            addSelect(QuoteIdentifier(dim.foreignKey));
        } else {
            for (const SchemaLevel& level : h.levels) {
                for (const std::string* column :
                    {&level.column, &level.nameColumn, &level.captionColumn, &level.ordinalColumn}) {
                    if (!column->empty())
                        RequireColumn(factColumns, factTable, *column,
                            "Level '" + level.name + "' of dimension '" + dim.name + "'", source.Path());
                }
                for (const SchemaProperty& p : level.properties)
                    RequireColumn(factColumns, factTable, p.column,
                        "Property '" + p.property.name + "' of level '" + level.name + "'", source.Path());
                addSelect(LevelColumns(level));
            }
        }
    }
    for (const SchemaMeasure& measure : schema.measures) {
        RequireColumn(factColumns, factTable, measure.column, "Measure '" + measure.name + "'", source.Path());
        addSelect(QuoteIdentifier(measure.column));
    }
    if (factSelect.empty())
        addSelect("1");

    std::vector<std::vector<std::uint32_t>> nodes(schema.dimensions.size());
    std::vector<RawMeasure> raw(schema.measures.size());
    std::uint64_t rowCount = 0;
    {
        auto stmt = source.Prepare("SELECT " + factSelect + " FROM " + QuoteIdentifier(factTable));
        while (stmt.Step()) {
            int column = 0;
            for (std::size_t d = 0; d < schema.dimensions.size(); ++d) {
                const SchemaDimension& dim = schema.dimensions[d];
                std::uint32_t node = kNoLeaf;
                if (dim.hierarchy.table) {
                    if (stmt.IsNull(column))
                        throw OlapError("cannot build the cube: row " + std::to_string(rowCount + 1)
                            + " of fact table '" + factTable + "' has a NULL " + dim.foreignKey + " (dimension '"
                            + dim.name + "')");
                    node = indexes[d].Find(stmt, column);
                    if (node == kNoLeaf)
                        throw OlapError("cannot build the cube: row " + std::to_string(rowCount + 1)
                            + " of fact table '" + factTable + "': " + dim.foreignKey + " = " + stmt.Text(column)
                            + " has no match in " + dim.hierarchy.table->name + "." + dim.hierarchy.primaryKey
                            + " (dimension '" + dim.name + "')");
                    ++column;
                } else {
                    node = trees[d]->AddRow(stmt, column);
                    column += MemberTree::ColumnCount(dim.hierarchy);
                }
                nodes[d].push_back(node);
            }
            for (std::size_t m = 0; m < schema.measures.size(); ++m, ++column) {
                RawMeasure& r = raw[m];
                if ((rowCount & 63) == 0)
                    r.nulls.push_back(0);
                const bool isNull = stmt.IsNull(column);
                if (isNull) {
                    r.anyNull = true;
                    r.nulls.back() |= std::uint64_t(1) << (rowCount & 63);
                }
                if (schema.measures[m].aggregator == Aggregator::DistinctCount) {
                    std::uint32_t id = 0;
                    if (!isNull) {
                        KeyValue v = KeyValue::Read(stmt, column, false);
                        auto [it, inserted] = r.dictionary.try_emplace(
                            v.Identity(), static_cast<std::uint32_t>(r.dictionaryTexts.size()));
                        if (inserted)
                            r.dictionaryTexts.push_back(v.Display());
                        id = it->second;
                    }
                    r.ids.push_back(id);
                } else if (schema.measures[m].aggregator != Aggregator::Count) {
                    double value = isNull ? 0.0 : stmt.Double(column);
                    if (!std::isfinite(value))
                        throw OlapError("cannot build the cube: row " + std::to_string(rowCount + 1)
                            + " of fact table '" + factTable + "' has a value of " + schema.measures[m].column
                            + " that is not a number");
                    r.values.push_back(value);
                }
            }
            ++rowCount;
        }
    }

    ModelBuilder builder(schema.name, schemaName);
    builder.SetCaption(schema.caption);
    FactTable facts;
    facts.rowCount = rowCount;
    for (std::size_t d = 0; d < schema.dimensions.size(); ++d) {
        const SchemaDimension& dim = schema.dimensions[d];
        ModelBuilder::DimensionSpec spec;
        spec.name = dim.name;
        spec.caption = dim.caption;
        spec.type = dim.type;
        spec.hierarchyName = dim.hierarchy.name;
        spec.hasAll = dim.hierarchy.hasAll;
        spec.allMemberName = dim.hierarchy.allMemberName;
        spec.allMemberCaption = dim.hierarchy.allMemberCaption;
        const int handle = builder.AddDimension(spec);
        for (std::size_t li = 0; li < dim.hierarchy.levels.size(); ++li) {
            const SchemaLevel& level = dim.hierarchy.levels[li];
            builder.AddLevel(
                handle, level.name, level.caption, level.levelType, level.uniqueMembers, level.NumericKeys());
            for (const SchemaProperty& p : level.properties)
                builder.AddLevelProperty(handle, static_cast<int>(li), p.property);
        }
        trees[d]->Emit(builder, handle);
        KeyColumn keys = MakeKeyColumn(KeyWidthFor(trees[d]->LeafCount()), static_cast<std::size_t>(rowCount));
        std::visit([&](auto& v) { Remap(v, nodes[d], *trees[d]); }, keys);
        std::vector<std::uint32_t>().swap(nodes[d]);
        facts.keys.push_back(std::move(keys));
    }
    for (std::size_t m = 0; m < schema.measures.size(); ++m) {
        const SchemaMeasure& measure = schema.measures[m];
        builder.AddMeasure(measure.name, measure.caption, measure.column, measure.aggregator, measure.formatString);
        facts.measures.push_back(Encode(raw[m], measure.aggregator));
    }
    builder.SetDefaultMeasure(schema.defaultMeasure);
    for (const CalculatedDefinition& calc : schema.calculated)
        builder.AddCalculated(calc);
    return builder.Finish(std::move(facts));
}

} // namespace olap
