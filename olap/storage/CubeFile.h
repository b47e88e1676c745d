#pragma once

#include <memory>
#include <string>

namespace olap {

class Cube;

//! Local cube files (`.cub`): one SQLite database holding a cube's model
//! (dimensions, levels, members, measures, calculated members) and its
//! encoded fact columns as blobs in segments of up to 2^20 rows, each with a
//! checksum. Opening reads the blobs straight into the column arrays; it
//! never goes through fact rows one by one.
class CubeFile {
public:
    //! Writes CUBE to PATH atomically: a temporary file in the same folder,
    //! renamed into place when complete. Throws OlapError (the temporary file
    //! is removed, an existing PATH is left as it was).
    static void Write(const Cube& cube, const std::string& path);
    //! Opens the cube in PATH. A missing, foreign (not SQLite, or SQLite
    //! without a cube), truncated or damaged file, or one of a newer format,
    //! throws OlapError saying so; it never crashes.
    static std::unique_ptr<Cube> Read(const std::string& path);
};

} // namespace olap
