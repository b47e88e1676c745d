// Feeds arbitrary bytes to the MDX statement parser and to the reader of pivot-shaped
// statements. The parser either gives a statement or a PivotError; a definition the reader
// returns must ask exactly the statement it was read from. Only crashes, sanitizer reports,
// a broken round trip and exceptions other than PivotError count as findings.
#include "control/pivot/model/MdxStatement.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotMdxReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        (void)pivot::MdxStatement::Parse(text);
    } catch (const pivot::PivotError&) {
        return 0;
    }
    // Every hierarchy or level name is taken as a one-level field set of its first segment.
    auto lookup = [](const std::string& name) -> std::optional<pivot::PivotFieldSet> {
        pivot::PivotFieldSet fieldSet;
        fieldSet.uniqueName = name.substr(0, name.find(']') + 1);
        fieldSet.fields.push_back({name, "", true, false});
        return fieldSet;
    };
    if (auto definition = pivot::PivotMdxReader::Read(text, lookup)) {
        if (!pivot::MdxStatement::SameText(pivot::PivotMdxBuilder::Build(*definition), text))
            __builtin_trap(); // a definition read back must ask the statement it came from
    }
    return 0;
}
