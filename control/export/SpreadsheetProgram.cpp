#include "control/export/SpreadsheetProgram.h"

#include <QProcess>
#include <QStandardPaths>

namespace exporting {

namespace {

//! Whether the desktop has a default application for xlsx files (xdg-mime on the path
//! names one).
bool HasDefaultApplication(const QString& xdgMime)
{
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), SpreadsheetProgram::kMediaType});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

SpreadsheetProgram::SpreadsheetProgram(std::optional<QString> searchPath, Launcher launcher)
    : m_launcher(std::move(launcher))
{
    const QString path = searchPath ? *searchPath : qEnvironmentVariable("PATH");
    m_searchPath = path.split(u':', Qt::SkipEmptyParts);
    if (!m_launcher) {
        m_launcher = [](const QString& program, const QStringList& arguments) {
            return QProcess::startDetached(program, arguments);
        };
    }
    // "-n" opens the file as a template: a new untitled workbook, as a paste into a new
    // workbook gives, so saving asks where to keep it.
    if (const QString calc = Find(QStringLiteral("localc")); !calc.isEmpty()) {
        m_program = calc;
        m_arguments = {QStringLiteral("-n")};
    } else if (const QString office = Find(QStringLiteral("libreoffice")); !office.isEmpty()) {
        m_program = office;
        m_arguments = {QStringLiteral("--calc"), QStringLiteral("-n")};
    } else if (const QString soffice = Find(QStringLiteral("soffice")); !soffice.isEmpty()) {
        m_program = soffice;
        m_arguments = {QStringLiteral("--calc"), QStringLiteral("-n")};
    } else if (const QString open = Find(QStringLiteral("xdg-open"));
               !open.isEmpty() && HasDefaultApplication(Find(QStringLiteral("xdg-mime")))) {
        m_program = open;
    }
}

QString SpreadsheetProgram::Find(const QString& name) const
{
    if (m_searchPath.isEmpty())
        return {};
    return QStandardPaths::findExecutable(name, m_searchPath);
}

bool SpreadsheetProgram::Open(const QString& path, QString& error) const
{
    if (!IsAvailable()) {
        error = QStringLiteral("no spreadsheet program is installed");
        return false;
    }
    if (!m_launcher(m_program, m_arguments + QStringList {path})) {
        error = QStringLiteral("cannot start %1").arg(m_program);
        return false;
    }
    return true;
}

} // namespace exporting
