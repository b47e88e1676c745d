#pragma once

#include <string>
#include <vector>

namespace olap::mdx {

//! How one part of a compound name was written.
enum class SegmentQuoting {
    Plain, //!< Sales, Members
    Bracketed, //!< [Unit Sales]
    Key, //!< &[2024] or a composite key &[2024]&[3]
};

//! One dot-separated part of a compound name such as `[Time].[2024].&[3]`.
//! A plain or bracketed segment holds its name in `name`; a key segment holds its key parts
//! (one per `&[...]`) in `keys` and leaves `name` empty.
struct IdentifierSegment {
    SegmentQuoting quoting = SegmentQuoting::Plain;
    std::string name;
    std::vector<std::string> keys;

    bool operator==(const IdentifierSegment&) const = default;
};

} // namespace olap::mdx
