#pragma once

namespace pivot {

//! The areas of a pivot view a field set or a total can be placed on.
enum class AxisKind { Row, Column, Filter, Data };

} // namespace pivot
