#include "olap/recordset/Recordset.h"
#include "olap/recordset/RecordsetCsv.h"
#include "olap/recordset/RecordsetError.h"
#include "olap/recordset/ValueCoercion.h"

#include <gtest/gtest.h>

#include <sstream>

namespace olap::recordset {

void PrintTo(const CellValue& value, std::ostream* out)
{
    *out << (value.IsNull() ? "null" : "'" + value.ToText() + "'") << " kind " << static_cast<int>(value.Kind());
}

namespace {

Recordset SalesRecordset()
{
    Recordset rs;
    rs.AppendField("Region", DataType::VarWChar, 20);
    rs.AppendField("Units", DataType::Integer);
    rs.AppendField("Amount", DataType::Double);
    rs.Open();
    rs.AddNew();
    rs.SetValue("region", CellValue("North"));
    rs.SetValue(1, CellValue(12));
    rs.SetValue(2, CellValue(1.5));
    rs.Update();
    rs.AddNew();
    rs.SetValue(0, CellValue("South, \"far\""));
    rs.Update();
    return rs;
}

TEST(RecordsetTest, InMemoryRecordsetIsBuiltAndWalkedLikeAdo)
{
    Recordset rs = SalesRecordset();
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(static_cast<int>(rs.FieldAt(1).Type()), 3);
    EXPECT_EQ(rs.FieldAt(0).DefinedSize(), 20);
    rs.MoveFirst();
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue("North"));
    EXPECT_EQ(rs.Fields()[1].Value(), CellValue(12));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue("South, \"far\""));
    EXPECT_TRUE(rs.Fields()[1].Value().IsNull());
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.Fields()[0].Value().IsNull());
    EXPECT_THROW(rs.MoveNext(), RecordsetError);
}

