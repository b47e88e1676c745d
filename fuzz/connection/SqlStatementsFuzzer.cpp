// Fuzzes the splitting of SQL texts into statements (the text of a relational report, of
// lumetra-mdx --sql, of the connect dialog's SQL mode). Findings: crashes, sanitizer reports,
// a statement that is not a piece of the text, and a single-statement answer that disagrees
// with the split.
#include "olap/providers/RelationalError.h"
#include "olap/providers/SqlStatements.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto statements = olap::providers::SplitSqlStatements(text);
    for (const std::string_view statement : statements) {
        if (statement.empty() || statement.data() < text.data()
            || statement.data() + statement.size() > text.data() + text.size())
            std::abort();
    }
    try {
        const std::string_view single = olap::providers::SingleSqlStatement(text);
        if (statements.size() > 1 || (statements.empty() != single.empty()))
            std::abort();
    } catch (const olap::providers::RelationalError&) {
        if (statements.size() <= 1)
            std::abort();
    }
    return 0;
}
