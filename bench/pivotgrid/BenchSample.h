#pragma once

#include <cstdint>
#include <string>

namespace pivotbench {

//! Fact rows of the sample cube the benchmarks run on: LUMETRA_PIVOT_ROWS (main sets it
//! from --rows=N), 10 million when unset.
std::uint64_t SampleRows();
//! The folder holding the sample cube of SampleRows() rows: LUMETRA_BENCH_DIR (default
//! /tmp/lumetra-bench) + "/pivot-ROWS", as the engine benchmarks name it, so both share one
//! generated cube. The cube is generated there on first use.
std::string SampleDir();
//! A connection string naming the sample cube file (generated first when missing).
std::string SampleConnectionString();

//! The process' memory as the system and the C heap see it, in bytes.
struct MemoryUse {
    //! Resident set size now and its high-water mark since ResetPeak().
    std::uint64_t resident = 0;
    std::uint64_t peakResident = 0;
    //! Bytes handed out by malloc and not freed (arena blocks and own mappings).
    std::uint64_t heapInUse = 0;

    static MemoryUse Now();
    //! Restarts the high-water mark of the resident set (where the system allows it).
    static void ResetPeak();
};

inline double Megabytes(std::uint64_t bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace pivotbench
