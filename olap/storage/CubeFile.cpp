#include "olap/storage/CubeFile.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/model/ModelBuilder.h"
#include "olap/util/AtomicFile.h"
#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"
#include "olap/util/RegularFile.h"
#include "olap/util/SqliteDb.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace olap {

namespace {

constexpr const char* kFormat = "lumetra-cube";
// Version 2 adds the checksum of the metadata; version 1 files (no such checksum) still read.
// Version 3 adds the member properties of levels (tables level_properties, member_properties).
constexpr int kVersion = 3;
constexpr int kOldestVersion = 1;
constexpr const char* kChecksumKey = "checksum";
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

// The metadata queries, each read in full and in this order by the reader; the checksum of
// their rows guards everything but the data blocks, which carry checksums of their own.
constexpr const char* kMetaQuery = "SELECT key, value FROM lumetra_cube WHERE key <> 'checksum' ORDER BY key";
constexpr const char* kDimensionQuery
    = "SELECT dim, name, caption, type, hierarchy, has_all, all_name, all_caption FROM dimensions ORDER BY dim";
constexpr const char* kLevelQuery
    = "SELECT dim, level, name, caption, level_type, unique_members, numeric_keys FROM levels ORDER BY dim, level";
constexpr const char* kMemberQuery
    = "SELECT dim, level, ordinal, parent, key, name, caption FROM members ORDER BY dim, level, ordinal";
constexpr const char* kMeasureQuery = "SELECT measure, name, caption, column_name, aggregator, format_string, "
                                      "encoding, scale, distinct_count, has_nulls FROM measures ORDER BY measure";
constexpr const char* kCalculatedQuery
    = "SELECT kind, name, hierarchy, formula, format_string, caption FROM calculated ORDER BY rowid";
// Version 3 on.
constexpr const char* kPropertyQuery
    = "SELECT dim, level, property, name, type FROM level_properties ORDER BY dim, level, property";
constexpr const char* kPropertyValueQuery = "SELECT dim, level, ordinal, property, value FROM member_properties"
                                            " ORDER BY dim, level, ordinal, property";

//! Running checksum of metadata rows: every value with its type, in order, so that a changed,
//! moved, added or lost value changes it.
class MetadataChecksum {
public:
    //! Adds the current row of STMT. Called right after Step, before any value is read with a
    //! conversion, so each value is taken in the type SQLite holds it in.
    void AddRow(const SqliteStatement& stmt)
    {
        sqlite3_stmt* raw = stmt.Handle();
        const int columns = sqlite3_column_count(raw);
        for (int c = 0; c < columns; ++c) {
            const int type = sqlite3_column_type(raw, c);
            switch (type) {
            case SQLITE_INTEGER: {
                const std::int64_t value = sqlite3_column_int64(raw, c);
                Add(type, &value, sizeof value);
                break;
            }
            case SQLITE_FLOAT: {
                const double value = sqlite3_column_double(raw, c);
                Add(type, &value, sizeof value);
                break;
            }
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* bytes = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(raw, c))
                                                        : sqlite3_column_blob(raw, c);
                Add(type, bytes, static_cast<std::size_t>(sqlite3_column_bytes(raw, c)));
                break;
            }
            default:
                Add(type, nullptr, 0);
                break;
            }
        }
        Add(0, nullptr, 0); // end of row
    }
    //! Marks the end of one query's rows, so rows cannot move between tables unnoticed.
    void EndTable() { Add(-1, nullptr, 0); }
    std::string Text() const { return std::to_string(m_state); }

private:
    void Add(int tag, const void* data, std::size_t bytes);

    std::uint64_t m_state = 0x6C756D6574726121ull;
};

int EncodingOf(const ValueColumn& values)
{
    return static_cast<int>(values.index());
}

void MetadataChecksum::Add(int tag, const void* data, std::size_t bytes)
{
    std::uint64_t h = (m_state ^ static_cast<std::uint64_t>(static_cast<std::int64_t>(tag))) * 0x9E3779B97F4A7C15ull;
    h ^= bytes ? Checksum(data, bytes) : 0x51ED270B27A15E9Dull;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    m_state = h;
}

