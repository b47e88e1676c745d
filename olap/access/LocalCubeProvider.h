#pragma once

#include "olap/access/OlapProvider.h"

#include <memory>

namespace olap {

class Cube;

//! Cubes of a local cube file (`.cub`), or a cube built in memory, answered by the engine in
//! this process.
class LocalCubeProvider : public OlapProvider {
public:
    //! Opens the cube file PATH. CATALOG, when not empty, must name the file's catalog (its
    //! schema name), its cube or the file name without extension, ignoring case. Throws
    //! OlapError for a missing or damaged file or a catalog it does not hold.
    LocalCubeProvider(const std::string& path, const std::string& catalog);
    //! Answers from CUBE, already in memory (a cube built from a recordset, for example); its
    //! schema name is the catalog. Throws OlapError for a null cube.
    explicit LocalCubeProvider(std::unique_ptr<Cube> cube);
    ~LocalCubeProvider() override;

    std::string Name() const override { return "MSOLAP"; }
    std::string Catalog() const override;
    QueryResult Execute(std::string_view mdx) override;
    QueryResult ExecuteMdx(std::string_view mdx, const QueryOptions& options) override;
    SchemaRowset Discover(SchemaRowsetKind kind, std::string_view cube) override;
    void ClearCache() override;

    const Cube& GetCube() const { return *m_cube; }

private:
    std::unique_ptr<Cube> m_cube;
};

} // namespace olap
