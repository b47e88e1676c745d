#pragma once

#include <optional>
#include <string>

namespace olap {

//! What kind of thing PATH is when it is not a regular file, as words that follow the path in
//! a message: "does not exist", "is a folder", "is a named pipe (FIFO)", "is a device",
//! "is a socket", "cannot be examined (<reason>)". Nullopt for a regular file (or a link to
//! one). Looks with stat only: it never opens PATH, so a FIFO cannot block it.
std::optional<std::string> NotARegularFile(const std::string& path);

} // namespace olap
