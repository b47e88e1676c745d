#pragma once

#include "catalogue/CXmlElement.h"

#include <QString>

//! The lenient reader of catalogue documents. It never rejects text: it
//! makes what elements it can, takes any tag name, and a closing tag closes
//! the current element whatever its name. Used only for reading.
class CXmlDocument {
public:
    //! Elements are nested at most this deep below the root; the parse stops
    //! at a deeper opening tag (see Truncated()).
    static constexpr int kMaxDepth = 1000;

    CXmlDocument() = default;
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    //! Clears the document and parses text into it. Always succeeds; the
    //! first opening tag fills the root element, later ones become elements
    //! below the current one.
    void Parse(const QString& text);

    //! Classifies one tag text from "<" to ">": -1 for a declaration, a
    //! comment or an empty tag; 0 for an opening tag; 1 for a closing tag; 2
    //! for an empty-element tag. content receives the text between the
    //! brackets without the "/" of a closing or empty-element tag.
    static int ClassifyTag(const QString& tag, QString& content);

    const CXmlElement& Root() const { return m_root; }

    //! True when the last parse stopped at an element nested deeper than
    //! kMaxDepth; everything before it was parsed.
    bool Truncated() const { return m_truncated; }
    //! True when the last parse ended with the root element closed and no
    //! tag left open: what a complete catalogue file gives.
    bool Finished() const { return m_finished; }

private:
    QString m_text;
    CXmlElement m_root;
    CXmlElement* m_current = &m_root;
    bool m_truncated = false;
    bool m_finished = false;
};
