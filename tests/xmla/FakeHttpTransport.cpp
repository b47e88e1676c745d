#include "FakeHttpTransport.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace xmlatest {

olap::providers::xmla::HttpResponse RecordedResponse(const std::string& file)
{
    std::ifstream in(std::string(XMLA_TEST_DATA) + "/" + file, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing test data " + file);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    olap::providers::xmla::HttpResponse response {200, "text/xml", all};
    if (all.rfind("HTTP/", 0) == 0) {
        response.status = std::stol(all.substr(all.find(' ') + 1, 3));
        std::size_t end = all.find("\r\n\r\n");
        std::size_t skip = 4;
        if (end == std::string::npos) {
            end = all.find("\n\n");
            skip = 2;
        }
        response.body = all.substr(end + skip);
    }
    return response;
}

std::string XmlaEnvelope(const std::string& rootContent, const std::string& rootNamespace, const std::string& answer,
    const std::string& header)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Header>"
        + header + "</SOAP-ENV:Header><SOAP-ENV:Body><cxmla:" + answer
        + " xmlns:cxmla=\"urn:schemas-microsoft-com:xml-analysis\"><cxmla:return><root xmlns=\"" + rootNamespace
        + "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
          "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
        + rootContent + "</root></cxmla:return></cxmla:" + answer + "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

} // namespace xmlatest
