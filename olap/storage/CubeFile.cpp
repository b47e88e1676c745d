#include "olap/storage/CubeFile.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/model/ModelBuilder.h"
#include "olap/util/AtomicFile.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace olap {

namespace {

constexpr const char* kFormat = "lumetra-cube";
constexpr int kVersion = 1;
constexpr std::size_t kSegmentRows = std::size_t(1) << 20;

//! A fast checksum of a byte range (four 64-bit lanes).
std::uint64_t Checksum(const void* data, std::size_t bytes)
{
    const auto* p = static_cast<const unsigned char*>(data);
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t lanes[4] = {1, 2, 3, 4};
    std::size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        for (int l = 0; l < 4; ++l) {
            std::uint64_t w;
            std::memcpy(&w, p + i + static_cast<std::size_t>(l) * 8, 8);
            lanes[l] = (lanes[l] ^ w) * kMul;
            lanes[l] ^= lanes[l] >> 29;
        }
    }
    std::uint64_t h = bytes * kMul;
    for (; i < bytes; ++i)
        h = (h ^ p[i]) * 0x100000001B3ull;
    for (std::uint64_t lane : lanes)
        h = (h ^ lane) * kMul;
    return h ^ (h >> 31);
}

int EncodingOf(const ValueColumn& values)
{
    return static_cast<int>(values.index());
}

ValueColumn MakeValueColumn(int encoding, std::size_t rows)
{
    switch (encoding) {
    case 0:
        return std::monostate {};
    case 1:
        return ColumnVector<double>(rows);
    case 2:
        return ColumnVector<std::int32_t>(rows);
    case 3:
        return ColumnVector<std::int16_t>(rows);
    case 4:
        return ColumnVector<std::int8_t>(rows);
    default:
        throw OlapError("unknown value encoding");
    }
}

void WriteBlobs(
    SqliteStatement& insert, const std::string& kind, int column, const void* data, std::size_t rows, std::size_t width)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t segment = 0;
    for (std::size_t start = 0; start < rows || (rows == 0 && segment == 0); start += kSegmentRows, ++segment) {
        const std::size_t n = std::min(kSegmentRows, rows - start);
        const void* p = bytes + start * width;
        insert.Reset();
        insert.Bind(1, kind);
        insert.Bind(2, static_cast<std::int64_t>(column));
        insert.Bind(3, static_cast<std::int64_t>(segment));
        insert.Bind(4, static_cast<std::int64_t>(n));
        insert.Bind(5, static_cast<std::int64_t>(width));
        insert.BindBlob(6, n ? p : "", n * width);
        insert.Bind(7, static_cast<std::int64_t>(Checksum(p, n * width)));
        insert.Step();
        if (rows == 0)
            break;
    }
}

