#pragma once

namespace olap {

//! Tunes the C heap for a process that runs many queries: freed memory up to a few hundred
//! megabytes stays with the process (64 MiB at least, however the heap shrinks), and blocks
//! up to 32 MiB come from the heap rather than from their own mappings. Without this, glibc hands a large answer's
//! memory back to the system after every query and the next query page-faults it in again, which costs more than the
//! evaluation itself on pivots of many thousand cells. Does nothing where the C library offers no such settings; a
//! setting it refuses is left at its default. Returns whether every setting took effect (false
//! without glibc, and under a sanitizer that replaces the allocator).
bool TuneHeapForQueries();

} // namespace olap
