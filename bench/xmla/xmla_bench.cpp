// Reading XMLA answers generated in memory: a 100 x 100 cell set in Format Multidimensional
// (1e4 cells, goal under 50 ms) and the members rowset of a 1e5-member level (goal under 1 s
// for the whole Discover). The Parse benchmarks time the parser alone; the Loopback one adds
// the libcurl transport against a server thread on 127.0.0.1.
#include "olap/providers/xmla/CurlHttpTransport.h"
#include "olap/providers/xmla/XmlaResponseParser.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using olap::providers::xmla::HttpResponse;
using olap::providers::xmla::XmlaResponseParser;

std::string Envelope(const std::string& answer, const std::string& ns, const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<SOAP-ENV:Envelope "
           "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Header/><SOAP-ENV:Body><cxmla:"
        + answer + " xmlns:cxmla=\"urn:schemas-microsoft-com:xml-analysis\"><cxmla:return><root xmlns=\"" + ns
        + "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
        + content + "</root></cxmla:return></cxmla:" + answer + "></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string Axis(int ordinal, const std::string& hierarchy, int positions)
{
    std::string out = "<Axis name=\"Axis" + std::to_string(ordinal) + "\"><Tuples>";
    for (int p = 0; p < positions; ++p) {
        const std::string name = "Member " + std::to_string(p);
        out += "<Tuple><Member Hierarchy=\"" + hierarchy + "\"><UName>[" + hierarchy + "].[" + name
            + "]</UName><Caption>" + name + "</Caption><LName>[" + hierarchy
            + "].[Level]</LName><LNum>1</LNum><DisplayInfo>0</DisplayInfo></Member></Tuple>";
    }
    return out + "</Tuples></Axis>";
}

HttpResponse CellSetAnswer(int columns, int rows)
{
    std::string content = "<OlapInfo><CubeInfo><Cube><CubeName>Sales</CubeName></Cube></CubeInfo><AxesInfo>"
                          "<AxisInfo name=\"Axis0\"><HierarchyInfo name=\"Product\"/></AxisInfo>"
                          "<AxisInfo name=\"Axis1\"><HierarchyInfo name=\"Store\"/></AxisInfo></AxesInfo>"
                          "</OlapInfo><Axes>"
        + Axis(0, "Product", columns) + Axis(1, "Store", rows) + "</Axes><CellData>";
    for (int ordinal = 0; ordinal < columns * rows; ++ordinal) {
        const std::string value = std::to_string(ordinal * 7 % 100000) + ".25";
        content += "<Cell CellOrdinal=\"" + std::to_string(ordinal) + "\"><Value xsi:type=\"xsd:double\">" + value
            + "</Value><FmtValue>" + value + "</FmtValue><FormatString>Standard</FormatString></Cell>";
    }
    content += "</CellData>";
    return {200, "text/xml", Envelope("ExecuteResponse", "urn:schemas-microsoft-com:xml-analysis:mddataset", content)};
}

HttpResponse MembersAnswer(int members)
{
    std::string content;
    for (int m = 0; m < members; ++m) {
        const std::string name = "Customer " + std::to_string(m);
        content += "<row><CATALOG_NAME>Sales</CATALOG_NAME><CUBE_NAME>Sales</CUBE_NAME>"
                   "<DIMENSION_UNIQUE_NAME>[Customer]</DIMENSION_UNIQUE_NAME>"
                   "<HIERARCHY_UNIQUE_NAME>[Customer]</HIERARCHY_UNIQUE_NAME>"
                   "<LEVEL_UNIQUE_NAME>[Customer].[Name]</LEVEL_UNIQUE_NAME><LEVEL_NUMBER>2</LEVEL_NUMBER>"
                   "<MEMBER_NAME>"
            + name + "</MEMBER_NAME><MEMBER_UNIQUE_NAME>[Customer].[All].[" + name
            + "]</MEMBER_UNIQUE_NAME><MEMBER_CAPTION>" + name
            + "</MEMBER_CAPTION><CHILDREN_CARDINALITY>0</CHILDREN_CARDINALITY>"
              "<PARENT_UNIQUE_NAME>[Customer].[All]</PARENT_UNIQUE_NAME></row>";
    }
    return {200, "text/xml", Envelope("DiscoverResponse", "urn:schemas-microsoft-com:xml-analysis:rowset", content)};
}

void BM_ParseCellSet10k(benchmark::State& state)
{
    const HttpResponse answer = CellSetAnswer(100, 100);
    for (auto _ : state) {
        const olap::CellSet cells = XmlaResponseParser(answer, "http://bench/xmla").ToCellSet();
        benchmark::DoNotOptimize(cells.cells.data());
    }
    state.counters["bytes"] = static_cast<double>(answer.body.size());
}
BENCHMARK(BM_ParseCellSet10k)->Unit(benchmark::kMillisecond);

void BM_ParseMembersLevel100k(benchmark::State& state)
{
    const HttpResponse answer = MembersAnswer(100000);
    for (auto _ : state) {
        const olap::SchemaRowset rows = XmlaResponseParser(answer, "http://bench/xmla").ToRowset().ToSchemaRowset();
        benchmark::DoNotOptimize(rows.rows.data());
    }
    state.counters["bytes"] = static_cast<double>(answer.body.size());
}
BENCHMARK(BM_ParseMembersLevel100k)->Unit(benchmark::kMillisecond);

// Answers every connection on a loopback port with BODY until destroyed.
class LoopbackServer {
public:
    explicit LoopbackServer(const std::string& body)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_listener, 8);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
            + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        m_thread = std::thread([this, answer] {
            while (true) {
                const int client = ::accept(m_listener, nullptr, nullptr);
                if (client < 0)
                    return;
                std::string request;
                char buffer[4096];
                while (request.find("</SOAP-ENV:Envelope>") == std::string::npos) {
                    const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
                    if (got <= 0)
                        break;
                    request.append(buffer, static_cast<std::size_t>(got));
                }
                for (std::size_t sent = 0; sent < answer.size();) {
                    const ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0)
                        break;
                    sent += static_cast<std::size_t>(n);
                }
                ::close(client);
            }
        });
    }
    ~LoopbackServer()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/xmla"; }

private:
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

void BM_LoopbackCellSet10k(benchmark::State& state)
{
    const LoopbackServer server(CellSetAnswer(100, 100).body);
    olap::providers::xmla::CurlHttpTransport transport;
    const olap::providers::xmla::HttpRequest request {
        server.Url(), "urn:schemas-microsoft-com:xml-analysis:Execute", "<SOAP-ENV:Envelope></SOAP-ENV:Envelope>"};
    for (auto _ : state) {
        const HttpResponse answer = transport.Post(request, {});
        const olap::CellSet cells = XmlaResponseParser(answer, request.url).ToCellSet();
        benchmark::DoNotOptimize(cells.cells.data());
    }
}
BENCHMARK(BM_LoopbackCellSet10k)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