void WriteContents(const Cube& cube, SqliteDb& db)
{
    db.Exec("PRAGMA page_size = 65536; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
    db.Exec(
        "BEGIN;"
        "CREATE TABLE lumetra_cube(key TEXT PRIMARY KEY, value);"
        "CREATE TABLE dimensions(dim INTEGER, name TEXT, caption TEXT, type INTEGER, hierarchy TEXT, has_all INTEGER,"
        " all_name TEXT, all_caption TEXT);"
        "CREATE TABLE levels(dim INTEGER, level INTEGER, name TEXT, caption TEXT, level_type TEXT,"
        " unique_members INTEGER, numeric_keys INTEGER);"
        "CREATE TABLE members(dim INTEGER, level INTEGER, ordinal INTEGER, parent INTEGER, key TEXT, name TEXT,"
        " caption TEXT);"
        "CREATE TABLE measures(measure INTEGER, name TEXT, caption TEXT, column_name TEXT, aggregator TEXT,"
        " format_string TEXT, encoding INTEGER, scale INTEGER, distinct_count INTEGER, has_nulls INTEGER);"
        "CREATE TABLE calculated(kind INTEGER, name TEXT, hierarchy TEXT, formula TEXT, format_string TEXT,"
        " caption TEXT);"
        "CREATE TABLE segments(kind TEXT, col INTEGER, seg INTEGER, rows INTEGER, width INTEGER, data BLOB,"
        " checksum INTEGER);");
    {
        auto meta = db.Prepare("INSERT INTO lumetra_cube VALUES (?1, ?2)");
        auto put = [&](const std::string& key, const std::string& value) {
            meta.Reset();
            meta.Bind(1, key);
            meta.Bind(2, value);
            meta.Step();
        };
        put("format", kFormat);
        put("version", std::to_string(kVersion));
        put("cube", cube.Name());
        put("caption", cube.Caption());
        put("schema", cube.SchemaName());
        put("rows", std::to_string(cube.Facts().rowCount));
        put("default_measure", cube.DefaultMeasure() ? cube.DefaultMeasure()->Name() : "");
    }
    auto dims = db.Prepare("INSERT INTO dimensions VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    auto levels = db.Prepare("INSERT INTO levels VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    auto members = db.Prepare("INSERT INTO members VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    for (std::size_t d = 0; d < cube.FactHierarchies().size(); ++d) {
        const Hierarchy& h = *cube.FactHierarchies()[d];
        const Dimension& dim = h.GetDimension();
        dims.Reset();
        dims.Bind(1, static_cast<std::int64_t>(d));
        dims.Bind(2, dim.Name());
        dims.Bind(3, dim.Caption());
        dims.Bind(4, static_cast<std::int64_t>(dim.Type()));
        dims.Bind(5, h.Name() == dim.Name() ? std::string() : h.Name());
        dims.Bind(6, static_cast<std::int64_t>(h.HasAll()));
        dims.Bind(7, h.HasAll() ? h.AllMember()->Name() : std::string());
        dims.Bind(8, h.HasAll() ? h.AllMember()->Caption() : std::string());
        dims.Step();
        int li = 0;
        for (const Level* level : h.Levels()) {
            if (level->IsAll())
                continue;
            levels.Reset();
            levels.Bind(1, static_cast<std::int64_t>(d));
            levels.Bind(2, static_cast<std::int64_t>(li));
            levels.Bind(3, level->Name());
            levels.Bind(4, level->Caption());
            levels.Bind(5, std::string(LevelTypeName(level->Type())));
            levels.Bind(6, static_cast<std::int64_t>(level->UniqueMembers()));
            levels.Bind(7, static_cast<std::int64_t>(level->NumericKeys()));
            levels.Step();
            for (const Member* m : level->Members()) {
                members.Reset();
                members.Bind(1, static_cast<std::int64_t>(d));
                members.Bind(2, static_cast<std::int64_t>(li));
                members.Bind(3, static_cast<std::int64_t>(m->Ordinal()));
                members.Bind(
                    4, static_cast<std::int64_t>(m->Parent() && !m->Parent()->IsAll() ? m->Parent()->Ordinal() : 0));
                members.Bind(5, m->Key());
                members.Bind(6, m->Name());
                members.Bind(7, m->Caption() == m->Name() ? std::string() : m->Caption());
                members.Step();
            }
            ++li;
        }
    }
    auto measures = db.Prepare("INSERT INTO measures VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    for (const Measure* m : cube.Measures()) {
        const MeasureColumn& column = cube.Facts().measures[static_cast<std::size_t>(m->Index())];
        measures.Reset();
        measures.Bind(1, static_cast<std::int64_t>(m->Index()));
        measures.Bind(2, m->Name());
        measures.Bind(3, m->Caption() == m->Name() ? std::string() : m->Caption());
        measures.Bind(4, m->Column());
        measures.Bind(5, std::string(AggregatorName(m->GetAggregator())));
        measures.Bind(6, m->FormatString());
        measures.Bind(7, static_cast<std::int64_t>(EncodingOf(column.values)));
        measures.Bind(8, static_cast<std::int64_t>(column.scale));
        measures.Bind(9, static_cast<std::int64_t>(column.distinct));
        measures.Bind(10, static_cast<std::int64_t>(!column.nulls.empty()));
        measures.Step();
    }
    auto calculated = db.Prepare("INSERT INTO calculated VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    for (const CalculatedDefinition& calc : cube.Calculated()) {
        calculated.Reset();
        calculated.Bind(1, static_cast<std::int64_t>(calc.kind));
        calculated.Bind(2, calc.name);
        calculated.Bind(3, calc.hierarchy);
        calculated.Bind(4, calc.formula);
        calculated.Bind(5, calc.formatString);
        calculated.Bind(6, calc.caption);
        calculated.Step();
    }
    auto insert = db.Prepare("INSERT INTO segments VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    const auto rows = static_cast<std::size_t>(cube.Facts().rowCount);
    for (std::size_t d = 0; d < cube.Facts().keys.size(); ++d) {
        std::visit([&](const auto& v) { WriteBlobs(insert, "key", static_cast<int>(d), v.data(), rows, sizeof(v[0])); },
            cube.Facts().keys[d]);
    }
    for (std::size_t m = 0; m < cube.Facts().measures.size(); ++m) {
        const MeasureColumn& column = cube.Facts().measures[m];
        std::visit(
            [&](const auto& v) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, std::monostate>)
                    WriteBlobs(insert, "value", static_cast<int>(m), v.data(), rows, sizeof(v[0]));
            },
            column.values);
        if (!column.nulls.empty())
            WriteBlobs(insert, "nulls", static_cast<int>(m), column.nulls.data(), column.nulls.size(), 8);
        if (!column.dictionary.empty()) {
            std::string joined;
            for (const std::string& text : column.dictionary) {
                joined += text;
                joined += '\0';
            }
            WriteBlobs(insert, "dict", static_cast<int>(m), joined.data(), joined.size(), 1);
        }
    }
    db.Exec("COMMIT;");
}

class FileReader {
public:
    explicit FileReader(SqliteDb& db) : m_db(db) { }

    std::unique_ptr<Cube> Read();

private:
    [[noreturn]] void Damaged(const std::string& what) const
    {
        throw OlapError("the local cube file '" + m_db.Path() + "' is damaged: " + what);
    }

    //! Reads the segments of one column into DEST (ROWS elements of WIDTH bytes).
    void ReadColumn(const std::string& kind, int column, void* dest, std::size_t rows, std::size_t width);

    SqliteDb& m_db;
};

void FileReader::ReadColumn(const std::string& kind, int column, void* dest, std::size_t rows, std::size_t width)
{
    auto stmt = m_db.Prepare("SELECT rowid, seg, rows, width, length(data), checksum FROM segments"
                             " WHERE kind = ?1 AND col = ?2 ORDER BY seg");
    stmt.Bind(1, kind);
    stmt.Bind(2, static_cast<std::int64_t>(column));
    std::size_t done = 0;
    std::int64_t expected = 0;
    auto* out = static_cast<unsigned char*>(dest);
    const std::string what = kind + " column " + std::to_string(column);
    while (stmt.Step()) {
        const std::int64_t rowid = stmt.Int(0);
        const std::int64_t n = stmt.Int(2);
        if (stmt.Int(1) != expected++ || n < 0 || static_cast<std::size_t>(stmt.Int(3)) != width
            || static_cast<std::uint64_t>(n) > rows - done
            || static_cast<std::uint64_t>(stmt.Int(4)) != static_cast<std::uint64_t>(n) * width)
            Damaged("segment " + std::to_string(expected - 1) + " of the " + what + " does not fit");
        const std::size_t bytes = static_cast<std::size_t>(n) * width;
        if (bytes > 0) {
            sqlite3_blob* blob = nullptr;
            if (sqlite3_blob_open(m_db.Handle(), "main", "segments", "data", rowid, 0, &blob) != SQLITE_OK) {
                sqlite3_blob_close(blob);
                Damaged(std::string("cannot read the ") + what + ": " + sqlite3_errmsg(m_db.Handle()));
            }
            const int rc = sqlite3_blob_read(blob, out + done * width, static_cast<int>(bytes), 0);
            sqlite3_blob_close(blob);
            if (rc != SQLITE_OK)
                Damaged(std::string("cannot read the ") + what + ": " + sqlite3_errstr(rc));
        }
        if (static_cast<std::uint64_t>(stmt.Int(5)) != Checksum(out + done * width, bytes))
            Damaged("the " + what + " fails its checksum");
        done += static_cast<std::size_t>(n);
    }
    if (done != rows)
        Damaged("the " + what + " is incomplete");
}

std::unique_ptr<Cube> FileReader::Read()
{
    std::unordered_map<std::string, std::string> meta;
    {
        auto stmt = m_db.Prepare("SELECT key, value FROM lumetra_cube");
        while (stmt.Step())
            meta[stmt.Text(0)] = stmt.Text(1);
    }
    if (meta["format"] != kFormat)
        throw OlapError("'" + m_db.Path() + "' is not a local cube file");
    if (meta["version"] != std::to_string(kVersion))
        throw OlapError("the local cube file '" + m_db.Path() + "' has format version " + meta["version"]
            + ", this program reads version " + std::to_string(kVersion));
    std::uint64_t rows = 0;
    try {
        rows = std::stoull(meta["rows"]);
    } catch (const std::exception&) {
        Damaged("the row count is missing");
    }
    // Every stored column holds at least a byte per row, so a row count beyond
    // the file's size is damage, not a reason to allocate.
    std::error_code ec;
    const std::uint64_t fileBytes = std::filesystem::file_size(m_db.Path(), ec);
    auto checkFits = [&](std::uint64_t bytes) {
        if (ec || bytes > fileBytes)
            Damaged("the row count does not fit the file");
    };

    ModelBuilder builder(meta["cube"], meta["schema"]);
    builder.SetCaption(meta["caption"]);
    std::vector<int> handles;
    {
        auto stmt = m_db.Prepare("SELECT dim, name, caption, type, hierarchy, has_all, all_name, all_caption"
                                 " FROM dimensions ORDER BY dim");
        while (stmt.Step()) {
            if (stmt.Int(0) != static_cast<std::int64_t>(handles.size()))
                Damaged("the dimensions are not numbered in order");
            ModelBuilder::DimensionSpec spec;
            spec.name = stmt.Text(1);
            spec.caption = stmt.Text(2);
            const std::int64_t type = stmt.Int(3);
            if (type < 0 || type > 1)
                Damaged("dimension '" + spec.name + "' has an unknown type");
            spec.type = static_cast<DimensionType>(type);
            spec.hierarchyName = stmt.Text(4);
            spec.hasAll = stmt.Int(5) != 0;
            spec.allMemberName = stmt.Text(6);
            spec.allMemberCaption = stmt.Text(7);
            handles.push_back(builder.AddDimension(spec));
        }
    }
    {
        auto stmt = m_db.Prepare("SELECT dim, level, name, caption, level_type, unique_members, numeric_keys"
                                 " FROM levels ORDER BY dim, level");
        std::vector<int> levelCount(handles.size(), 0);
        while (stmt.Step()) {
            const std::int64_t d = stmt.Int(0);
            if (d < 0 || static_cast<std::size_t>(d) >= handles.size()
                || stmt.Int(1) != levelCount[static_cast<std::size_t>(d)]++)
                Damaged("the levels are not numbered in order");
            auto type = ParseLevelType(stmt.Text(4));
            if (!type)
                Damaged("a level has an unknown type");
            builder.AddLevel(handles[static_cast<std::size_t>(d)], stmt.Text(2), stmt.Text(3), *type, stmt.Int(5) != 0,
                stmt.Int(6) != 0);
        }
        for (std::size_t d = 0; d < handles.size(); ++d) {
            if (levelCount[d] == 0)
                Damaged("a dimension has no levels");
        }
        auto members = m_db.Prepare("SELECT dim, level, ordinal, parent, key, name, caption FROM members"
                                    " ORDER BY dim, level, ordinal");
        while (members.Step()) {
            const std::int64_t d = members.Int(0);
            const std::int64_t level = members.Int(1);
            if (d < 0 || static_cast<std::size_t>(d) >= handles.size() || level < 0
                || level >= levelCount[static_cast<std::size_t>(d)])
                Damaged("a member belongs to no level");
            const int handle = handles[static_cast<std::size_t>(d)];
            if (members.Int(2) != static_cast<std::int64_t>(builder.MemberCount(handle, static_cast<int>(level))))
                Damaged("the members are not numbered in order");
            const std::int64_t parent = members.Int(3);
            if (parent < 0 || parent > std::int64_t(0xFFFFFFFF))
                Damaged("a member has an invalid parent");
            builder.AddMember(handle, static_cast<int>(level), static_cast<std::uint32_t>(parent), members.Text(4),
                members.Text(5), members.Text(6));
        }
    }

    FactTable facts;
    facts.rowCount = rows;
    const auto rowCount = static_cast<std::size_t>(rows);
    for (std::size_t d = 0; d < handles.size(); ++d) {
        auto width = m_db.Prepare("SELECT width FROM segments WHERE kind = 'key' AND col = ?1 LIMIT 1");
        width.Bind(1, static_cast<std::int64_t>(d));
        const std::int64_t w = width.Step() ? width.Int(0) : 0;
        if (w != 1 && w != 2 && w != 4)
            Damaged("the key column " + std::to_string(d) + " is missing");
        checkFits(rows * static_cast<std::uint64_t>(w));
        KeyColumn column = MakeKeyColumn(static_cast<int>(w), rowCount);
        std::visit([&](auto& v) { ReadColumn("key", static_cast<int>(d), v.data(), rowCount, sizeof(v[0])); }, column);
        facts.keys.push_back(std::move(column));
    }
    {
        auto stmt
            = m_db.Prepare("SELECT measure, name, caption, column_name, aggregator, format_string, encoding, scale,"
                           " distinct_count, has_nulls FROM measures ORDER BY measure");
        while (stmt.Step()) {
            const std::size_t m = facts.measures.size();
            if (stmt.Int(0) != static_cast<std::int64_t>(m))
                Damaged("the measures are not numbered in order");
            auto aggregator = ParseAggregator(stmt.Text(4));
            const std::int64_t encoding = stmt.Int(6);
            if (!aggregator || encoding < 0 || encoding > 4 || stmt.Int(7) < 0 || stmt.Int(7) > 9 || stmt.Int(8) < 0
                || stmt.Int(8) > std::int64_t(0x7FFFFFFF))
                Damaged("measure '" + stmt.Text(1) + "' is described wrongly");
            builder.AddMeasure(stmt.Text(1), stmt.Text(2), stmt.Text(3), *aggregator, stmt.Text(5));
            static constexpr std::uint64_t kWidths[] = {0, 8, 4, 2, 1};
            checkFits(rows * kWidths[encoding]);
            if (stmt.Int(9) != 0)
                checkFits(rows / 8);
            MeasureColumn column;
            column.values = MakeValueColumn(static_cast<int>(encoding), rowCount);
            column.scale = static_cast<int>(stmt.Int(7));
            column.distinct = static_cast<std::uint32_t>(stmt.Int(8));
            std::visit(
                [&](auto& v) {
                    if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, std::monostate>)
                        ReadColumn("value", static_cast<int>(m), v.data(), rowCount, sizeof(v[0]));
                },
                column.values);
            if (stmt.Int(9) != 0) {
                column.nulls.resize((rowCount + 63) / 64);
                ReadColumn("nulls", static_cast<int>(m), column.nulls.data(), column.nulls.size(), 8);
            }
            if (*aggregator == Aggregator::DistinctCount && column.distinct > 0) {
                auto size = m_db.Prepare("SELECT sum(rows) FROM segments WHERE kind = 'dict' AND col = ?1");
                size.Bind(1, static_cast<std::int64_t>(m));
                const std::int64_t bytes = size.Step() ? size.Int(0) : 0;
                if (bytes <= 0 || bytes > (std::int64_t(1) << 31))
                    Damaged("the dictionary of measure '" + stmt.Text(1) + "' is missing");
                std::string joined(static_cast<std::size_t>(bytes), '\0');
                ReadColumn("dict", static_cast<int>(m), joined.data(), joined.size(), 1);
                std::size_t start = 0;
                for (std::size_t i = 0; i < joined.size(); ++i) {
                    if (joined[i] == '\0') {
                        column.dictionary.push_back(joined.substr(start, i - start));
                        start = i + 1;
                    }
                }
                if (column.dictionary.size() != column.distinct)
                    Damaged("the dictionary of measure '" + stmt.Text(1) + "' does not match its values");
            }
            facts.measures.push_back(std::move(column));
        }
    }
    {
        auto stmt = m_db.Prepare(
            "SELECT kind, name, hierarchy, formula, format_string, caption FROM calculated ORDER BY rowid");
        while (stmt.Step()) {
            CalculatedDefinition calc;
            calc.kind = stmt.Int(0) == 1 ? CalculatedDefinition::Kind::Set : CalculatedDefinition::Kind::Member;
            calc.name = stmt.Text(1);
            calc.hierarchy = stmt.Text(2);
            calc.formula = stmt.Text(3);
            calc.formatString = stmt.Text(4);
            calc.caption = stmt.Text(5);
            builder.AddCalculated(std::move(calc));
        }
    }
    builder.SetDefaultMeasure(meta["default_measure"]);
    try {
        return builder.Finish(std::move(facts));
    } catch (const OlapError& e) {
        Damaged(e.what());
    }
}

} // namespace

void CubeFile::Write(const Cube& cube, const std::string& path)
{
    AtomicFile out(path);
    if (!out.Open())
        throw OlapError(out.Error());
    {
        SqliteDb db(out.TempPath(), SqliteDb::Mode::ReadWriteCreate);
        WriteContents(cube, db);
    }
    if (!out.Commit())
        throw OlapError(out.Error());
}

std::unique_ptr<Cube> CubeFile::Read(const std::string& path)
{
    SqliteDb db(path, SqliteDb::Mode::ReadOnly);
    try {
        if (!db.HasTable("lumetra_cube"))
            throw OlapError("'" + path + "' is not a local cube file");
        FileReader reader(db);
        return reader.Read();
    } catch (const OlapError& e) {
        const int code = sqlite3_errcode(db.Handle()) & 0xFF;
        if (code == SQLITE_NOTADB)
            throw OlapError("'" + path + "' is not a local cube file (not a database)");
        if (code == SQLITE_CORRUPT)
            throw OlapError("the local cube file '" + path + "' is damaged or truncated: " + e.what());
        throw;
    }
}

} // namespace olap
