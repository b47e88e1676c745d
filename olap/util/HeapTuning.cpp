#include "olap/util/HeapTuning.h"

// <cstdlib> pulls in the C library's feature header, which defines __GLIBC__; without a C
// library header first, the test below is false and the settings are silently left out.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace olap {

bool TuneHeapForQueries()
{
#if defined(__GLIBC__)
    // 32 MiB is the largest mapping threshold glibc accepts on 64-bit systems.
    constexpr int kMmapThreshold = 32 * 1024 * 1024;
    constexpr int kTrimThreshold = 256 * 1024 * 1024;
    bool applied = mallopt(M_MMAP_THRESHOLD, kMmapThreshold) == 1;
    applied = mallopt(M_TRIM_THRESHOLD, kTrimThreshold) == 1 && applied;
    // The heap also grows, and shrinks back, in steps of 64 MiB more than asked for: without
    // this a pivot of 7,000 positions spends most of its time page-faulting in the memory the
    // query before it handed back.
    constexpr int kTopPad = 64 * 1024 * 1024;
    applied = mallopt(M_TOP_PAD, kTopPad) == 1 && applied;
    return applied;
#else
    return false;
#endif
}

} // namespace olap
