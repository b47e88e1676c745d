// Builds local cube files and the sample data:
//   lumetra-cube build --schema S.xml --source PATH.sqlite --out F.cub [--cube NAME]
//   lumetra-cube build --schema S.xml --connection CONN --out F.cub [--cube NAME]
//   lumetra-cube sample --rows N --out DIR [--seed S]
//   lumetra-cube --help | --version
// Exit 0 on success, 1 on any error (the message on stderr), 2 on bad usage.
#include "olap/EngineVersion.h"
#include "olap/access/ConnectionString.h"
#include "olap/model/Cube.h"
#include "olap/providers/RelationalSource.h"
#include "olap/providers/RelationalSources.h"
#include "olap/sample/SalesSample.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/storage/CubeFile.h"
#include "olap/storage/RelationalStaging.h"
#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"
#include "olap/util/RegularFile.h"
#include "olap/util/SqliteDb.h"
#include "platform/ProviderDrivers.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr const char* kUsage
    = "usage: lumetra-cube build --schema S.xml --source PATH.sqlite --out F.cub [--cube NAME]\n"
      "       lumetra-cube build --schema S.xml --connection CONN --out F.cub [--cube NAME]\n"
      "       lumetra-cube sample --rows N --out DIR [--seed S]\n"
      "build reads the star schema of the schema's cube either from a SQLite file (--source) or\n"
      "through a relational connection string (--connection: a SQLite file, ODBC, or an .xls/.xlsx\n"
      "workbook whose sheets are tables named like \"Sheet1$\"), and writes the local cube file.\n"
      "Every calculated member and named set of the schema must parse as MDX; when anything\n"
      "fails, the cube file named by --out is left as it was.\n"
      "       lumetra-cube --help      this text\n"
      "       lumetra-cube --version   the program's version\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

bool ParseCount(const std::string& text, std::uint64_t& out)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("lumetra-cube %s\n", olap::EngineVersion());
        return 0;
    }
    std::map<std::string, std::string> options;
    for (int i = 2; i < argc; i += 2) {
        const std::string key = argv[i];
        if (key.rfind("--", 0) != 0 || i + 1 >= argc)
            return Usage();
        options[key.substr(2)] = argv[i + 1];
    }
    try {
        if (command == "build") {
            for (const auto& [key, value] : options) {
                if (key != "schema" && key != "source" && key != "connection" && key != "out" && key != "cube")
                    return Usage();
            }
            if (!options.count("schema") || !options.count("out")
                || options.count("source") + options.count("connection") != 1)
                return Usage();
            const olap::SchemaDefinition schema = olap::SchemaReader::ReadFile(options["schema"]);
            const olap::SchemaCube* cube = &schema.cubes.front();
            if (options.count("cube")) {
                cube = schema.FindCube(options["cube"]);
                if (!cube)
                    throw olap::OlapError("the schema has no cube '" + olap::ShortForMessage(options["cube"]) + "'");
            } else if (schema.cubes.size() > 1) {
                std::string names;
                for (const auto& c : schema.cubes)
                    names += (names.empty() ? "" : ", ") + c.name;
                throw olap::OlapError("the schema defines several cubes (" + names + "); choose one with --cube");
            }
            std::unique_ptr<olap::Cube> built;
            if (options.count("source")) {
                // Looked at with stat first: opening a FIFO would wait for a writer.
                if (const auto notFile = olap::RegularFile::Describe(options["source"]))
                    throw olap::OlapError(
                        "the source database '" + olap::ShortForMessage(options["source"]) + "' " + *notFile);
                olap::SqliteDb source(options["source"], olap::SqliteDb::Mode::ReadOnly);
                built = olap::CubeBuilder::Build(schema.name, *cube, source);
            } else {
                olap::providers::ConnectionProperties properties;
                const olap::ConnectionString parsed = olap::ConnectionString::Parse(options["connection"]);
                for (const auto& [key, value] : parsed.Pairs())
                    properties[key] = value;
                auto source = olap::providers::OpenRelationalSource(properties, platform::RegistryProviderDriver);
                built = olap::RelationalStaging::BuildCube(schema.name, *cube, *source);
            }
            olap::CubeFile::Write(*built, options["out"]);
            std::printf("%s: cube '%s', %llu fact rows\n", options["out"].c_str(), built->Name().c_str(),
                static_cast<unsigned long long>(built->Facts().rowCount));
            return 0;
        }
        if (command == "sample") {
            std::uint64_t rows = 0;
            std::uint64_t seed = 1;
            for (const auto& [key, value] : options) {
                if (key != "rows" && key != "out" && key != "seed")
                    return Usage();
            }
            if (!options.count("rows") || !options.count("out") || !ParseCount(options["rows"], rows))
                return Usage();
            if (options.count("seed") && !ParseCount(options["seed"], seed))
                return Usage();
            olap::SalesSample::WriteAll(options["out"], rows, seed);
            std::printf("%s: sales.sqlite, sales.xml, Sales.cub (%llu fact rows)\n", options["out"].c_str(),
                static_cast<unsigned long long>(rows));
            return 0;
        }
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lumetra-cube: %s\n", e.what());
        return 1;
    }
}
