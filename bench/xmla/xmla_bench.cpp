// Reading XMLA answers generated in memory: a 100 x 100 cell set in Format Multidimensional
// (1e4 cells, goal under 50 ms) and the members rowset of a 1e5-member level (goal under 1 s
// for the whole Discover). Only parsing is timed; the transport is not involved.
#include "olap/providers/xmla/XmlaResponseParser.h"

#include <benchmark/benchmark.h>

#include <string>

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

} // namespace

BENCHMARK_MAIN();
