#include "catalogue/CXmlDocument.h"

#include "catalogue/CatalogueText.h"

int CXmlDocument::ClassifyTag(const QString& tag, QString& content)
{
    content.clear();
    if (tag.isEmpty())
        return -1;
    QChar previous = u'0';
    int kind = 0;
    for (const QChar c : tag) {
        if (previous == u'<') {
            if (c == u'!' || c == u'?')
                return -1;
            if (c == u'/')
                kind = 1;
        } else if (previous == u'/' && c == u'>') {
            kind = 2;
            if (!content.isEmpty())
                content.chop(1);
        }
        if (c != u'<' && c != u'>' && !(c == u'/' && previous == u'<'))
            content += c;
        previous = c;
    }
    return kind;
}

void CXmlDocument::Parse(const QString& text)
{
    m_root.Clear();
    m_current = &m_root;
    m_truncated = false;
    m_finished = false;
    m_text = text;
    bool rootClosed = false;

    QString tag;
    QString buffer;
    QString content;
    bool inTag = false;
    int depth = 0;
    for (const QChar c : m_text) {
        if (c == u'<') {
            tag += c;
            m_current->m_value = CatalogueText::Trim(buffer);
            buffer.clear();
            inTag = true;
        } else if (c == u'>') {
            tag += c;
            const int kind = ClassifyTag(tag, content);
            tag.clear();
            if (kind == -1)
                continue;
            if (kind == 0 || kind == 2) {
                if (m_root.m_name.isEmpty()) {
                    m_root.TakeContent(content);
                } else {
                    if (depth >= kMaxDepth) {
                        m_truncated = true;
                        return;
                    }
                    auto element = std::make_unique<CXmlElement>();
                    element->TakeContent(content);
                    element->m_parent = m_current;
                    m_current->m_children.push_back(std::move(element));
                    m_current = m_current->m_children.back().get();
                    ++depth;
                    rootClosed = false;
                }
            }
            if ((kind == 1 || kind == 2) && m_current->m_parent != nullptr) {
                m_current = m_current->m_parent;
                --depth;
            } else if ((kind == 1 || kind == 2) && !m_root.m_name.isEmpty()) {
                rootClosed = true;
            }
            inTag = false;
        } else if (inTag) {
            tag += c;
        } else {
            buffer += c;
        }
    }
    m_finished = rootClosed && !tag.contains(u'<');
}
