#include "catalogue/CatalogueText.h"

#include <array>

namespace {

// Windows-1252 for 0x80..0x9F; the five undefined bytes keep their value.
constexpr std::array<char16_t, 32> kCp1252High {{
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
}};

void AppendReference(QByteArray& out, char32_t code)
{
    out += "&#";
    out += QByteArray::number(static_cast<unsigned>(code));
    out += ';';
}

} // namespace

QString CatalogueText::Trim(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && IsSpace(text[start]))
        ++start;
    while (end > start && IsSpace(text[end - 1]))
        --end;
    return text.mid(start, end - start).toString();
}

QString CatalogueText::Escape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray CatalogueText::EncodeFile(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n') {
            out += "\r\n";
        } else if (c == 0) {
            continue;
        } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendReference(out, QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
        } else {
            AppendReference(out, c);
        }
    }
    return out;
}

QString CatalogueText::DecodeFile(const char* bytes, qsizetype length)
{
    QString out;
    out.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0)
            break;
        out += QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}
