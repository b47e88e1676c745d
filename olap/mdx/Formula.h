#pragma once

#include "olap/mdx/Expr.h"

#include <string>
#include <vector>

namespace olap::mdx {

//! A WITH definition: `MEMBER name AS expr [, PROPERTY = value ...]` or `SET name AS expr`.
//! A definition quoted as a string (`AS '...'`) is parsed like an unquoted one.
struct Formula {
    //! `NAME = value` after a calculated member, such as SOLVE_ORDER or FORMAT_STRING.
    struct Property {
        std::string name; //!< as written
        ExprPtr value;
        SourcePosition position;
    };

    bool isSet = false; //!< WITH SET rather than WITH MEMBER
    ExprPtr name; //!< an Identifier node
    ExprPtr expression;
    std::vector<Property> properties;
    SourcePosition position; //!< of MEMBER or SET
};

} // namespace olap::mdx
