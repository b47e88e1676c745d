#pragma once

namespace pivot {

//! How the members of a field set are ordered: in the hierarchy's own order (None), or
//! ascending / descending by a key, siblings among siblings so a parent keeps its children.
enum class SortDirection { None, Ascending, Descending };

} // namespace pivot
