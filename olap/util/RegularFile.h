#pragma once

#include <optional>
#include <string>

namespace olap {

//! Tells whether a path names a regular file before anything opens it, so
//! that a FIFO, a folder or a device given where a file is expected gets a
//! clear error instead of a blocking open() or a misleading message.
class RegularFile {
public:
    //! What a path names; symbolic links are followed.
    enum class Kind { Missing, Regular, Directory, Fifo, Device, Socket, Other };

    static Kind KindOf(const std::string& path);

    //! What PATH is when it is not a regular file, as words that follow the path in a
    //! message: "does not exist", "is a folder, not a file", "is a named pipe (FIFO), not a
    //! file", "is a device, not a file", "is a socket, not a file", "cannot be examined
    //! (<reason>)". Nullopt for a regular file (or a link to one). Never opens PATH.
    static std::optional<std::string> Describe(const std::string& path);

    //! Empty when path names a regular file (or nothing, when missingIsFine);
    //! otherwise a message naming the file and what it is instead, e.g.
    //! "'x' is a folder, not a file". Long paths are shortened.
    static std::string Problem(const std::string& path, bool missingIsFine = false);
};

} // namespace olap
