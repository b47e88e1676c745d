#pragma once

#include <cstdint>

namespace olap::mdx {

//! A place in MDX source text. Lines and columns start at 1; a column counts characters
//! (UTF-8 code points), a tab counts as one. The byte offset is 0-based.
struct SourcePosition {
    std::uint32_t offset = 0;
    int line = 1;
    int column = 1;
};

} // namespace olap::mdx
