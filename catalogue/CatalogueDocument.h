#pragma once

#include "catalogue/CatalogueNode.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class CXmlElement;

//! A catalogue file as a tree of CatalogueNode records, with no widgets: the
//! reader, the byte-exact writer, find by name, and the bookkeeping that
//! keeps a damaged file from being lost. The tree control (CXHtmlTree) shows
//! and edits the items; the command-line tool and the fuzz target use this
//! class alone.
//!
//! Reading never rejects text (files of earlier versions rely on the lenient
//! rules), but a read that stopped before the end of the file says so
//! (GetReadStop, ReadProblem). Writing goes through olap::AtomicFile: the
//! old file is replaced only by a complete, synced copy, and before the first
//! write over a file whose read stopped early, the original is kept as
//! NAME.bak (one copy; an existing NAME.bak is never overwritten).
class CatalogueDocument {
public:
    //! Why the last read stopped before the end of its text.
    enum class ReadStop {
        None, //!< read to the end
        Ellipsis, //!< an element named "..." ended the read
        Refused, //!< the tree refused an item
        TooDeep, //!< elements were nested deeper than the reader allows
        ZeroByte, //!< a zero byte ended the text (damage, or UTF-16 or other wide text)
        NoElement, //!< the text holds no element at all (not a catalogue)
        Unfinished, //!< the text ends inside a tag or before its elements are closed
    };

    //! One item as the writer sees it: depth (0 for a top-level item), text,
    //! record (null: the item has none) and image index.
    struct WriteItem {
        int level = 0;
        QString text;
        const XHTMLTREEDATA* data = nullptr;
        int image = CatalogueNode::kNoImage;
    };

    //! Number of characters of an item's plain text that find looks at.
    static constexpr int kFindLimit = 199;

    CatalogueDocument() = default;
    CatalogueDocument(const CatalogueDocument&) = delete;
    CatalogueDocument& operator=(const CatalogueDocument&) = delete;
    CatalogueDocument(CatalogueDocument&&) = default;
    CatalogueDocument& operator=(CatalogueDocument&&) = default;

    // Images: the reader keeps an image index only when it is below the image
    // count; without an image list (nullopt) the first image attribute turns
    // item images off for good.
    void SetImageCount(std::optional<int> count) { m_imageCount = count; }
    std::optional<int> GetImageCount() const { return m_imageCount; }
    bool GetItemImages() const { return m_itemImages; }
    void SetItemImages(bool on) { m_itemImages = on; }

    // Items.
    const std::vector<std::unique_ptr<CatalogueNode>>& TopLevel() const { return m_top; }
    CatalogueNode* Root() const { return m_top.empty() ? nullptr : m_top.front().get(); }
    //! Appends a top-level item and returns it.
    CatalogueNode* AddTopLevel(std::unique_ptr<CatalogueNode> node);
    void Clear() { m_top.clear(); }
    //! The next node in pre-order; null after the last.
    CatalogueNode* Next(const CatalogueNode* node) const;
    //! The previous node in pre-order; null before the first.
    CatalogueNode* Previous(const CatalogueNode* node) const;
    //! The last node in pre-order; null for an empty document.
    CatalogueNode* Last() const;
    static int LevelOf(const CatalogueNode* node);
    //! Calls visit(node, level) for every node in pre-order.
    void ForEach(const std::function<void(const CatalogueNode&, int)>& visit) const;

    // Reading.

    //! Replaces the items by those of a catalogue file and remembers the file
    //! for later writes. False (ReadError() set, items unchanged) when path
    //! is not a regular file (refused before it is opened: a FIFO would
    //! block) or cannot be read whole.
    bool ReadFile(const QString& path);
    //! Replaces the items by those of the bytes of a catalogue file.
    void ReadText(const char* bytes, qsizetype length);
    //! Why the last ReadFile failed.
    const QString& ReadError() const { return m_readError; }
    ReadStop GetReadStop() const { return m_readStop; }
    //! The number of items the last read made.
    int GetItemCount() const { return m_itemCount; }
    //! Records that the reader of the items stopped for stop after count
    //! items (the tree control refusing an item reports it this way).
    void SetReadStop(ReadStop stop, int count);
    //! A sentence for the user saying that and why the last read stopped
    //! before the end of the file (empty when it read to the end).
    QString ReadProblem() const;
    //! What a program should tell the user after the last ReadFile: why the
    //! file could not be read (a missing file is no problem: a catalogue
    //! starts empty), or that the read stopped early and the original will
    //! be kept as NAME.bak; empty when all is well.
    QString LoadProblem() const;
    //! The file the last ReadFile read.
    const QString& Path() const { return m_path; }

    //! The record, text and image of one element as the reader makes them,
    //! or nullopt when the element is named "..." (which ends the read). May
    //! turn item images off (see SetImageCount).
    std::optional<CatalogueNode> NodeOf(const CXmlElement& element);

    // Writing.

    //! The bytes of a catalogue file holding items, in pre-order; empty for
    //! no items.
    static QByteArray Encode(const std::vector<WriteItem>& items);
    //! The opening tag of one item without its closing ">" or "/>".
    static QString ItemTag(const WriteItem& item, const QString& tagName);
    //! The bytes of this document's items.
    QByteArray Bytes() const;
    //! Writes this document's items to path (see WriteBytes). False when the
    //! document has no items: nothing is written then.
    bool WriteFile(const QString& path);
    //! Replaces path by bytes atomically; before the first write over the
    //! file whose read stopped early, keeps it as path + ".bak". False when
    //! bytes is empty or any step fails: path is then byte-identical and
    //! WriteError() names the file and the reason.
    bool WriteBytes(const QString& path, const QByteArray& bytes);
    const QString& WriteError() const { return m_writeError; }
    //! The copy kept of the damaged original, or empty when none was made.
    const QString& BackupPath() const { return m_backupPath; }

    // Find.

    //! Whether an item's plain text (its first kFindLimit characters)
    //! contains text; with wholeWord only where it neither starts nor ends
    //! next to a letter or an underscore.
    static bool Matches(const QString& plainText, const QString& text, bool matchCase, bool wholeWord);
    //! Searches in pre-order from start (the first item when null) for an
    //! item whose plain text matches; down or up, wrapping around when wrap.
    //! Null when none matches or text is empty.
    CatalogueNode* Find(const QString& text, bool matchCase, bool down, bool wholeWord, bool wrap,
        const CatalogueNode* start = nullptr) const;

private:
    bool InsertChildren(const CXmlElement& element, CatalogueNode& parent, int& counter);

    std::vector<std::unique_ptr<CatalogueNode>> m_top;
    std::optional<int> m_imageCount;
    bool m_itemImages = true;
    ReadStop m_readStop = ReadStop::None;
    int m_itemCount = 0;
    qsizetype m_stopOffset = -1;
    QString m_path;
    QString m_readError;
    bool m_readMissing = false;
    QString m_writeError;
    QString m_backupPath;
    bool m_backupDue = false;
};
