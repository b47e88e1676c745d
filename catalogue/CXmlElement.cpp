#include "catalogue/CXmlElement.h"

#include "catalogue/CatalogueText.h"

namespace {

// Finds attribute name in the attribute text; returns the raw value and
// whether it was present.
bool FindAttribute(const QString& text, QStringView name, QStringView& value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && CatalogueText::IsSpace(text[i]))
            ++i;
        if (i >= n)
            break;
        if (text[i] == u'"') {
            // A stray quoted value: skip it whole.
            const qsizetype end = text.indexOf(u'"', i + 1);
            i = end < 0 ? n : end + 1;
            continue;
        }
        const qsizetype nameStart = i;
        while (i < n && !CatalogueText::IsSpace(text[i]) && text[i] != u'=' && text[i] != u'"')
            ++i;
        const QStringView attr = QStringView(text).mid(nameStart, i - nameStart);
        qsizetype j = i;
        while (j < n && CatalogueText::IsSpace(text[j]))
            ++j;
        QStringView found;
        if (j < n && text[j] == u'=') {
            ++j;
            while (j < n && CatalogueText::IsSpace(text[j]))
                ++j;
            if (j < n && text[j] == u'"') {
                const qsizetype end = text.indexOf(u'"', j + 1);
                const qsizetype stop = end < 0 ? n : end;
                found = QStringView(text).mid(j + 1, stop - j - 1);
                j = end < 0 ? n : end + 1;
            } else {
                const qsizetype start = j;
                while (j < n && !CatalogueText::IsSpace(text[j]))
                    ++j;
                found = QStringView(text).mid(start, j - start);
            }
            i = j;
        }
        if (attr == name) {
            value = found;
            return true;
        }
        if (i == nameStart)
            ++i;
    }
    return false;
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int HexValue(QChar c)
{
    if (IsDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// Decodes a numeric reference at raw[pos] ("&#...;"); returns its length or 0.
qsizetype DecodeNumeric(QStringView raw, qsizetype pos, QString& out)
{
    qsizetype i = pos + 2;
    const bool hex = i < raw.size() && (raw[i] == u'x' || raw[i] == u'X');
    if (hex)
        ++i;
    const qsizetype digitsStart = i;
    char32_t code = 0;
    while (i < raw.size() && raw[i] != u';') {
        const int d = hex ? HexValue(raw[i]) : (IsDigit(raw[i]) ? raw[i].unicode() - u'0' : -1);
        if (d < 0)
            return 0;
        code = code * (hex ? 16 : 10) + static_cast<char32_t>(d);
        if (code > 0x10FFFF)
            return 0;
        ++i;
    }
    if (i >= raw.size() || i == digitsStart)
        return 0;
    if (code == 0 || code == u'\t' || code == u'\n' || code == u'\r') {
        // These never survive a read as characters either.
    } else if (code >= 0xD800 && code <= 0xDFFF) {
        // A lone surrogate the writer stored: keep it as it was.
        out += QChar(static_cast<char16_t>(code));
    } else {
        out += QString::fromUcs4(&code, 1);
    }
    return i - pos + 1;
}

} // namespace

QString CXmlElement::DecodeValue(QStringView raw)
{
    if (!raw.contains(u'&'))
        return raw.toString();
    QString out;
    out.reserve(raw.size());
    qsizetype i = 0;
    while (i < raw.size()) {
        if (raw[i] == u'&') {
            const QStringView rest = raw.mid(i);
            if (rest.startsWith(u"&lt;")) {
                out += u'<';
                i += 4;
                continue;
            }
            if (rest.startsWith(u"&gt;")) {
                out += u'>';
                i += 4;
                continue;
            }
            if (rest.startsWith(u"&quot;")) {
                out += u'"';
                i += 6;
                continue;
            }
            if (rest.startsWith(u"&amp;")) {
                out += u'&';
                i += 5;
                continue;
            }
            if (rest.startsWith(u"&#")) {
                const qsizetype used = DecodeNumeric(raw, i, out);
                if (used > 0) {
                    i += used;
                    continue;
                }
            }
        }
        out += raw[i++];
    }
    return out;
}

QString CXmlElement::GetAttribute(QStringView name) const
{
    QStringView value;
    if (!FindAttribute(m_attributes, name, value))
        return {};
    return DecodeValue(value);
}

QString CXmlElement::GetRawAttribute(QStringView name) const
{
    QStringView value;
    if (!FindAttribute(m_attributes, name, value))
        return {};
    return value.toString();
}

void CXmlElement::TakeContent(const QString& content)
{
    const qsizetype space = content.indexOf(u' ');
    if (space < 0) {
        m_name = content;
        m_attributes.clear();
        return;
    }
    m_name = content.left(space);
    m_attributes = CatalogueText::Trim(QStringView(content).mid(space + 1));
}

void CXmlElement::Clear()
{
    m_children.clear();
    m_name.clear();
    m_attributes.clear();
    m_value.clear();
}
