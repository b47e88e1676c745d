// libFuzzer target for the .xlsx workbook reader. The input is split at NUL bytes into the
// parts of a workbook (workbook, first sheet, shared strings, styles, relationships), which
// are zipped into a file and read back, so that the mutations reach the XML handling rather
// than stopping at the archive's checksums. Reading must end in worksheets or a
// RelationalError, never a crash.
#include "olap/providers/RelationalError.h"
#include "olap/providers/spreadsheet/SpreadsheetSource.h"

#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/lumetra-xlsx-fuzz-" + std::to_string(getpid()) + ".xlsx";
    static const char* const kParts[] = {"xl/workbook.xml", "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",
        "xl/styles.xml", "xl/_rels/workbook.xml.rels"};
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return 0;
    size_t start = 0;
    for (const char* part : kParts) {
        if (start > input.size())
            break;
        size_t end = input.find('\0', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string_view content = input.substr(start, end - start);
        zipOpenNewFileInZip64(zip, part, nullptr, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0);
        zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
        zipCloseFileInZip(zip);
        start = end + 1;
    }
    zipClose(zip, nullptr);
    try {
        auto source = olap::providers::SpreadsheetSource::Open(path);
        for (const auto& table : source->Tables())
            source->Execute("SELECT * FROM [" + table + "]");
    } catch (const olap::providers::RelationalError&) {
    }
    std::remove(path.c_str());
    return 0;
}
