#include "control/query/SplitEscaped.h"

namespace {

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QStringList SplitEscaped(const QString& text, const QString& delimiters, const QString& escape, bool trim)
{
    if (text.isEmpty())
        return {QString()};
    const bool hasEscape = !escape.isEmpty();
    const QChar escapeChar = hasEscape ? escape.front() : QChar();
    QStringList pieces;
    QString piece;
    auto finish = [&] { pieces.append(trim ? TrimBlanks(piece) : piece); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!delimiters.contains(c, Qt::CaseInsensitive)) {
            piece.append(c);
            continue;
        }
        if (hasEscape && i > 0 && text[i - 1] == escapeChar) {
            // The escape character went into the piece before its delimiter was seen.
            piece.chop(1);
            piece.append(c);
            continue;
        }
        finish();
        piece.clear();
    }
    finish();
    return pieces;
}