//! The checksum of the metadata DB holds, read with the queries the reader uses.
std::string MetadataChecksumOf(SqliteDb& db)
{
    MetadataChecksum checksum;
    for (const char* query : {kMetaQuery, kDimensionQuery, kLevelQuery, kMemberQuery, kMeasureQuery, kCalculatedQuery,
             kPropertyQuery, kPropertyValueQuery}) {
        auto stmt = db.Prepare(query);
        while (stmt.Step())
            checksum.AddRow(stmt);
        checksum.EndTable();
    }
    return checksum.Text();
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
        " checksum INTEGER);"
        "CREATE TABLE level_properties(dim INTEGER, level INTEGER, property INTEGER, name TEXT, type TEXT);"
        "CREATE TABLE member_properties(dim INTEGER, level INTEGER, ordinal INTEGER, property INTEGER, value TEXT);");
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
    auto properties = db.Prepare("INSERT INTO level_properties VALUES (?1, ?2, ?3, ?4, ?5)");
    auto propertyValues = db.Prepare("INSERT INTO member_properties VALUES (?1, ?2, ?3, ?4, ?5)");
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
            for (std::size_t p = 0; p < level->Properties().size(); ++p) {
                properties.Reset();
                properties.Bind(1, static_cast<std::int64_t>(d));
                properties.Bind(2, static_cast<std::int64_t>(li));
                properties.Bind(3, static_cast<std::int64_t>(p));
                properties.Bind(4, level->Properties()[p].name);
                properties.Bind(5, level->Properties()[p].type);
                properties.Step();
            }
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
                for (std::size_t p = 0; p < m->PropertyValues().size(); ++p) {
                    if (m->PropertyValues()[p].empty())
                        continue;
                    propertyValues.Reset();
                    propertyValues.Bind(1, static_cast<std::int64_t>(d));
                    propertyValues.Bind(2, static_cast<std::int64_t>(li));
                    propertyValues.Bind(3, static_cast<std::int64_t>(m->Ordinal()));
                    propertyValues.Bind(4, static_cast<std::int64_t>(p));
                    propertyValues.Bind(5, m->PropertyValues()[p]);
                    propertyValues.Step();
                }
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
    {
        auto meta = db.Prepare("INSERT INTO lumetra_cube VALUES (?1, ?2)");
        meta.Bind(1, std::string_view(kChecksumKey));
        meta.Bind(2, MetadataChecksumOf(db));
        meta.Step();
    }
    db.Exec("COMMIT;");
}

//! The message every damaged cube file gives: it names the file, says what is wrong in words
//! of the cube (never SQLite's) and how to mend it.
std::string DamagedMessage(const std::string& path, const std::string& what)
{
    return "the local cube file '" + ShortForMessage(path) + "' is damaged (" + what
        + "); build the cube again from its schema and source";
}

//! A failure the reader has put in final words; CubeFile::Read passes it on as it is.
class FinalCubeFileError : public OlapError {
public:
    using OlapError::OlapError;
};

class DamagedCubeFile : public FinalCubeFileError {
public:
    DamagedCubeFile(const std::string& path, const std::string& what) : FinalCubeFileError(DamagedMessage(path, what))
    {
    }
};

class FileReader {
public:
    explicit FileReader(SqliteDb& db) : m_db(db) { }

    std::unique_ptr<Cube> Read();

private:
    [[noreturn]] void Damaged(const std::string& what) const { throw DamagedCubeFile(m_db.Path(), what); }

    //! Reads the segments of one column into DEST (ROWS elements of WIDTH bytes).
    void ReadColumn(const std::string& kind, int column, void* dest, std::size_t rows, std::size_t width);
    //! The member properties of the levels and their members' values (version 3 on).
    void ReadProperties(ModelBuilder& builder, const std::vector<int>& handles);
    //! Steps STMT and adds the row it reached to the metadata checksum.
    bool Next(SqliteStatement& stmt)
    {
        if (!stmt.Step()) {
            m_checksum.EndTable();
            return false;
        }
        m_checksum.AddRow(stmt);
        return true;
    }

