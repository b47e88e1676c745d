#include "control/query/MdxHighlighter.h"

#include <QSet>

namespace {

enum BlockState { kNormal = 0, kInComment = 1 };

const QSet<QString>& Keywords()
{
    static const QSet<QString> keywords {QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"),
        QStringLiteral("ON"), QStringLiteral("COLUMNS"), QStringLiteral("ROWS"), QStringLiteral("PAGES"),
        QStringLiteral("SECTIONS"), QStringLiteral("CHAPTERS"), QStringLiteral("AXIS"), QStringLiteral("NON"),
        QStringLiteral("EMPTY"), QStringLiteral("WITH"), QStringLiteral("MEMBER"), QStringLiteral("SET"),
        QStringLiteral("AS"), QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("XOR"),
        QStringLiteral("IS"), QStringLiteral("DRILLTHROUGH"), QStringLiteral("MAXROWS"), QStringLiteral("FIRSTROWSET"),
        QStringLiteral("RETURN"), QStringLiteral("DIMENSION"), QStringLiteral("PROPERTIES"), QStringLiteral("CELL"),
        QStringLiteral("CASE"), QStringLiteral("WHEN"), QStringLiteral("THEN"), QStringLiteral("ELSE"),
        QStringLiteral("END"), QStringLiteral("NULL")};
    return keywords;
}

bool IsNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool IsNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

MdxHighlighter::MdxHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    m_keyword.setForeground(QColor(0x00, 0x33, 0xb3));
    m_keyword.setFontWeight(QFont::Bold);
    m_function.setForeground(QColor(0x7a, 0x1f, 0xa2));
    m_name.setForeground(QColor(0x00, 0x66, 0x33));
    m_string.setForeground(QColor(0xa3, 0x15, 0x15));
    m_number.setForeground(QColor(0x09, 0x64, 0x8a));
    m_comment.setForeground(QColor(0x6a, 0x73, 0x7d));
    m_comment.setFontItalic(true);
}

void MdxHighlighter::highlightBlock(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    setCurrentBlockState(kNormal);
    if (previousBlockState() == kInComment) {
        const qsizetype end = text.indexOf(QLatin1String("*/"));
        if (end < 0) {
            setFormat(0, int(n), m_comment);
            setCurrentBlockState(kInComment);
            return;
        }
        setFormat(0, int(end + 2), m_comment);
        i = end + 2;
    }
    while (i < n) {
        const QChar c = text[i];
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(QLatin1String("--")) || rest.startsWith(QLatin1String("//"))) {
            setFormat(int(i), int(n - i), m_comment);
            return;
        }
        if (rest.startsWith(QLatin1String("/*"))) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0) {
                setFormat(int(i), int(n - i), m_comment);
                setCurrentBlockState(kInComment);
                return;
            }
            setFormat(int(i), int(end + 2 - i), m_comment);
            i = end + 2;
            continue;
        }
        if (c == QLatin1Char('[')) {
            // "]]" inside a bracketed name is an escaped bracket, not its end.
            qsizetype j = i + 1;
            while (j < n) {
                if (text[j] == QLatin1Char(']')) {
                    if (j + 1 < n && text[j + 1] == QLatin1Char(']')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            setFormat(int(i), int(end - i), m_name);
            i = end;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            setFormat(int(i), int(end - i), m_string);
            i = end;
            continue;
        }
        if (c.isDigit()) {
            qsizetype j = i;
            while (j < n && (text[j].isDigit() || text[j] == QLatin1Char('.')))
                ++j;
            setFormat(int(i), int(j - i), m_number);
            i = j;
            continue;
        }
        if (IsNameStart(c)) {
            qsizetype j = i;
            while (j < n && IsNamePart(text[j]))
                ++j;
            const QString word = text.mid(i, j - i);
            qsizetype next = j;
            while (next < n && text[next].isSpace())
                ++next;
            const bool call = next < n && text[next] == QLatin1Char('(');
            const bool afterDot = i > 0 && text[i - 1] == QLatin1Char('.');
            if (Keywords().contains(word.toUpper()) && !afterDot)
                setFormat(int(i), int(j - i), m_keyword);
            else if (call || afterDot)
                setFormat(int(i), int(j - i), m_function);
            i = j;
            continue;
        }
        ++i;
    }
}
