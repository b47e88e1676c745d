#include "platform/registry/ExpandEnvironment.h"

#include <QByteArray>

namespace platform {

QString ExpandEnvironmentStrings(const QString& text)
{
    QString result;
    result.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), pos);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0)
            break;
        result += QStringView(text).mid(pos, open - pos);
        const QString name = text.mid(open + 1, close - open - 1);
        const QByteArray value = name.isEmpty() ? QByteArray() : qgetenv(name.toLocal8Bit().constData());
        if (!name.isEmpty() && qEnvironmentVariableIsSet(name.toLocal8Bit().constData())) {
            result += QString::fromLocal8Bit(value);
            pos = close + 1;
        } else {
            // Not a variable: keep the first % and look for a name from the second.
            result += QLatin1Char('%');
            pos = open + 1;
            if (name.isEmpty()) {
                result += QLatin1Char('%');
                pos = close + 1;
            }
        }
    }
    result += QStringView(text).mid(pos);
    return result;
}

} // namespace platform
