#include "uikit/CXHtmlMarkup.h"

#include "uikit/CXNamedColors.h"
#include "uikit/LeadingInteger.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QTextBoundaryFinder>

namespace {

struct Style {
    QColor color;
    QString face;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

QFont RunFont(const QFont& base, const CXHtmlMarkup::Run& run)
{
    QFont f = base;
    if (!run.face.isEmpty())
        f.setFamilies({run.face});
    if (run.bold)
        f.setBold(true);
    if (run.italic)
        f.setItalic(true);
    if (run.underline)
        f.setUnderline(true);
    return f;
}

// Value of attribute name in the text of a tag (quoted with " or ', or bare).
QString TagAttribute(QStringView tag, QStringView name)
{
    qsizetype i = 0;
    const qsizetype n = tag.size();
    while (i < n) {
        while (i < n && tag[i].isSpace())
            ++i;
        const qsizetype nameStart = i;
        while (i < n && !tag[i].isSpace() && tag[i] != u'=')
            ++i;
        const QStringView attr = tag.mid(nameStart, i - nameStart);
        while (i < n && tag[i].isSpace())
            ++i;
        QStringView value;
        if (i < n && tag[i] == u'=') {
            ++i;
            while (i < n && tag[i].isSpace())
                ++i;
            if (i < n && (tag[i] == u'"' || tag[i] == u'\'')) {
                const QChar quote = tag[i++];
                const qsizetype end = tag.indexOf(quote, i);
                const qsizetype stop = end < 0 ? n : end;
                value = tag.mid(i, stop - i);
                i = stop + 1;
            } else {
                const qsizetype start = i;
                while (i < n && !tag[i].isSpace())
                    ++i;
                value = tag.mid(start, i - start);
            }
        }
        if (attr.compare(name, Qt::CaseInsensitive) == 0)
            return value.toString();
    }
    return {};
}

QColor ParseColor(const QString& text)
{
    if (text.startsWith(u'#') || text.contains(u','))
        return QColor::fromRgb([&] {
            const COLORREF c = CXNamedColors::FromText(text);
            return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
        }());
    const std::optional<COLORREF> named = CXNamedColors::Lookup(text);
    if (!named)
        return {};
    const COLORREF c = CXNamedColors::ToRgb(*named);
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Decodes the entity at text[pos] ("&...;"); returns its length, 0 if none.
qsizetype DecodeEntity(QStringView text, qsizetype pos, QString& out)
{
    for (const auto& [name, ch] : CXHtmlMarkup::Entities()) {
        if (text.mid(pos).startsWith(name)) {
            out += ch;
            return name.size();
        }
    }
    if (pos + 2 < text.size() && text[pos + 1] == u'#') {
        const qsizetype semi = text.indexOf(u';', pos + 2);
        if (semi > pos + 2 && semi - pos <= 10) {
            const QStringView digits = text.mid(pos + 2, semi - pos - 2);
            bool ok = true;
            for (QChar c : digits)
                ok = ok && c.isDigit();
            const std::int32_t code = ok ? LeadingInteger(digits) : 0;
            if (ok && code > 0 && code <= 0x10FFFF) {
                const char32_t ucs = static_cast<char32_t>(code);
                out += QString::fromUcs4(&ucs, 1);
                return semi - pos + 1;
            }
        }
    }
    return 0;
}

} // namespace

const QList<std::pair<QString, QChar>>& CXHtmlMarkup::Entities()
{
    static const QList<std::pair<QString, QChar>> kEntities {
        {QStringLiteral("&amp;"), QChar(u'&')},
        {QStringLiteral("&bull;"), QChar(0x2022)},
        {QStringLiteral("&cent;"), QChar(0xA2)},
        {QStringLiteral("&copy;"), QChar(0xA9)},
        {QStringLiteral("&deg;"), QChar(0xB0)},
        {QStringLiteral("&euro;"), QChar(0x20AC)},
        {QStringLiteral("&frac12;"), QChar(0xBD)},
        {QStringLiteral("&frac14;"), QChar(0xBC)},
        {QStringLiteral("&gt;"), QChar(u'>')},
        {QStringLiteral("&iquest;"), QChar(0xBF)},
        {QStringLiteral("&lt;"), QChar(u'<')},
        {QStringLiteral("&micro;"), QChar(0xB5)},
        {QStringLiteral("&middot;"), QChar(0xB7)},
        {QStringLiteral("&nbsp;"), QChar(0xA0)},
        {QStringLiteral("&para;"), QChar(0xB6)},
        {QStringLiteral("&plusmn;"), QChar(0xB1)},
        {QStringLiteral("&pound;"), QChar(0xA3)},
        {QStringLiteral("&quot;"), QChar(u'"')},
        {QStringLiteral("&reg;"), QChar(0xAE)},
        {QStringLiteral("&sect;"), QChar(0xA7)},
        {QStringLiteral("&sup1;"), QChar(0xB9)},
        {QStringLiteral("&sup2;"), QChar(0xB2)},
        {QStringLiteral("&times;"), QChar(0xD7)},
        {QStringLiteral("&trade;"), QChar(0x2122)},
    };
    return kEntities;
}

QString CXHtmlMarkup::PlainText(const QString& markup)
{
    if (markup.size() <= 3 || (!markup.contains(u'<') && !markup.contains(u'&')))
        return markup;
    QString text = markup;
    for (const auto& [name, ch] : Entities())
        text.replace(name, QString(ch));
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == u'<') {
            const qsizetype close = text.indexOf(u'>', i + 1);
            i = close < 0 ? i + 1 : close + 1;
            continue;
        }
        out += text[i++];
    }
    return out;
}

