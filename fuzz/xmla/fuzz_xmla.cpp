// Feeds arbitrary bytes to the XMLA answer parser as the body of an HTTP answer. The first
// byte picks the HTTP status and how the answer is read (cell set, rowset, drill-through);
// every outcome must be a result or an OlapError, never a crash or a runaway allocation.
#include "olap/providers/xmla/XmlaResponseParser.h"
#include "olap/util/OlapError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    static constexpr long kStatuses[] = {200, 200, 500, 401};
    olap::providers::xmla::HttpResponse response;
    response.status = kStatuses[mode & 3];
    response.contentType = "text/xml";
    response.body.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        olap::providers::xmla::XmlaResponseParser parser(response, "http://fuzz/xmla");
        switch ((mode >> 2) % 3) {
        case 0:
            parser.ToCellSet();
            break;
        case 1:
            parser.ToRowset().ToSchemaRowset();
            break;
        default:
            parser.ToRowset(true).ToDrillthroughTable();
            break;
        }
    } catch (const olap::OlapError&) {
    }
    return 0;
}
