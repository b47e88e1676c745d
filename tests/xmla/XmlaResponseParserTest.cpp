// The XMLA answer parser over the peer server's recorded answers and hand-made faults.
#include "FakeHttpTransport.h"

#include "olap/providers/xmla/XmlaRequest.h"
#include "olap/providers/xmla/XmlaResponseParser.h"
#include "olap/providers/xmla/XmlaServerError.h"

#include <gtest/gtest.h>

using olap::providers::xmla::HttpResponse;
using olap::providers::xmla::XmlaRequest;
using olap::providers::xmla::XmlaResponseParser;
using olap::providers::xmla::XmlaSessionHeader;
using xmlatest::RecordedResponse;
using xmlatest::XmlaEnvelope;

namespace {

constexpr const char* kServer = "http://olap.test/xmla";
const std::string kMdDataSet = "urn:schemas-microsoft-com:xml-analysis:mddataset";
const std::string kRowset = "urn:schemas-microsoft-com:xml-analysis:rowset";

std::string Member(const std::string& hierarchy, const std::string& uniqueName, const std::string& caption)
{
    return "<Member Hierarchy=\"" + hierarchy + "\"><UName>" + uniqueName + "</UName><Caption>" + caption
        + "</Caption><LName>" + "[" + hierarchy
        + "].[L]</LName><LNum>1</LNum><DisplayInfo>65538</DisplayInfo></Member>";
}

std::string Axis(const std::string& name, const std::vector<std::string>& tuples)
{
    std::string out = "<Axis name=\"" + name + "\"><Tuples>";
    for (const std::string& tuple : tuples)
        out += "<Tuple>" + tuple + "</Tuple>";
    return out + "</Tuples></Axis>";
}

// An answer whose ExecuteResponse is in another namespace than XMLA's.
std::string WrongNamespace()
{
    std::string body = XmlaEnvelope("", kMdDataSet);
    const std::string xmla = "\"urn:schemas-microsoft-com:xml-analysis\"";
    return body.replace(body.find(xmla), xmla.size(), "\"urn:example:other\"");
}

std::string ErrorOf(const HttpResponse& response, bool cellSet = true)
{
    try {
        XmlaResponseParser parser(response, kServer);
        if (cellSet)
            parser.ToCellSet();
        else
            parser.ToRowset();
    } catch (const olap::OlapError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(XmlaRequest, EnvelopesCarryEscapedStatementPropertiesAndSession)
{
    const std::string execute = XmlaRequest::Execute("SELECT [A&B] ON 0 FROM [C<D>]",
        {{"Catalog", "Peer\"Sales"}, {"Format", "Multidimensional"}}, {XmlaSessionHeader::Kind::Use, "s-1"});
    EXPECT_NE(execute.find("<Statement>SELECT [A&amp;B] ON 0 FROM [C&lt;D&gt;]</Statement>"), std::string::npos);
    EXPECT_NE(execute.find("<Catalog>Peer&quot;Sales</Catalog><Format>Multidimensional</Format>"), std::string::npos);
    EXPECT_NE(execute.find("<Session xmlns=\"urn:schemas-microsoft-com:xml-analysis\" SOAP-ENV:mustUnderstand=\"1\" "
                           "SessionId=\"s-1\"/>"),
        std::string::npos);
    // What the parser reads back is well-formed SOAP: a request parses as an envelope.
    const std::string discover = XmlaRequest::Discover(
        "MDSCHEMA_MEMBERS", {{"CUBE_NAME", "Sales"}, {"LEVEL_UNIQUE_NAME", "[Time].[Year]"}}, {{"Format", "Tabular"}});
    EXPECT_NE(discover.find("<RestrictionList><CUBE_NAME>Sales</CUBE_NAME><LEVEL_UNIQUE_NAME>[Time].[Year]"
                            "</LEVEL_UNIQUE_NAME></RestrictionList>"),
        std::string::npos);
    EXPECT_EQ(discover.find("SOAP-ENV:Header"), std::string::npos) << "no session, no header";
    EXPECT_NE(XmlaRequest::Discover("X", {}, {}, {XmlaSessionHeader::Kind::Begin, {}}).find("<BeginSession"),
        std::string::npos);
    EXPECT_THROW(XmlaRequest::Execute(std::string("SELECT \x01"), {}), olap::OlapError);
    EXPECT_THROW(XmlaRequest::Discover("X", {{"bad name", "v"}}, {}), olap::OlapError);
}

TEST(XmlaResponseParser, RecordedCellSetGivesAxesTuplesAndCells)
{
    XmlaResponseParser parser(RecordedResponse("execute_mdx.response.txt"), kServer);
    const olap::CellSet cells = parser.ToCellSet();
    EXPECT_EQ(cells.cubeName, "Sales");
    ASSERT_EQ(cells.axes.size(), 2u);
    EXPECT_EQ(cells.axes[0].hierarchies, std::vector<std::string> {"[Measures]"});
    EXPECT_EQ(cells.axes[1].hierarchies, std::vector<std::string> {"[Time]"});
    ASSERT_EQ(cells.axes[1].positions.size(), 2u);
    const olap::CellSet::Member& year = cells.axes[1].positions[1].at(0);
    EXPECT_EQ(year.uniqueName, "[Time].[2024]");
    EXPECT_EQ(year.caption, "2024");
    EXPECT_EQ(year.name, "2024");
    EXPECT_EQ(year.levelUniqueName, "[Time].[Year]");
    EXPECT_EQ(year.levelDepth, 1);
    EXPECT_EQ(year.hierarchyUniqueName, "[Time]");
    EXPECT_EQ(year.childCount, 4u);
    EXPECT_TRUE(cells.slicer.positions.empty()) << "an empty slicer tuple is no WHERE";
    ASSERT_EQ(cells.cells.size(), 2u);
    EXPECT_EQ(cells.cells[1].value, 2852.0);
    EXPECT_EQ(cells.cells[0].formatted, "2,088");
}

// DIMENSION PROPERTIES PARENT_UNIQUE_NAME, [Product].[Product].[MEMBER_KEY] on a crossjoin
// of Product and Time, as the peer answers it: each property once per axis, a value per
// member where its hierarchy lists it, "" elsewhere (as the local engine gives them).
TEST(XmlaResponseParser, RecordedMemberPropertiesReachEveryMemberOfTheAxis)
{
    XmlaResponseParser parser(RecordedResponse("execute_properties.response.xml"), kServer);
    const olap::CellSet cells = parser.ToCellSet();
    ASSERT_EQ(cells.axes.size(), 2u);
    EXPECT_TRUE(cells.axes[0].properties.empty());
    EXPECT_EQ(cells.axes[1].properties, (std::vector<std::string> {"PARENT_UNIQUE_NAME", "MEMBER_KEY"}));
    ASSERT_EQ(cells.axes[1].positions.size(), 2u);
    struct Expected {
        std::size_t position, member;
        std::vector<std::string> values;
    };
    const Expected expected[] = {
        {0, 0, {"[Product].[All Products]", "Drink"}},
        {0, 1, {"[Time].[All Times]", ""}},
        {1, 0, {"[Product].[Drink]", "Cola"}},
        {1, 1, {"[Time].[All Times]", ""}},
    };
    for (const Expected& e : expected) {
        const olap::CellSet::Member& m = cells.axes[1].positions[e.position].at(e.member);
        EXPECT_EQ(m.properties, e.values) << m.uniqueName;
    }
    EXPECT_EQ(cells.axes[1].positions[1][0].parentUniqueName, "[Product].[Drink]");
}

TEST(XmlaResponseParser, EscapedPropertyNamesAreDecoded)
{
    const std::string hierarchyInfo = "<HierarchyInfo name=\"[Store]\"><UName name=\"[Store].[MEMBER_UNIQUE_NAME]\"/>"
                                      "<Store_x0020_Type name=\"[Store].[Store Type]\"/></HierarchyInfo>";
    const std::string content = "<OlapInfo><AxesInfo><AxisInfo name=\"Axis0\">" + hierarchyInfo
        + "</AxisInfo></AxesInfo></OlapInfo><Axes><Axis name=\"Axis0\"><Tuples><Tuple>"
        + "<Member Hierarchy=\"Store\"><UName>[Store].[S1]</UName><Store_x0020_Type>Deluxe</Store_x0020_Type>"
        + "</Member></Tuple></Tuples></Axis></Axes><CellData/>";
    XmlaResponseParser parser({200, "text/xml", XmlaEnvelope(content, kMdDataSet)}, kServer);
    const olap::CellSet cells = parser.ToCellSet();
    ASSERT_EQ(cells.axes.size(), 1u);
    EXPECT_EQ(cells.axes[0].properties, std::vector<std::string> {"Store Type"});
    EXPECT_EQ(cells.axes[0].positions.at(0).at(0).properties, std::vector<std::string> {"Deluxe"});
}

TEST(XmlaResponseParser, RecordedDrillthroughHasTypedColumnsAndDropsTheRowCount)
{
    XmlaResponseParser parser(RecordedResponse("execute_drillthrough.response.txt"), kServer);
    const auto rowset = parser.ToRowset(true);
    ASSERT_EQ(rowset.columns.size(), 7u);
    EXPECT_EQ(rowset.columns[2].name, "Product Category") << "_x0020_ decoded";
    EXPECT_EQ(rowset.columns[6].label, "Unit Sales");
    EXPECT_EQ(rowset.columns[0].type, "int");
    EXPECT_EQ(rowset.columns[1].type, "string");
    EXPECT_EQ(rowset.totalRows, 147);
    ASSERT_EQ(rowset.rows.size(), 3u);
    const auto table = rowset.ToDrillthroughTable();
    EXPECT_EQ(table.rows[0][0], "2024");
    EXPECT_EQ(table.rows[0][1], "Q1");
    // A Discover answer keeps every row: no count row is looked for.
    XmlaResponseParser levels(RecordedResponse("mdschema_levels.response.xml"), kServer);
    EXPECT_EQ(levels.ToRowset().rows.size(), 10u);
}

TEST(XmlaResponseParser, FaultsAndBrokenAnswersGiveClearErrors)
{
    const HttpResponse fault200 = RecordedResponse("execute_error.response.txt");
    HttpResponse fault500 = fault200;
    fault500.status = 500;
    const std::string cellSet = RecordedResponse("execute_mdx.response.txt").body;
    struct Case {
        const char* name;
        HttpResponse response;
        std::vector<std::string> words;
        bool serverError;
    };
    const std::vector<Case> cases = {
        {"SOAP fault with HTTP 200", fault200, {"XMLA MDX parse failed", "not found in cube 'Sales'", "olap.test"},
            true},
        {"SOAP fault with HTTP 500", fault500, {"not found in cube 'Sales'", "HTTP 500"}, true},
        {"HTTP 401", {401, "text/html", "<html><body><h1>Unauthorized</h1></body></html>"},
            {"refused the user name or password", "HTTP 401", "Unauthorized"}, false},
        {"HTTP 500 with a text page", {500, "text/plain", "Internal failure: disk full"},
            {"HTTP 500", "Internal failure: disk full"}, false},
        {"HTTP 500 with HTML", {500, "text/html", "<html><p>Server  broke</p></html>"}, {"HTTP 500", "Server broke"},
            false},
        {"truncated body", {200, "text/xml", cellSet.substr(0, cellSet.size() / 2)}, {"cut short"}, false},
        {"empty body", {200, "text/xml", ""}, {"is empty"}, false},
        {"not XML", {200, "text/html", "Hello <b>world"}, {"not XMLA", "not XML at all", "'Hello world'"}, false},
        {"malformed XML", {200, "text/xml", "<a><b></a></b>"}, {"not XMLA", "not well-formed"}, false},
        {"HTML page", {200, "text/html", "<html><body>Login</body></html>"}, {"not XMLA", "<html>"}, false},
        {"wrong namespace", {200, "text/xml", WrongNamespace()}, {"not XMLA", "urn:example:other"}, false},
        {"SOAP 1.2 envelope",
            {200, "text/xml", "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>"},
            {"not XMLA", "soap-envelope"}, false},
        {"error inside the result",
            {200, "text/xml",
                XmlaEnvelope("<Messages><Error ErrorCode=\"1\" Description=\"Cube is being processed\"/></Messages>",
                    kMdDataSet)},
            {"Cube is being processed"}, true},
        {"cell ordinal outside the cell set",
            {200, "text/xml",
                XmlaEnvelope("<OlapInfo/><Axes>" + Axis("Axis0", {Member("M", "[M].[a]", "a")})
                        + "</Axes><CellData><Cell CellOrdinal=\"1\"><Value>1</Value></Cell></CellData>",
                    kMdDataSet)},
            {"ordinal '1' outside the cell set of 1 cells"}, false},
        {"axis missing",
            {200, "text/xml",
                XmlaEnvelope(
                    "<OlapInfo/><Axes>" + Axis("Axis1", {Member("M", "[M].[a]", "a")}) + "</Axes>", kMdDataSet)},
            {"lacks axis Axis0"}, false},
        {"rowset where a cell set was expected", {200, "text/xml", XmlaEnvelope("<row><A>1</A></row>", kRowset)},
            {"no multidimensional data set"}, false},
    };
    for (const Case& c : cases) {
        const std::string message = ErrorOf(c.response);
        for (const std::string& word : c.words)
            EXPECT_NE(message.find(word), std::string::npos) << c.name << " -> " << message;
        if (c.serverError) {
            try {
                XmlaResponseParser(c.response, kServer).ToCellSet();
            } catch (const olap::providers::xmla::XmlaServerError&) {
                continue;
            } catch (...) {
            }
            ADD_FAILURE() << c.name << ": not reported as the server's error";
        }
    }
}

TEST(XmlaResponseParser, EmptyAxisAndPartialCellSets)
{
    // An axis without positions: no cells, and no error.
    const std::string emptyAxis = XmlaEnvelope("<OlapInfo/><Axes>" + Axis("Axis0", {Member("M", "[M].[a]", "a")})
            + "<Axis name=\"Axis1\"><Tuples/></Axis></Axes><CellData/>",
        kMdDataSet);
    const olap::CellSet none = XmlaResponseParser({200, "text/xml", emptyAxis}, kServer).ToCellSet();
    ASSERT_EQ(none.axes.size(), 2u);
    EXPECT_TRUE(none.axes[1].positions.empty());
    EXPECT_TRUE(none.cells.empty());

    // 2 x 2 cells of which the server sent ordinals 0 and 3 only: the others are empty.
    const std::string partial
        = XmlaEnvelope("<OlapInfo/><Axes>" + Axis("Axis0", {Member("M", "[M].[a]", "a"), Member("M", "[M].[b]", "b")})
                + Axis("Axis1", {Member("T", "[T].[x]", "x"), Member("T", "[T].[y]", "y")})
                + "</Axes><CellData><Cell CellOrdinal=\"0\"><Value xsi:type=\"xsd:double\">1.5</Value></Cell>"
                  "<Cell CellOrdinal=\"3\"><Value xsi:type=\"xsd:string\">n/a</Value><FmtValue>N/A</FmtValue></Cell>"
                  "</CellData>",
            kMdDataSet);
    const olap::CellSet some = XmlaResponseParser({200, "text/xml", partial}, kServer).ToCellSet();
    ASSERT_EQ(some.cells.size(), 4u);
    EXPECT_EQ(some.cells[0].value, 1.5);
    EXPECT_EQ(some.cells[0].formatted, "1.5") << "no FmtValue: the value in shortest form";
    EXPECT_TRUE(some.cells[1].IsEmpty());
    EXPECT_EQ(some.cells[1].formatted, "");
    EXPECT_TRUE(some.cells[2].IsEmpty());
    EXPECT_EQ(some.cells[3].text, "n/a");
    EXPECT_EQ(some.cells[3].formatted, "N/A");
    EXPECT_EQ(some.axes[0].hierarchies, std::vector<std::string> {"[M]"}) << "taken from the tuples";
    EXPECT_EQ(some.CellOrdinal(std::vector<std::size_t> {1, 1}), 3u);
}

TEST(XmlaResponseParser, CrossProductAxesAreMultipliedOut)
{
    const std::string body = XmlaEnvelope("<OlapInfo/><Axes><Axis name=\"Axis0\"><CrossProduct>"
                                          "<Members Hierarchy=\"A\">"
            + Member("A", "[A].[1]", "1") + Member("A", "[A].[2]", "2") + "</Members><Members Hierarchy=\"B\">"
            + Member("B", "[B].[x]", "x") + Member("B", "[B].[y]", "y") + Member("B", "[B].[z]", "z")
            + "</Members></CrossProduct></Axis></Axes>",
        kMdDataSet);
    const olap::CellSet cells = XmlaResponseParser({200, "text/xml", body}, kServer).ToCellSet();
    ASSERT_EQ(cells.axes.at(0).positions.size(), 6u);
    EXPECT_EQ(cells.axes[0].positions[4][0].uniqueName, "[A].[2]");
    EXPECT_EQ(cells.axes[0].positions[4][1].uniqueName, "[B].[y]");
    EXPECT_EQ(cells.cells.size(), 6u);
}