TEST(RecordsetTest, EmptyRecordsetIsAtItsEndAtOnce)
{
    Recordset rs;
    rs.AppendField("A", DataType::Integer);
    rs.Open();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST(RecordsetTest, MisuseIsRefusedAndLeavesTheRecordsetIntact)
{
    Recordset rs;
    EXPECT_THROW(rs.Open(), RecordsetError) << "no fields";
    rs.AppendField("Units", DataType::SmallInt);
    EXPECT_THROW(rs.AppendField("UNITS", DataType::Integer), RecordsetError) << "duplicate name";
    EXPECT_THROW(rs.AddNew(), RecordsetError) << "not open";
    rs.Open();
    EXPECT_THROW(rs.AppendField("More", DataType::Integer), RecordsetError) << "open";
    EXPECT_THROW(rs.SetValue(0, CellValue(1)), RecordsetError) << "no current row";
    rs.AddNew();
    EXPECT_THROW(rs.SetValue(0, CellValue(40000)), RecordsetError) << "out of adSmallInt range";
    EXPECT_THROW(rs.SetValue("Nope", CellValue(1)), RecordsetError);
    EXPECT_THROW(rs.SetValue(5, CellValue(1)), RecordsetError);
    EXPECT_THROW(rs.AppendRow({CellValue(1), CellValue(2)}), RecordsetError);
    rs.SetValue(0, CellValue("7"));
    rs.Update();
    EXPECT_EQ(rs.Rows().at(0).at(0), CellValue(7));
}

TEST(RecordsetTest, TextLongerThanItsFieldIsRefusedNotCut)
{
    Recordset rs;
    rs.AppendField("Code", DataType::VarWChar, 3);
    rs.Open();
    rs.AddNew();
    rs.SetValue(0, CellValue("\xC3\xA5\xC3\xA4\xC3\xB6")); // three characters, six bytes
    EXPECT_THROW(rs.SetValue(0, CellValue("abcd")), RecordsetError);
    rs.Update();
    EXPECT_EQ(rs.Rows()[0][0], CellValue("\xC3\xA5\xC3\xA4\xC3\xB6"));
}

TEST(RecordsetTest, CurrentRowCanBeEdited)
{
    Recordset rs = SalesRecordset();
    rs.MoveFirst();
    rs.SetValue("Units", CellValue(99));
    EXPECT_EQ(rs.Fields()[1].Value(), CellValue(99));
    EXPECT_EQ(rs.Rows()[0][1], CellValue(99));
}

struct CoercionCase {
    const char* name;
    CellValue input;
    DataType type;
    std::optional<CellValue> expected;
};

// A failing row reads as its name, input, target type and expected value.
void PrintTo(const CoercionCase& c, std::ostream* out)
{
    *out << '"' << c.name << "\": ";
    PrintTo(c.input, out);
    *out << " as " << DataTypeName(c.type) << " -> ";
    if (c.expected)
        PrintTo(*c.expected, out);
    else
        *out << "refused";
}

class CoercionTest : public testing::TestWithParam<CoercionCase> { };

TEST_P(CoercionTest, ConvertsOrRefuses)
{
    EXPECT_EQ(CoerceValue(GetParam().input, GetParam().type), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CoercionTest,
    testing::Values(CoercionCase {"null stays null", CellValue(), DataType::Integer, CellValue()},
        CoercionCase {"integer text", CellValue(" 42 "), DataType::Integer, CellValue(42)},
        CoercionCase {"whole double", CellValue(3.0), DataType::BigInt, CellValue(3)},
        CoercionCase {"fractional double", CellValue(3.5), DataType::Integer, std::nullopt},
        CoercionCase {"beyond int32", CellValue(std::int64_t {1} << 40), DataType::Integer, std::nullopt},
        CoercionCase {"byte range", CellValue(256), DataType::UnsignedTinyInt, std::nullopt},
        CoercionCase {"word in integer", CellValue("abc"), DataType::Integer, std::nullopt},
        CoercionCase {"numeric text", CellValue("2.25"), DataType::Double, CellValue(2.25)},
        CoercionCase {"integer to currency", CellValue(5), DataType::Currency, CellValue(5.0)},
        CoercionCase {"date text", CellValue("2024-02-29"), DataType::Date, CellValue(DateTime {2024, 2, 29})},
        CoercionCase {"impossible date", CellValue("2023-02-29"), DataType::Date, std::nullopt},
        CoercionCase {"serial date", CellValue(45000.5), DataType::Date, CellValue(DateTime {2023, 3, 15, 12, 0, 0})},
        CoercionCase {"yes to boolean", CellValue("Yes"), DataType::Boolean, CellValue(true)},
        CoercionCase {"zero to boolean", CellValue(0), DataType::Boolean, CellValue(false)},
        CoercionCase {"maybe to boolean", CellValue("maybe"), DataType::Boolean, std::nullopt},
        CoercionCase {"number to text", CellValue(0.1), DataType::VarWChar, CellValue("0.1")},
        CoercionCase {"date to text", CellValue(DateTime {2020, 1, 2, 3, 4, 5}), DataType::VarChar,
            CellValue("2020-01-02 03:04:05")}),
    [](const testing::TestParamInfo<CoercionCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

struct DateCase {
    const char* text;
    std::optional<DateTime> expected;
};

TEST(DateTimeTest, ParsesIsoTextAndRejectsTheRest)
{
    const DateCase cases[] = {
        {"2024-01-31", DateTime {2024, 1, 31}},
        {"2024-01-31 23:59:58", DateTime {2024, 1, 31, 23, 59, 58}},
        {"2024-01-31T10:20", DateTime {2024, 1, 31, 10, 20, 0}},
        {"2024-01-31T10:20:30.123Z", DateTime {2024, 1, 31, 10, 20, 30}},
        {"2024-13-01", std::nullopt},
        {"1900-02-29", std::nullopt},
        {"2024-01-31 24:00", std::nullopt},
        {"2024-1-31", std::nullopt},
        {"2024-01-31 10:20 pm", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateTime::Parse(c.text), c.expected) << c.text;
    EXPECT_EQ(DateTime::FromSerial(1.0), (DateTime {1899, 12, 31}));
    EXPECT_EQ(DateTime::FromSerial(1e300), std::nullopt);
}

TEST(RecordsetCsvTest, WritesHeaderAndQuotesWhatNeedsQuoting)
{
    Recordset rs = SalesRecordset();
    rs.AppendRow({CellValue(" padded"), CellValue(-3), CellValue(0.1)});
    std::ostringstream out;
    WriteCsv(rs, out);
    EXPECT_EQ(out.str(),
        "Region,Units,Amount\n"
        "North,12,1.5\n"
        "\"South, \"\"far\"\"\",,\n"
        "\" padded\",-3,0.1\n");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField(""), "");
}

} // namespace
} // namespace olap::recordset
