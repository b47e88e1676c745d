#pragma once

#include "olap/mdx/ParseError.h"

#include <memory>
#include <utility>

namespace olap::mdx {

//! The outcome of a parse: the parsed value, or (when `value` is null) the error.
template <typename T> struct ParseResult {
    std::unique_ptr<T> value;
    ParseError error;

    bool Ok() const { return value != nullptr; }
};

} // namespace olap::mdx
