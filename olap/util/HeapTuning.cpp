#include "olap/util/HeapTuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace olap {

void TuneHeapForQueries()
{
#if defined(__GLIBC__)
    // 32 MiB is the largest mapping threshold glibc accepts on 64-bit systems.
    constexpr int kMmapThreshold = 32 * 1024 * 1024;
    constexpr int kTrimThreshold = 256 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
#endif
}

} // namespace olap
