#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace pivot {

//! What the pivot and chart definition readers share: both are XML texts whose elements live
//! in the excel namespace under whatever prefix the root element binds to it.
class ExcelXml {
public:
    static constexpr const char* kNamespace = "urn:schemas-microsoft-com:office:excel";
    //! Values are kept exactly as read (no CR LF folding, whitespace-only values kept), so a
    //! save never changes them.
    static constexpr unsigned kParseOptions = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;

    //! "line L, column C" (1-based) of byte OFFSET in TEXT.
    static std::string Where(std::string_view text, std::ptrdiff_t offset);
    //! The prefix ROOT binds to the excel namespace, or "" when it binds none.
    static std::string NamespacePrefix(const pugi::xml_node& root);
    //! The local name of NODE when it is an element under PREFIX, else "".
    static std::string Local(const pugi::xml_node& node, const std::string& prefix);
    //! NODE as XML text with PREFIX written as x, for elements kept without being understood.
    static std::string Keep(const pugi::xml_node& node, const std::string& prefix);
};

} // namespace pivot
