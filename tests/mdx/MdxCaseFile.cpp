#include "MdxCaseFile.h"

#include <fstream>

namespace {

void TrimTrailingBlankLines(std::vector<std::string>& lines)
{
    while (!lines.empty() && lines.back().find_first_not_of(" \t\r") == std::string::npos)
        lines.pop_back();
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

} // namespace

std::vector<MdxCase> ReadMdxCases(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<MdxCase> cases;
    if (!in) {
        error = "cannot open " + path;
        return cases;
    }
    enum class Part { None, Input, Expected } part = Part::None;
    std::vector<std::string> input;
    std::vector<std::string> expected;
    auto finish = [&] {
        if (part == Part::None)
            return;
        if (part == Part::Input) {
            error = path + ":" + std::to_string(cases.back().line) + ": case without '---' line";
            return;
        }
        TrimTrailingBlankLines(input);
        TrimTrailingBlankLines(expected);
        cases.back().input = Join(input);
        cases.back().expected = Join(expected);
    };
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("#", 0) == 0)
            continue;
        if (line.rfind("=== ", 0) == 0) {
            finish();
            MdxCase next;
            next.file = path;
            next.line = lineNumber;
            next.name = line.substr(4);
            cases.push_back(std::move(next));
            input.clear();
            expected.clear();
            part = Part::Input;
        } else if (part == Part::Input && line.rfind("---", 0) == 0) {
            const std::size_t modeStart = line.find_first_not_of(' ', 3);
            cases.back().mode = modeStart == std::string::npos ? std::string() : line.substr(modeStart);
            part = Part::Expected;
        } else if (part == Part::Input) {
            input.push_back(line);
        } else if (part == Part::Expected) {
            expected.push_back(line);
        } else if (line.find_first_not_of(" \t") != std::string::npos) {
            error = path + ":" + std::to_string(lineNumber) + ": text outside a case";
            return cases;
        }
    }
    finish();
    return cases;
}
