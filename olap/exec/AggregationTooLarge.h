#pragma once

#include "olap/util/OlapError.h"

namespace olap {

//! An aggregation request whose grid (or distinct-count bitmaps) would exceed the engine's
//! limits. The request itself is valid: a caller may still answer it in smaller pieces,
//! which it may not do for any other OlapError.
class AggregationTooLarge : public OlapError {
public:
    using OlapError::OlapError;
};

} // namespace olap
