// The peer's recorded smoke queries (data/peer/smoke.mdx, answers in data/peer/smoke.raw.tsv:
// each block echoes its statement in "# " lines, then a header line per column hierarchy
// and one line per row tuple: unique names, then raw values) run against the same schema and
// data, compared cell by cell. Values agree to 1e-9 relative (the peer prints 15 digits).
#include "OlapTestSupport.h"

#include "olap/query/MdxEvaluator.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

struct PeerBlock {
    std::string query;
    std::vector<std::string> lines;
    long drillthroughRows = -1;
};

std::vector<PeerBlock> ReadBlocks(const std::string& text)
{
    std::vector<PeerBlock> blocks;
    std::istringstream in(text);
    std::string line;
    bool inBody = false;
    while (std::getline(in, line)) {
        if (line.empty()) {
            inBody = false;
            continue;
        }
        if (line.rfind("# ", 0) == 0 && !inBody) {
            if (line.rfind("# slicer:", 0) == 0)
                continue;
            if (line.rfind("# drillthrough rows:", 0) == 0) {
                blocks.back().drillthroughRows = std::atol(line.c_str() + 20);
                continue;
            }
            if (blocks.empty() || !blocks.back().lines.empty())
                blocks.emplace_back();
            blocks.back().query += line.substr(2) + "\n";
            continue;
        }
        inBody = true;
        blocks.back().lines.push_back(line);
    }
    return blocks;
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

// Our cell set in the peer's raw layout (two axes at most).
std::vector<std::string> RawLines(const olap::CellSet& cs)
{
    std::vector<std::string> lines;
    const std::size_t rowHierarchies = cs.axes.size() > 1 ? cs.axes[1].hierarchies.size() : 0;
    const std::size_t columns = cs.axes.empty() ? 1 : cs.axes[0].positions.size();
    const std::size_t rows = cs.axes.size() > 1 ? cs.axes[1].positions.size() : 1;
    auto value = [&](std::size_t ordinal) {
        const auto& cell = cs.cells[ordinal];
        return cell.value ? olap::FormatNumber(*cell.value) : cell.text.value_or("");
    };
    if (!cs.axes.empty()) {
        for (std::size_t h = 0; h < cs.axes[0].hierarchies.size(); ++h) {
            std::string line(rowHierarchies, '\t');
            for (std::size_t c = 0; c < columns; ++c) {
                if (c)
                    line += '\t';
                line += cs.axes[0].positions[c][h].uniqueName;
            }
            lines.push_back(line);
        }
    }
    for (std::size_t r = 0; r < rows; ++r) {
        std::string line;
        if (cs.axes.size() > 1) {
            for (const auto& m : cs.axes[1].positions[r])
                line += m.uniqueName + "\t";
        }
        for (std::size_t c = 0; c < columns; ++c) {
            if (c)
                line += '\t';
            line += value(r * columns + c);
        }
        lines.push_back(line);
    }
    return lines;
}

bool SameField(const std::string& ours, const std::string& peer)
{
    if (ours == peer)
        return true;
    char* endA = nullptr;
    char* endB = nullptr;
    double a = std::strtod(ours.c_str(), &endA);
    double b = std::strtod(peer.c_str(), &endB);
    if (ours.empty() || peer.empty() || *endA || *endB)
        return false;
    return std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

std::unique_ptr<olap::Cube> BuildPeerCube(const olaptest::TempDir& dir)
{
    olap::SqliteDb db(dir.Path("peer.sqlite"), olap::SqliteDb::Mode::ReadWriteCreate);
    for (const char* table : {"time_dim", "product", "store", "sales"})
        olaptest::LoadCsvTable(db, table, olaptest::DataPath(std::string("peer/") + table + ".csv"));
    const auto schema = olap::SchemaReader::ReadFile(olaptest::DataPath("peer/sales.xml"));
    return olap::CubeBuilder::Build(schema.name, schema.cubes.front(), db);
}

// Splits an aligned " | " table line into trimmed fields.
std::vector<std::string> PrettyFields(std::string line)
{
    line += ' '; // a line ending in an empty cell ends with " |"
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t bar = line.find(" | ", start);
        std::string field = line.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        while (!field.empty() && field.back() == ' ')
            field.pop_back();
        while (!field.empty() && field.front() == ' ')
            field.erase(field.begin());
        fields.push_back(field);
        if (bar == std::string::npos)
            return fields;
        start = bar + 3;
    }
}

// Our cell set as the peer's pretty table: unique names and formatted values.
std::vector<std::vector<std::string>> PrettyTable(const olap::CellSet& cs)
{
    std::vector<std::vector<std::string>> table;
    if (cs.axes.empty()) {
        table.push_back({cs.cells.at(0).formatted});
        return table;
    }
    const std::size_t rowHierarchies = cs.axes.size() > 1 ? cs.axes[1].hierarchies.size() : 0;
    const std::size_t columns = cs.axes[0].positions.size();
    const std::size_t rows = cs.axes.size() > 1 ? cs.axes[1].positions.size() : 1;
    for (std::size_t h = 0; h < cs.axes[0].hierarchies.size(); ++h) {
        std::vector<std::string> line(rowHierarchies, "");
        for (std::size_t c = 0; c < columns; ++c)
            line.push_back(cs.axes[0].positions[c][h].uniqueName);
        table.push_back(std::move(line));
    }
    for (std::size_t r = 0; r < rows; ++r) {
        std::vector<std::string> line;
        if (cs.axes.size() > 1) {
            for (const auto& m : cs.axes[1].positions[r])
                line.push_back(m.uniqueName);
        }
        for (std::size_t c = 0; c < columns; ++c)
            line.push_back(cs.cells[r * columns + c].formatted);
        table.push_back(std::move(line));
    }
    return table;
}

// Formatted values (format strings, also those calculated measures inherit) against the
// peer's pretty output of the smoke and extra queries.
TEST(PeerMdx, FormattedValuesMatchThePeer)
{
    olaptest::TempDir dir;
    auto cube = BuildPeerCube(dir);
    int compared = 0;
    for (const char* file : {"peer/smoke.pretty.txt", "peer/extra.pretty.txt"}) {
        for (const PeerBlock& block : ReadBlocks(olaptest::ReadText(olaptest::DataPath(file)))) {
            if (block.drillthroughRows >= 0)
                continue;
            SCOPED_TRACE(block.query);
            olap::QueryResult result = olap::MdxEvaluator::Execute(*cube, block.query);
            auto ours = PrettyTable(result.cellSet);
            ASSERT_EQ(ours.size(), block.lines.size());
            for (std::size_t i = 0; i < ours.size(); ++i)
                EXPECT_EQ(ours[i], PrettyFields(block.lines[i])) << block.lines[i];
            ++compared;
        }
    }
    EXPECT_EQ(compared, 13);
}

TEST(PeerMdx, SmokeQueriesMatchThePeer)
{
    olaptest::TempDir dir;
    auto cube = BuildPeerCube(dir);

    std::vector<PeerBlock> blocks = ReadBlocks(olaptest::ReadText(olaptest::DataPath("peer/smoke.raw.tsv")));
    ASSERT_EQ(blocks.size(), 7u);
    for (const PeerBlock& block : blocks) {
        SCOPED_TRACE(block.query);
        olap::QueryResult result = olap::MdxEvaluator::Execute(*cube, block.query);
        if (block.drillthroughRows >= 0) {
            // The peer returns the cell's measure only and sorts its rows; we return every
            // measure in fact order. Compare the level columns and the row count.
            ASSERT_EQ(result.kind, olap::QueryResult::Kind::Drillthrough);
            std::vector<std::string> peerColumns = Split(block.lines.at(0));
            ASSERT_GE(result.drillthrough.columns.size(), peerColumns.size());
            for (std::size_t c = 0; c < peerColumns.size(); ++c)
                EXPECT_EQ(result.drillthrough.columns[c], peerColumns[c]);
            EXPECT_EQ(static_cast<long>(result.drillthrough.rows.size()), block.drillthroughRows);
            for (const auto& row : result.drillthrough.rows) {
                EXPECT_EQ(row.at(0), "2024");
                EXPECT_EQ(row.at(1), "Q1");
            }
            continue;
        }
        std::vector<std::string> ours = RawLines(result.cellSet);
        ASSERT_EQ(ours.size(), block.lines.size());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            std::vector<std::string> a = Split(ours[i]);
            std::vector<std::string> b = Split(block.lines[i]);
            ASSERT_EQ(a.size(), b.size()) << "ours: " << ours[i] << "\npeer: " << block.lines[i];
            for (std::size_t f = 0; f < a.size(); ++f)
                EXPECT_TRUE(SameField(a[f], b[f])) << "ours: " << ours[i] << "\npeer: " << block.lines[i];
        }
    }
}

} // namespace