QList<CXHtmlMarkup::Run> CXHtmlMarkup::Parse(QStringView markup)
{
    QList<Run> runs;
    QList<Style> stack {Style {}};
    QString pending;
    auto flush = [&] {
        if (pending.isEmpty())
            return;
        const Style& s = stack.last();
        runs.append(Run {pending, s.color, s.face, s.bold, s.italic, s.underline, false});
        pending.clear();
    };
    qsizetype i = 0;
    while (i < markup.size()) {
        const QChar c = markup[i];
        if (c == u'<') {
            const qsizetype close = markup.indexOf(u'>', i + 1);
            const QChar next = i + 1 < markup.size() ? markup[i + 1] : QChar();
            if (close < 0 || !(next.isLetter() || next == u'/')) {
                pending += c;
                ++i;
                continue;
            }
            QStringView tag = markup.mid(i + 1, close - i - 1).trimmed();
            i = close + 1;
            const bool closing = tag.startsWith(u'/');
            if (closing)
                tag = tag.mid(1).trimmed();
            if (tag.endsWith(u'/'))
                tag.chop(1);
            qsizetype nameEnd = 0;
            while (nameEnd < tag.size() && !tag[nameEnd].isSpace())
                ++nameEnd;
            const QString name = tag.left(nameEnd).toString().toLower();
            const QStringView attrs = tag.mid(nameEnd);
            if (name == u"br") {
                flush();
                runs.append(Run {{}, {}, {}, false, false, false, true});
                continue;
            }
            if (name != u"font" && name != u"b" && name != u"i" && name != u"u")
                continue;
            flush();
            if (closing) {
                if (stack.size() > 1)
                    stack.removeLast();
                continue;
            }
            Style s = stack.last();
            if (name == u"b")
                s.bold = true;
            else if (name == u"i")
                s.italic = true;
            else if (name == u"u")
                s.underline = true;
            else {
                const QColor color = ParseColor(TagAttribute(attrs, u"color"));
                if (color.isValid())
                    s.color = color;
                const QString face = TagAttribute(attrs, u"face");
                if (!face.isEmpty())
                    s.face = face;
            }
            stack.append(s);
            continue;
        }
        if (c == u'&') {
            const qsizetype used = DecodeEntity(markup, i, pending);
            if (used > 0) {
                i += used;
                continue;
            }
        }
        pending += c;
        ++i;
    }
    flush();
    return runs;
}

QSize CXHtmlMarkup::Measure(const QList<Run>& runs, const QFont& font)
{
    const QFontMetrics base(font);
    int width = 0;
    int lineWidth = 0;
    int lines = 1;
    for (const Run& run : runs) {
        if (run.lineBreak) {
            width = std::max(width, lineWidth);
            lineWidth = 0;
            ++lines;
            continue;
        }
        lineWidth += QFontMetrics(RunFont(font, run)).horizontalAdvance(run.text);
    }
    width = std::max(width, lineWidth);
    return {width, lines * base.height()};
}

QList<CXHtmlMarkup::Run> CXHtmlMarkup::Elide(const QList<Run>& runs, const QFont& font, int width, bool* elided)
{
    static const QString kEllipsis(QChar(0x2026));
    QList<Run> out;
    bool cut = false;
    int lineWidth = 0;
    bool skipping = false; // the rest of a line that was cut
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        if (run.lineBreak) {
            out.append(run);
            lineWidth = 0;
            skipping = false;
            continue;
        }
        if (skipping)
            continue;
        const QFontMetrics fm(RunFont(font, run));
        const int advance = fm.horizontalAdvance(run.text);
        // Does the rest of this line (this run and the runs up to the next
        // break) fit? Only then can this run stay whole.
        int rest = advance;
        for (qsizetype j = i + 1; j < runs.size() && !runs[j].lineBreak; ++j)
            rest += QFontMetrics(RunFont(font, runs[j])).horizontalAdvance(runs[j].text);
        if (lineWidth + rest <= width) {
            out.append(run);
            lineWidth += advance;
            continue;
        }
        const int room = width - lineWidth - fm.horizontalAdvance(kEllipsis);
        if (lineWidth + advance + fm.horizontalAdvance(kEllipsis) <= width && i + 1 < runs.size()
            && !runs[i + 1].lineBreak) {
            // This run fits with an ellipsis after it: a later run is cut.
            out.append(run);
            lineWidth += advance;
            continue;
        }
        // Keep the longest prefix that ends at a character boundary.
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, run.text);
        qsizetype keep = 0;
        for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
            if (fm.horizontalAdvance(run.text.left(pos)) > room)
                break;
            keep = pos;
        }
        Run shortened = run;
        shortened.text = run.text.left(keep) + kEllipsis;
        out.append(shortened);
        cut = true;
        skipping = true;
    }
    if (elided)
        *elided = cut;
    return out;
}

void CXHtmlMarkup::Draw(
    QPainter* painter, const QRect& rect, const QList<Run>& runs, const QFont& font, const QColor& defaultColor)
{
    const QFontMetrics base(font);
    const int lineHeight = base.height();
    const QSize need = Measure(runs, font);
    int y = rect.top() + std::max(0, (rect.height() - need.height()) / 2);
    int x = rect.left();
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    for (const Run& run : runs) {
        if (run.lineBreak) {
            x = rect.left();
            y += lineHeight;
            continue;
        }
        const QFont f = RunFont(font, run);
        painter->setFont(f);
        painter->setPen(run.color.isValid() ? run.color : defaultColor);
        const QFontMetrics fm(f);
        painter->drawText(QPoint(x, y + base.ascent()), run.text);
        x += fm.horizontalAdvance(run.text);
    }
    painter->restore();
}
