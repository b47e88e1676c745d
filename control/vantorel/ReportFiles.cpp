#include "control/vantorel/ReportFiles.h"

#include "control/vantorel/WindowsAnsi.h"

#include "olap/util/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <array>

namespace vantorel {

QString ReportFiles::ChartFileName(const QString& pivotFile)
{
    // The rule counts the characters of the file's own name, so a short name never puts
    // "Chart" into the folder part of its path.
    const qsizetype nameStart
        = std::max(pivotFile.lastIndexOf(QLatin1Char('/')), pivotFile.lastIndexOf(QLatin1Char('\\'))) + 1;
    if (pivotFile.size() - nameStart < 4)
        return QString();
    return pivotFile.left(pivotFile.size() - 4) + QStringLiteral("Chart") + pivotFile.right(4);
}

bool ReportFiles::IsSafeReportName(const QString& reportName, QString* why)
{
    QString reason;
    if (reportName.isEmpty())
        reason = QStringLiteral("The report name is empty.");
    else if (reportName.contains(QChar(0)))
        reason = QStringLiteral("The report name holds a NUL character.");
    else if (reportName.contains(QLatin1Char('/')) || reportName.contains(QLatin1Char('\\')))
        reason = QStringLiteral("The report name \"%1\" holds a path separator.").arg(reportName);
    else if (reportName.contains(QStringLiteral("..")))
        reason = QStringLiteral("The report name \"%1\" holds \"..\".").arg(reportName);
    if (why)
        *why = reason;
    return reason.isEmpty();
}

QString ReportFiles::ReadText(const QString& path)
{
    if (path.isEmpty())
        return QString();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    return WindowsAnsi::Decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool ReportFiles::WriteText(const QString& path, const QString& text, QString* error)
{
    if (path.isEmpty() || path.contains(QChar(0))) {
        if (error)
            *error = QStringLiteral("No usable file name to write to.");
        return false;
    }
    olap::AtomicFile file(path.toStdString());
    const bool written = file.Open() && file.Write(WindowsAnsi::Encode(text)) && file.Commit();
    if (!written && error)
        *error = QString::fromStdString(file.Error());
    return written;
}

bool ReportFiles::Exists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool ReportFiles::HasMarker(const QString& text, const QString& marker)
{
    return text.contains(marker, Qt::CaseInsensitive);
}

bool ReportFiles::IsRelationalConnection(const QString& connectionString)
{
    static const std::array<const char*, 11> kProviders {"sqloledb", "Microsoft.Jet", "SQLNCLI", "SQLNCLI10",
        "MySQLProv", "Ifxoledbc", "OraOLEDB.Oracle", "IBMDADB2", "Microsoft.ACE.OLEDB.12.0", "TDOLEDB",
        "PostgreSQL OLE DB Provider"};
    for (const char* provider : kProviders) {
        if (connectionString.contains(QLatin1String(provider), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString ReportFiles::DefinitionPart(const QString& pivotText)
{
    static const QString kClose = QStringLiteral("</xml>");
    const qsizetype end = pivotText.lastIndexOf(kClose, -1, Qt::CaseInsensitive);
    if (end < 0)
        return pivotText;
    return pivotText.left(end + kClose.size());
}

bool ReportFiles::SplitSqlLines(const QString& pivotText, QString* sql, QString* sqlConnection)
{
    const QString definition = DefinitionPart(pivotText);
    if (definition.size() == pivotText.size())
        return false;
    const QString rest = pivotText.mid(definition.size()).trimmed();
    const qsizetype lastLine = rest.lastIndexOf(QLatin1Char('\n'));
    if (lastLine < 0)
        return false;
    const QString query = rest.left(lastLine).trimmed();
    const QString connection = rest.mid(lastLine + 1).trimmed();
    if (query.isEmpty() || connection.isEmpty())
        return false;
    *sql = query;
    *sqlConnection = connection;
    return true;
}

QString ReportFiles::WithSqlLines(const QString& text, const QString& sql, const QString& sqlConnection)
{
    return text + QStringLiteral("\r\n") + sql + QStringLiteral("\r\n") + sqlConnection;
}

QString ReportFiles::MoveDataSource(
    const QString& text, const QString& dataSourcePath, const std::function<bool(const QString&)>& exists)
{
    const qsizetype start = text.indexOf(QStringLiteral("Data Source"), 0, Qt::CaseInsensitive);
    const qsizetype end = text.indexOf(QStringLiteral(";Initial Catalog"), 0, Qt::CaseInsensitive);
    // "Data Source=" is twelve characters; the value runs up to ";Initial Catalog".
    if (start < 0 || end < 0 || end <= start + 12)
        return text;
    const QString oldSource = text.mid(start + 12, end - start - 12);
    QString folder = dataSourcePath;
    if (!folder.endsWith(QLatin1Char('\\')) && !folder.endsWith(QLatin1Char('/')))
        folder += folder.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('\\');
    const qsizetype lastSeparator
        = std::max(oldSource.lastIndexOf(QLatin1Char('\\')), oldSource.lastIndexOf(QLatin1Char('/')));
    const QString newSource = folder + oldSource.mid(lastSeparator + 1);
    const bool present = exists ? exists(newSource) : Exists(newSource);
    if (!present)
        return text;
    QString moved = text;
    moved.replace(oldSource, newSource, Qt::CaseInsensitive);
    return moved;
}

} // namespace vantorel
