#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace olap::providers::xmla {

//! Name/value pairs in the order they go into a RestrictionList or a PropertyList.
using XmlaPairs = std::vector<std::pair<std::string, std::string>>;

//! The SOAP header a request carries for the server's session support.
struct XmlaSessionHeader {
    enum class Kind { None, Begin, Use, End };
    Kind kind = Kind::None;
    std::string sessionId; //!< for Use and End
};

//! Builds the SOAP envelopes of XMLA requests. Values are escaped for XML; a value with a
//! control character XML cannot carry throws OlapError naming the field.
class XmlaRequest {
public:
    static constexpr std::string_view kDiscoverAction = "urn:schemas-microsoft-com:xml-analysis:Discover";
    static constexpr std::string_view kExecuteAction = "urn:schemas-microsoft-com:xml-analysis:Execute";

    //! A Discover of REQUESTTYPE (DISCOVER_DATASOURCES, MDSCHEMA_CUBES, ...) with RESTRICTIONS and
    //! PROPERTIES (Catalog, DataSourceInfo, Format, ...).
    static std::string Discover(std::string_view requestType, const XmlaPairs& restrictions,
        const XmlaPairs& properties, const XmlaSessionHeader& session = {});
    //! An Execute of STATEMENT with PROPERTIES (Format Multidimensional or Tabular, Catalog, ...).
    static std::string Execute(
        std::string_view statement, const XmlaPairs& properties, const XmlaSessionHeader& session = {});

    //! TEXT escaped for XML character data and attribute values.
    static std::string Escape(std::string_view text, std::string_view field);
};

} // namespace olap::providers::xmla
