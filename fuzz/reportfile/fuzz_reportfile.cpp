// Feeds arbitrary bytes to the report file texts of the control. Bytes read as Windows-1252
// must write back byte for byte; the definition cut of a text with SQL lines must give the
// text back; SQL lines split off a text must split the same way once written again; the
// data-source move must keep a text without a data source unchanged and never touch the disk
// here. Only crashes, sanitizer reports and broken round trips are findings.
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/WindowsAnsi.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QString text = vantorel::WindowsAnsi::Decode(bytes);
    if (vantorel::WindowsAnsi::Encode(text) != bytes)
        __builtin_trap();

    const QString definition = vantorel::ReportFiles::DefinitionPart(text);
    if (!text.startsWith(definition))
        __builtin_trap();

    // SQL lines found come back after the definition with the same statement and connection.
    QString sql;
    QString connection;
    if (vantorel::ReportFiles::SplitSqlLines(text, &sql, &connection)) {
        QString again;
        QString againConnection;
        const QString rebuilt = vantorel::ReportFiles::WithSqlLines(definition, sql, connection);
        if (sql.isEmpty() || connection.isEmpty()
            || !vantorel::ReportFiles::SplitSqlLines(rebuilt, &again, &againConnection) || again != sql
            || againConnection != connection)
            __builtin_trap();
    }

    bool asked = false;
    const QString moved = vantorel::ReportFiles::MoveDataSource(text, QStringLiteral("D:\\Cubes"), [&](const QString&) {
        asked = true;
        return size % 2 == 0;
    });
    if (!asked && moved != text)
        __builtin_trap();
    (void)vantorel::ReportFiles::HasMarker(text, QStringLiteral("chartspace"));
    (void)vantorel::ReportFiles::IsRelationalConnection(text);
    (void)vantorel::ReportFiles::ChartFileName(text);
    QString why;
    (void)vantorel::ReportFiles::IsSafeReportName(text, &why);
    return 0;
}
