#include "control/pivot/model/ExcelXml.h"

#include <sstream>
#include <vector>

namespace pivot {

std::string ExcelXml::Where(std::string_view text, std::ptrdiff_t offset)
{
    int line = 1;
    int column = 1;
    for (std::ptrdiff_t i = 0; i < offset && i < static_cast<std::ptrdiff_t>(text.size()); ++i) {
        if (text[static_cast<std::size_t>(i)] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string ExcelXml::NamespacePrefix(const pugi::xml_node& root)
{
    for (pugi::xml_attribute attribute : root.attributes()) {
        const std::string name = attribute.name();
        if (name.rfind("xmlns:", 0) == 0 && std::string(attribute.value()) == kNamespace)
            return name.substr(6);
    }
    return {};
}

std::string ExcelXml::Local(const pugi::xml_node& node, const std::string& prefix)
{
    if (node.type() != pugi::node_element)
        return {};
    const std::string name = node.name();
    if (name.size() > prefix.size() + 1 && name.compare(0, prefix.size(), prefix) == 0 && name[prefix.size()] == ':')
        return name.substr(prefix.size() + 1);
    return {};
}

std::string ExcelXml::Keep(const pugi::xml_node& node, const std::string& prefix)
{
    pugi::xml_document copy;
    pugi::xml_node kept = copy.append_copy(node);
    if (prefix != "x") {
        std::vector<pugi::xml_node> pending {kept};
        while (!pending.empty()) {
            pugi::xml_node current = pending.back();
            pending.pop_back();
            const std::string local = Local(current, prefix);
            if (!local.empty())
                current.set_name(("x:" + local).c_str());
            for (pugi::xml_node child : current.children())
                pending.push_back(child);
        }
    }
    std::ostringstream out;
    kept.print(out, "", pugi::format_raw);
    return out.str();
}

} // namespace pivot