    SqliteDb& m_db;
    MetadataChecksum m_checksum;
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
                Damaged("the " + what + " cannot be read");
            }
            const int rc = sqlite3_blob_read(blob, out + done * width, static_cast<int>(bytes), 0);
            sqlite3_blob_close(blob);
            if (rc != SQLITE_OK)
                Damaged("the " + what + " cannot be read");
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
        auto stmt = m_db.Prepare(kMetaQuery);
        while (Next(stmt))
            meta[stmt.Text(0)] = stmt.Text(1);
    }
    std::optional<std::string> storedChecksum;
    {
        auto stmt = m_db.Prepare("SELECT value FROM lumetra_cube WHERE key = 'checksum'");
        if (stmt.Step())
            storedChecksum = stmt.Text(0);
    }
    if (meta["format"] != kFormat)
        throw FinalCubeFileError("'" + ShortForMessage(m_db.Path()) + "' is not a local cube file");
    int version = 0;
    for (int known = kOldestVersion; known <= kVersion; ++known)
        if (meta["version"] == std::to_string(known))
            version = known;
    if (version == 0)
        throw FinalCubeFileError("the local cube file '" + ShortForMessage(m_db.Path()) + "' has format version "
            + ShortForMessage(meta["version"], 20) + ", this program reads versions " + std::to_string(kOldestVersion)
            + " to " + std::to_string(kVersion));
    // Files of version 1 were written without a metadata checksum and read as before. A
    // checksum that is there is always checked, so damage to the version number cannot skip it.
    if (version >= 2 && !storedChecksum)
        Damaged("the checksum of its description is missing");
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
        auto stmt = m_db.Prepare(kDimensionQuery);
        while (Next(stmt)) {
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
        auto stmt = m_db.Prepare(kLevelQuery);
        std::vector<int> levelCount(handles.size(), 0);
        while (Next(stmt)) {
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
        auto members = m_db.Prepare(kMemberQuery);
        while (Next(members)) {
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
        auto stmt = m_db.Prepare(kMeasureQuery);
        while (Next(stmt)) {
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
        auto stmt = m_db.Prepare(kCalculatedQuery);
        while (Next(stmt)) {
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
    if (version >= 3)
        ReadProperties(builder, handles);
    if (storedChecksum && *storedChecksum != m_checksum.Text())
        Damaged("its description fails its checksum");
    builder.SetDefaultMeasure(meta["default_measure"]);
    try {
        return builder.Finish(std::move(facts));
    } catch (const OlapError& e) {
        Damaged(e.what());
    }
}

void FileReader::ReadProperties(ModelBuilder& builder, const std::vector<int>& handles)
{
    // Level and member indexes come from the file: each is checked before it is used.
    auto levelOf = [&](const SqliteStatement& stmt, int& handle, int& level) {
        const std::int64_t d = stmt.Int(0);
        const std::int64_t l = stmt.Int(1);
        if (d < 0 || static_cast<std::size_t>(d) >= handles.size() || l < 0 || l > 1000)
            Damaged("a member property belongs to no level");
        handle = handles[static_cast<std::size_t>(d)];
        level = static_cast<int>(l);
        try {
            (void)builder.MemberCount(handle, level);
        } catch (const std::out_of_range&) {
            Damaged("a member property belongs to no level");
        }
    };
    auto stmt = m_db.Prepare(kPropertyQuery);
    while (Next(stmt)) {
        int handle = 0;
        int level = 0;
        levelOf(stmt, handle, level);
        if (stmt.Int(2) != static_cast<std::int64_t>(builder.LevelPropertyCount(handle, level)))
            Damaged("the member properties are not numbered in order");
        LevelProperty property;
        property.name = stmt.Text(3);
        property.type = stmt.Text(4);
        builder.AddLevelProperty(handle, level, std::move(property));
    }
    auto values = m_db.Prepare(kPropertyValueQuery);
    std::vector<std::string> pending;
    int pendingHandle = -1;
    int pendingLevel = -1;
    std::int64_t pendingOrdinal = -1;
    auto flush = [&] {
        if (pendingHandle >= 0)
            builder.SetMemberProperties(
                pendingHandle, pendingLevel, static_cast<std::uint32_t>(pendingOrdinal), std::move(pending));
        pending.clear();
    };
    while (Next(values)) {
        int handle = 0;
        int level = 0;
        levelOf(values, handle, level);
        const std::int64_t ordinal = values.Int(2);
        const std::int64_t property = values.Int(3);
        const std::size_t count = builder.LevelPropertyCount(handle, level);
        if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(builder.MemberCount(handle, level)) || property < 0
            || property >= static_cast<std::int64_t>(count))
            Damaged("a member property value belongs to no member");
        if (handle != pendingHandle || level != pendingLevel || ordinal != pendingOrdinal) {
            flush();
            pendingHandle = handle;
            pendingLevel = level;
            pendingOrdinal = ordinal;
        }
        pending.resize(count);
        pending[static_cast<std::size_t>(property)] = values.Text(4);
    }
    flush();
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
    // Looked at without opening it, so that a folder, a device or a FIFO (whose open would
    // wait for a writer) is named for what it is.
    if (const auto notFile = RegularFile::Describe(path))
        throw OlapError("the local cube file '" + ShortForMessage(path) + "' " + *notFile);
    SqliteDb db(path, SqliteDb::Mode::ReadOnly);
    try {
        if (!db.HasTable("lumetra_cube"))
            throw FinalCubeFileError("'" + ShortForMessage(path) + "' is not a local cube file");
        FileReader reader(db);
        return reader.Read();
    } catch (const FinalCubeFileError&) {
        throw;
    } catch (const OlapError&) {
        // A failure inside SQLite: said in words of the cube file, never with SQLite's text or
        // the statement that failed.
        switch (sqlite3_errcode(db.Handle()) & 0xFF) {
        case SQLITE_NOTADB:
            throw OlapError("'" + ShortForMessage(path) + "' is not a local cube file (not a database)");
        case SQLITE_CORRUPT:
            throw OlapError(DamagedMessage(path, "its database structure is broken or cut short"));
        case SQLITE_IOERR:
            throw OlapError(DamagedMessage(path, "a part of it cannot be read"));
        case SQLITE_NOMEM:
            throw OlapError("the local cube file '" + ShortForMessage(path) + "' needs more memory than there is");
        default:
            throw OlapError(DamagedMessage(path, "a part of the cube is missing or cannot be read"));
        }
    }
}

} // namespace olap
