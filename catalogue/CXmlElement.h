#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

//! One element of a parsed catalogue document: its name, the attribute text
//! (everything in the tag after the name, trimmed), its value text, its
//! children (owned) and its parent (not owned; null for the root).
class CXmlElement {
public:
    CXmlElement() = default;
    CXmlElement(const CXmlElement&) = delete;
    CXmlElement& operator=(const CXmlElement&) = delete;

    const QString& Name() const { return m_name; }
    const QString& AttributeText() const { return m_attributes; }
    const QString& Value() const { return m_value; }
    const std::vector<std::unique_ptr<CXmlElement>>& Children() const { return m_children; }
    CXmlElement* Parent() const { return m_parent; }

    //! The value of the attribute named exactly name, found outside quoted
    //! values; empty when there is none. The value runs from after the opening
    //! quote to the next double quote (or the end of the text). "&lt;",
    //! "&gt;", "&quot;", "&amp;" and numeric character references ("&#N;",
    //! "&#xH;") are decoded in one pass, so every value the writer wrote comes
    //! back unchanged; references to TAB, LF, CR and NUL decode to nothing, as
    //! those characters never survive a read.
    QString GetAttribute(QStringView name) const;

    //! The attribute's value as it stands in the file, nothing decoded.
    QString GetRawAttribute(QStringView name) const;

    //! Decodes the references GetAttribute decodes.
    static QString DecodeValue(QStringView raw);

private:
    friend class CXmlDocument;

    //! Sets name and attribute text from the content of a tag: the name runs
    //! up to the first space, the rest (trimmed) is the attribute text.
    void TakeContent(const QString& content);
    void Clear();

    QString m_name;
    QString m_attributes;
    QString m_value;
    std::vector<std::unique_ptr<CXmlElement>> m_children;
    CXmlElement* m_parent = nullptr;
};
