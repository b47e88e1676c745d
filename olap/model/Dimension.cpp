#include "olap/model/Dimension.h"

#include "olap/model/Hierarchy.h"

namespace olap {

Dimension::Dimension() = default;
Dimension::~Dimension() = default;

} // namespace olap
