#pragma once

#include "olap/util/OlapError.h"

namespace olap {

//! Thrown by a query whose CancellationToken was cancelled while it ran.
class QueryCancelled : public OlapError {
public:
    QueryCancelled() : OlapError("The query was cancelled") { }
};

} // namespace olap
