#pragma once

#include <string>
#include <string_view>

namespace olap {

//! Writes TEXT to PATH through a temporary file in the same folder that is
//! renamed into place. Throws OlapError; PATH is then left as it was.
void WriteFileAtomically(const std::string& path, std::string_view text);

} // namespace olap
