// Text widths the grid fits its columns with and paints by: formatted numbers measured from
// per-character advances must never come out narrower than the shaped text (the number
// would be cut), nor more than a pixel wider; other texts must be their shaped width, also
// once the memory of shaped texts starts afresh. And a grid fitted with them holds every
// value it measured whole.
#include "control/pivot/PivotTextWidths.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotLayout.h"

#include <QApplication>
#include <QTest>

#include <string>

using pivot::PivotTextWidths;

Q_DECLARE_METATYPE(std::string)

namespace {

QFont Variant(const QString& name)
{
    QFont font = QApplication::font();
    if (name == QLatin1String("bold"))
        font.setBold(true);
    else if (name == QLatin1String("italic"))
        font.setItalic(true);
    else if (name == QLatin1String("large"))
        font.setPointSize(17);
    else if (name == QLatin1String("small"))
        font.setPointSize(7);
    return font;
}

olap::CellSet::Member Member(const std::string& unique, const std::string& level)
{
    olap::CellSet::Member m;
    m.uniqueName = unique;
    m.caption = unique.substr(unique.rfind('[') + 1, unique.size() - unique.rfind('[') - 2);
    m.levelUniqueName = level;
    return m;
}

} // namespace

class PivotTextWidthsTest : public QObject {
    Q_OBJECT
private slots:
    void widthsMatchShapedText_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        const char* const numbers[] = {"0", "7", "1,234.56", "-98,765,432.10", "(1,234)", "12.5%", "+3", "1 000 000",
            "111111111111", "8888888888.88", "-0.000001", ""};
        const char* const captions[] = {"Grand Total", "Total", "Q1", "WWWWWWWW", "iiiiiiii", "1.2E+05", "€ 12",
            "Ünïcødé Störe", "Lager / Pale Ale", "12\u00a0345"};
        for (const char* font : {"plain", "bold", "italic", "large", "small"}) {
            for (const char* text : numbers)
                QTest::addRow("%s %s", font, text) << QString::fromLatin1(font) << QString::fromUtf8(text) << true;
            for (const char* text : captions)
                QTest::addRow("%s %s", font, text) << QString::fromLatin1(font) << QString::fromUtf8(text) << false;
        }
    }

    void widthsMatchShapedText()
    {
        QFETCH(QString, font);
        QFETCH(QString, text);
        QFETCH(bool, number);
        const QFont f = Variant(font);
        PivotTextWidths widths(f);
        const int shaped = QFontMetrics(f).horizontalAdvance(text);
        // Asked twice each way: the second answer comes from what the first one kept.
        for (int round = 0; round < 2; ++round) {
            const int fromUtf8 = widths.Advance(text.toStdString());
            const int fromQString = widths.Advance(text);
            QCOMPARE(fromUtf8, fromQString);
            if (number) {
                QVERIFY2(fromUtf8 >= shaped && fromUtf8 <= shaped + 1,
                    qPrintable(QStringLiteral("%1 against shaped %2").arg(fromUtf8).arg(shaped)));
            } else {
                QCOMPARE(fromUtf8, shaped);
            }
        }
    }

    void shapedWidthsStayRightPastTheMemoryLimit()
    {
        const QFont f = QApplication::font();
        PivotTextWidths widths(f);
        const QFontMetrics metrics(f);
        for (int i = 0; i < 20000; ++i) {
            const QString caption = QStringLiteral("Store %1 W").arg(i);
            if (i % 997 == 0)
                QCOMPARE(widths.Advance(caption), metrics.horizontalAdvance(caption));
            else
                widths.Advance(caption);
        }
        QCOMPARE(widths.Advance(QStringLiteral("Store 1 W")), metrics.horizontalAdvance(QStringLiteral("Store 1 W")));
    }

    // Every value and caption the grid measured fits its column with the cell's padding on
    // both sides and the grid line: a width estimated a pixel short would fail here.
    void fittedColumnsHoldTheirTextsWhole()
    {
        pivot::PivotDefinition d;
        d.dataMember = "Sales";
        pivot::PivotFieldSet store;
        store.uniqueName = "[Store]";
        store.fields = {{"[Store].[Store]", "Store", true, false}};
        d.rowAxis = {store};
        d.totals = {{"[Measures].[Unit Sales]", "Units", "", "", true}, {"[Measures].[Store Sales]", "", "", "", true}};
        olap::CellSet result;
        result.axes.resize(2);
        for (const char* measure : {"[Measures].[Unit Sales]", "[Measures].[Store Sales]"})
            result.axes[0].positions.push_back({Member(measure, "[Measures].[MeasuresLevel]")});
        const char* const values[] = {"1", "-1,234,567.89", "888,888,888", "(42.00)", "100.0%", "7,777,777,777,777"};
        for (int s = 0; s < 6; ++s)
            result.axes[1].positions.push_back({Member("[Store].[S" + std::to_string(s) + "]", "[Store].[Store]")});
        result.axes[1].positions.push_back({Member("[Store].[Pivot Total]", "[Store].[Store]")});
        for (std::size_t i = 0; i < result.axes[0].positions.size() * result.axes[1].positions.size(); ++i) {
            olap::CellSet::Cell cell;
            cell.value = static_cast<double>(i);
            cell.formatted = values[i % std::size(values)];
            result.cells.push_back(cell);
        }
        pivot::PivotSession session;
        session.ShowLayout(d, pivot::PivotLayout(d, result));
        for (const char* look : {"plain", "large", "small"}) {
            pivot::PivotGrid grid(&session);
            grid.setFont(Variant(QString::fromLatin1(look)));
            QFont bold = grid.font();
            bold.setBold(true);
            const QFontMetrics metrics(bold);
            const pivot::PivotLayout& layout = session.Layout();
            int checked = 0;
            for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
                for (int c = 0; c < layout.ColumnCount(); ++c) {
                    const pivot::PivotGridCell cell = layout.Cell(r, c);
                    if (cell.text.empty() || cell.columnSpan != 1)
                        continue;
                    const int needed = metrics.horizontalAdvance(QString::fromStdString(cell.text)) + 2 * 4 + 2;
                    QVERIFY2(grid.CellRect(r, c).width() >= needed,
                        qPrintable(QStringLiteral("%1: '%2' needs %3, column %4 is %5 wide")
                                       .arg(QString::fromLatin1(look), QString::fromStdString(cell.text))
                                       .arg(needed)
                                       .arg(c)
                                       .arg(grid.CellRect(r, c).width())));
                    ++checked;
                }
            }
            QCOMPARE(checked, 7 * 3);
        }
    }
};

QTEST_MAIN(PivotTextWidthsTest)
#include "PivotTextWidthsTest.moc"
