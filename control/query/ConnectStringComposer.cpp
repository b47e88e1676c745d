#include "control/query/ConnectStringComposer.h"

#include "olap/access/ConnectionString.h"

#include <QStringList>

#include <exception>
#include <utility>
#include <vector>

namespace {

bool Contains(const QString& text, QLatin1String what)
{
    return text.contains(what, Qt::CaseInsensitive);
}

bool IsPasswordKey(const QString& key)
{
    const QString k = key.trimmed();
    return k.compare(QLatin1String("pwd"), Qt::CaseInsensitive) == 0
        || k.endsWith(QLatin1String("password"), Qt::CaseInsensitive);
}

} // namespace

QString ConnectStringComposer::Compose(const Fields& fields)
{
    const QString& d = fields.driver;
    const QString& s = fields.server;
    const QString& b = fields.database;
    const QString provider = QStringLiteral("Provider=") + d + QStringLiteral("; ");

    if (!fields.sqlMode)
        return provider + QStringLiteral("Data Source=") + s + QStringLiteral("; Initial Catalog=") + b;

    if (!fields.userMode && IsSpreadsheet(s))
        return provider + QStringLiteral("Data Source=") + s + QStringLiteral(";Extended Properties=Excel 8.0;");

    // Both "SQLNCLI10" and "SQLNCLI" name the native client, which wants Server= and Database=.
    const bool nativeClient = Contains(s, QLatin1String("SQLNCLI"));
    QString text = provider
        + (nativeClient ? QStringLiteral("Server=") + s + QStringLiteral("; Database=") + b
                        : QStringLiteral("Data Source=") + s + QStringLiteral("; Initial Catalog=") + b)
        + QLatin1Char(';');
    if (!fields.userMode)
        return text + QStringLiteral("Trusted_Connection=Yes;");
    return text + QStringLiteral("Trusted_Connection=No;") + QStringLiteral("uid=") + QLatin1String(kUserPlaceholder)
        + QStringLiteral(";pwd=") + QLatin1String(kPasswordPlaceholder) + QLatin1Char(';');
}

bool ConnectStringComposer::IsSpreadsheet(const QString& server)
{
    return Contains(server, QLatin1String("XLS"));
}

QString ConnectStringComposer::HidePasswords(const QString& text, const QString& connectionString)
{
    // The parsed pairs know quoted values (which may hold ';'); a string that does not parse is
    // cut at every ';', which still finds every unquoted password.
    std::vector<std::pair<QString, QString>> pairs;
    try {
        const olap::ConnectionString parsed = olap::ConnectionString::Parse(connectionString.toStdString());
        for (const auto& [key, value] : parsed.Pairs())
            pairs.emplace_back(QString::fromStdString(key), QString::fromStdString(value));
    } catch (const std::exception&) {
        for (const QString& pair : connectionString.split(QLatin1Char(';'))) {
            const qsizetype equals = pair.indexOf(QLatin1Char('='));
            if (equals >= 0)
                pairs.emplace_back(pair.left(equals), pair.mid(equals + 1).trimmed());
        }
    }
    QString hidden = text;
    for (const auto& [key, value] : pairs) {
        if (!IsPasswordKey(key) || value.isEmpty() || value == QLatin1String(kPasswordPlaceholder))
            continue;
        hidden.replace(value, QStringLiteral("****"));
    }
    return hidden;
}
