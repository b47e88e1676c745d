// lumetra-mdx: runs MDX statements or discovery requests against a cube connection.
#include "MdxOutput.h"
#include "RelationalCommands.h"

#include "olap/EngineVersion.h"
#include "olap/access/Connection.h"
#include "olap/util/HeapTuning.h"
#include "olap/util/MessageText.h"
#include "olap/util/RegularFile.h"
#include "platform/ProviderDrivers.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kUsage
    = "usage: lumetra-mdx --connection CONN (--query MDX | --file F) [--format grid|csv|cells|properties]\n"
      "                  [--time] [--repeat N] [--warm]\n"
      "       lumetra-mdx --connection CONN --discover "
      "catalogs|cubes|dimensions|hierarchies|levels|members|measures|tables [--cube C]\n"
      "       lumetra-mdx --connection CONN --sql SQL\n"
      "       lumetra-mdx --help | --version\n"
      "--sql runs exactly one statement and only reads: a text of several statements, or\n"
      "one that would change the data, is refused and nothing is run.\n";

struct Options {
    std::string connection;
    std::string query;
    std::string file;
    std::string discover;
    std::string sql;
    std::string cube;
    lumetra_mdx::OutputFormat format = lumetra_mdx::OutputFormat::Grid;
    bool time = false;
    bool warm = false;
    long repeat = 1;
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// --help and --version answer at once, whatever else the command line holds.
struct EarlyExit {
    int status;
};

Options ParseArguments(int argc, char** argv)
{
    Options o;
    bool haveQuery = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            throw EarlyExit {0};
        } else if (arg == "--version") {
            std::cout << "lumetra-mdx " << olap::EngineVersion() << "\n";
            throw EarlyExit {0};
        } else if (arg == "--connection") {
            o.connection = value();
        } else if (arg == "--query") {
            o.query = value();
            haveQuery = true;
        } else if (arg == "--file") {
            o.file = value();
        } else if (arg == "--sql") {
            o.sql = value();
        } else if (arg == "--discover") {
            o.discover = value();
        } else if (arg == "--cube") {
            o.cube = value();
        } else if (arg == "--format") {
            std::string f = value();
            if (f == "grid")
                o.format = lumetra_mdx::OutputFormat::Grid;
            else if (f == "csv")
                o.format = lumetra_mdx::OutputFormat::Csv;
            else if (f == "cells")
                o.format = lumetra_mdx::OutputFormat::Cells;
            else if (f == "properties")
                o.format = lumetra_mdx::OutputFormat::Properties;
            else
                throw UsageError("unknown --format '" + f + "' (grid, csv, cells or properties)");
        } else if (arg == "--time") {
            o.time = true;
        } else if (arg == "--warm") {
            o.warm = true;
        } else if (arg == "--repeat") {
            std::string n = value();
            char* end = nullptr;
            o.repeat = std::strtol(n.c_str(), &end, 10);
            if (n.empty() || *end || o.repeat < 1)
                throw UsageError("--repeat needs a positive number, got '" + n + "'");
        } else {
            throw UsageError("unknown argument '" + arg + "'");
        }
    }
    if (o.connection.empty())
        throw UsageError("--connection is required");
    int modes = (haveQuery ? 1 : 0) + (o.file.empty() ? 0 : 1) + (o.discover.empty() ? 0 : 1) + (o.sql.empty() ? 0 : 1);
    if (modes != 1)
        throw UsageError("give exactly one of --query, --file, --discover and --sql");
    return o;
}

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

olap::SchemaRowsetKind DiscoverKind(const std::string& name)
{
    if (name == "catalogs")
        return olap::SchemaRowsetKind::Catalogs;
    if (name == "cubes")
        return olap::SchemaRowsetKind::Cubes;
    if (name == "dimensions")
        return olap::SchemaRowsetKind::Dimensions;
    if (name == "hierarchies")
        return olap::SchemaRowsetKind::Hierarchies;
    if (name == "levels")
        return olap::SchemaRowsetKind::Levels;
    if (name == "members")
        return olap::SchemaRowsetKind::Members;
    if (name == "measures")
        return olap::SchemaRowsetKind::Measures;
    if (name == "tables")
        throw std::runtime_error("a cube has no tables; --discover tables needs a relational source");
    throw UsageError("unknown --discover '" + name
        + "' (catalogs, cubes, dimensions, hierarchies, levels, members, measures, tables)");
}

// The MDX statements of the file PATH. A path that is no regular file (looked at with stat,
// so a FIFO never blocks), an unreadable file and a file without a statement are errors.
std::vector<std::string> ReadStatements(const std::string& path)
{
    const std::string shown = olap::ShortForMessage(path);
    if (const auto notFile = olap::RegularFile::Describe(path))
        throw std::runtime_error("the query file '" + shown + "' " + *notFile);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read the query file '" + shown + "'");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw std::runtime_error("cannot read the query file '" + shown + "'");
    std::vector<std::string> statements = lumetra_mdx::SplitStatements(text.str());
    if (statements.empty())
        throw std::runtime_error("the query file '" + shown + "' holds no MDX statement");
    return statements;
}

} // namespace

int main(int argc, char** argv)
{
    // --repeat runs the same query many times; time the engine, not the page faults.
    olap::TuneHeapForQueries();
    Options options;
    try {
        options = ParseArguments(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "lumetra-mdx: " << e.what() << "\n" << kUsage;
        return 1;
    } catch (const EarlyExit& exit) {
        return exit.status;
    }
    try {
        auto start = std::chrono::steady_clock::now();
        olap::providers::SetDefaultProviderDriverLookup(platform::RegistryProviderDriver);
        auto connection = olap::Connection::Connect(options.connection);
        if (options.time)
            std::fprintf(stderr, "open: %.3f ms\n", MillisecondsSince(start));
        // Relational sources answer SQL and list their catalogs and tables.
        if (connection->IsRelational()) {
            if (options.sql.empty() && options.discover.empty())
                throw std::runtime_error("MDX needs a cube; this connection is a relational source (use --sql)");
            return lumetra_mdx::RunRelational(*connection, options.sql, options.discover, std::cout);
        }
        if (!options.sql.empty())
            throw std::runtime_error("--sql needs a relational source; this connection is a cube");
        if (!options.discover.empty()) {
            olap::SchemaRowsetKind kind = DiscoverKind(options.discover);
            std::cout << lumetra_mdx::Render(connection->Discover(kind, options.cube));
            return 0;
        }
        std::vector<std::string> statements;
        if (!options.file.empty()) {
            statements = ReadStatements(options.file);
        } else {
            statements.push_back(options.query);
        }
        bool failed = false;
        for (std::size_t s = 0; s < statements.size(); ++s) {
            try {
                olap::QueryResult result;
                for (long run = 0; run < options.repeat; ++run) {
                    if (!options.warm)
                        connection->ClearCache();
                    auto queryStart = std::chrono::steady_clock::now();
                    result = connection->ExecuteMdx(statements[s]);
                    if (options.time)
                        std::fprintf(
                            stderr, "query %zu run %ld: %.3f ms\n", s + 1, run + 1, MillisecondsSince(queryStart));
                }
                if (s > 0)
                    std::cout << "\n";
                std::cout << lumetra_mdx::Render(result, options.format);
                std::cout.flush();
            } catch (const std::exception& e) {
                std::cout.flush();
                std::cerr << e.what() << "\n";
                failed = true;
            }
        }
        return failed ? 1 : 0;
    } catch (const UsageError& e) {
        std::cerr << "lumetra-mdx: " << e.what() << "\n" << kUsage;
        return 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
