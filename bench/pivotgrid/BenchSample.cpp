#include "BenchSample.h"

#include "olap/sample/SalesSample.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace pivotbench {

std::uint64_t SampleRows()
{
    const char* rows = std::getenv("LUMETRA_PIVOT_ROWS");
    const std::uint64_t n = rows ? std::strtoull(rows, nullptr, 10) : 0;
    return n > 0 ? n : 10'000'000;
}

std::string SampleDir()
{
    const char* base = std::getenv("LUMETRA_BENCH_DIR");
    return std::string(base ? base : "/tmp/lumetra-bench") + "/pivot-" + std::to_string(SampleRows());
}

std::string SampleConnectionString()
{
    static std::once_flag generated;
    const std::string dir = SampleDir();
    std::call_once(generated, [&] {
        if (!std::filesystem::exists(dir + "/Sales.cub"))
            olap::SalesSample::WriteAll(dir, SampleRows(), 1);
    });
    return "Provider=MSOLAP.2;Data Source=" + dir + "/Sales.cub";
}

MemoryUse MemoryUse::Now()
{
    MemoryUse use;
    std::ifstream status("/proc/self/status");
    std::string line;
    auto kilobytes = [&](std::size_t prefix) { return std::strtoull(line.c_str() + prefix, nullptr, 10) * 1024; };
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:"))
            use.resident = kilobytes(6);
        else if (line.starts_with("VmHWM:"))
            use.peakResident = kilobytes(6);
    }
    const struct mallinfo2 info = mallinfo2();
    use.heapInUse = info.uordblks + info.hblkhd;
    return use;
}

void MemoryUse::ResetPeak()
{
    // "5" resets the peak resident set size of the process (Linux 4.0 and later).
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace pivotbench
