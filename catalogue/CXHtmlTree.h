#pragma once

#include "catalogue/CatalogueDocument.h"
#include "catalogue/XHTMLTREEDATA.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QPoint>
#include <QTimer>
#include <QTreeWidget>

#include <memory>
#include <optional>
#include <unordered_map>

class CXHtmlTreeNotify;
struct XHtmlTreeMessage;

//! The tree control of every catalogue view. Each item carries an
//! XHTMLTREEDATA record that the tree owns (a copy of the caller's record is
//! made on insert and freed with the item); item texts may hold markup,
//! drawn by CXHtmlItemDelegate. The tree is a view over CatalogueDocument,
//! which holds the file format: reading a file fills the tree from the
//! document, writing hands the tree's items to it. The tree finds items by
//! name and moves or copies items by drag and drop (a plain drag moves, Ctrl
//! copies), telling its parent through CXHtmlTreeNotify.
class CXHtmlTree : public QTreeWidget {
    Q_OBJECT
public:
    //! Image index meaning "no image".
    static constexpr int NO_IMAGE = CatalogueNode::kNoImage;
    //! Drag operation bits: Ctrl changes the drop effect; copying is the default.
    static constexpr unsigned kDragCtrlChangesEffect = 0x1;
    static constexpr unsigned kDragCopyDefault = 0x10;
    static constexpr unsigned kDefaultDragOps = 0x27;
    //! Note tooltip width used when an item's note width is 0.
    static constexpr int kDefaultNoteWidth = 300;

    //! Why the last catalogue read stopped before the end of its text.
    using ReadStop = CatalogueDocument::ReadStop;

    //! checkBoxes stands for the native check-box style: the tree then draws
    //! its own check boxes (state images 1 unchecked, 2 checked, 3 tri-state,
    //! plus 4 for a disabled item).
    explicit CXHtmlTree(QWidget* parent = nullptr, bool checkBoxes = false);
    ~CXHtmlTree() override;

    // Configuration.

    //! Deletes all items, turns check boxes off and note tooltips on, puts the
    //! drawing options back to their defaults and tells the parent that the
    //! note tooltip window exists.
    void Initialize();
    bool HasCheckBoxes() const { return m_checkBoxes; }
    void SetItemImages(bool on) { m_itemImages = on; }
    bool GetItemImages() const { return m_itemImages; }
    void SetDisplayTooltips(bool on) { m_tooltips = on; }
    bool GetDisplayTooltips() const { return m_tooltips; }
    void SetDragOps(unsigned ops) { m_dragOps = ops; }
    unsigned GetDragOps() const { return m_dragOps; }
    //! The image list: the icons item image indexes refer to. An empty
    //! optional means the tree has no image list.
    void SetImageList(std::optional<QList<QIcon>> images);
    bool HasImageList() const { return m_imageList.has_value(); }
    int GetImageCount() const { return m_imageList ? static_cast<int>(m_imageList->size()) : 0; }
    //! The receiver of the tree's messages; null: the nearest parent widget
    //! implementing CXHtmlTreeNotify.
    void SetNotify(CXHtmlTreeNotify* notify) { m_notify = notify; }
    CXHtmlTreeNotify* GetNotify() const;
    void SetCtrlId(int id) { m_ctrlId = id; }
    int GetCtrlId() const { return m_ctrlId; }

    // Items.

    //! Inserts an item with text and image below parent (null: top level)
    //! after `after` (null: as last child), carrying a copy of data (default
    //! record when null). A separator gets no text, image or check box.
    //! Returns the item, or null when the tree refuses it (parent or after
    //! not in this tree).
    virtual QTreeWidgetItem* InsertItem(const QString& text, int image, QTreeWidgetItem* parent,
        const XHTMLTREEDATA* data, QTreeWidgetItem* after = nullptr);
    //! The item's record; null for a null or unknown item and while the tree
    //! is being emptied.
    XHTMLTREEDATA* GetItemData(QTreeWidgetItem* item) const;
    //! The item's text as stored, or with plain set and more than three
    //! characters, the text with markup removed. Empty for a null item.
    QString GetItemText(QTreeWidgetItem* item, bool plain = false) const;
    //! Sets the item's text (markup allowed) and its record's plain text.
    void SetItemText(QTreeWidgetItem* item, const QString& text);
    //! The item's image index, NO_IMAGE when it has none.
    int GetItemImage(QTreeWidgetItem* item) const;
    //! Attaches a note (shown as tooltip) of the given width (0: default).
    void SetItemNote(QTreeWidgetItem* item, const QString& note, int width = 0);
    QString GetItemNote(QTreeWidgetItem* item) const;
    //! Check box state image index (0 when the item has no check box).
    int GetStateImage(QTreeWidgetItem* item) const;
    //! Checks or unchecks an item (record and check box).
    void SetCheck(QTreeWidgetItem* item, bool checked);
    //! Deletes the item with its subtree, frees their records and takes the
    //! subtree's separators off the ancestors' counters. False for null.
    bool DeleteItem(QTreeWidgetItem* item);
    //! Deletes every item and frees all records; lookups find no record meanwhile.
    void DeleteAllItems();
    bool IsEmptying() const { return m_emptying; }
    //! Expands every item, selects the selected item again (or the first
    //! top-level item), makes it visible and scrolls to the top.
    void ExpandAll();
    //! Searches, in pre-order from start (the first item when null), for an
    //! item whose plain text (first 199 characters) contains text; see the
    //! implementation for the whole-word rule. Null when none or text is empty.
    QTreeWidgetItem* FindItem(const QString& text, bool matchCase, bool down, bool wholeWord, bool wrap,
        QTreeWidgetItem* start = nullptr) const;
    //! The next item in pre-order (first child, next sibling, or the next
    //! sibling of the nearest ancestor that has one); null after the last.
    QTreeWidgetItem* GetNextItem(QTreeWidgetItem* item) const;
    //! The previous item in pre-order; null before the first.
    QTreeWidgetItem* GetPrevItem(QTreeWidgetItem* item) const;
    //! The number of ancestors of item (0 for a top-level item).
    static int GetItemLevel(QTreeWidgetItem* item);
    //! Makes item the selected item; null clears the selection.
    void SelectItem(QTreeWidgetItem* item);
    //! The first top-level item, or null.
    QTreeWidgetItem* GetRootItem() const { return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr; }

    // Catalogue files.

    //! Reads a catalogue file into the tree (below what it holds). False when
    //! the path is not a regular file or the file cannot be read whole
    //! (GetReadError() says why); the tree is then unchanged.
    bool ReadCatalogueFile(const QString& path);
    //! Reads the bytes of a catalogue file (up to the first zero byte) into the tree.
    void ReadCatalogueText(const char* bytes, qsizetype length);
    //! Writes the items from firstItem to the end of the tree as a catalogue
    //! file through CatalogueDocument::WriteBytes: atomically, keeping a
    //! damaged original that this tree read as NAME.bak first. False when
    //! path is empty, firstItem is null or any step fails; path is then left
    //! byte-identical and GetWriteError() says why.
    bool WriteCatalogueFile(QTreeWidgetItem* firstItem, const QString& path);
    //! Why the last WriteCatalogueFile failed (file and reason); empty after success.
    const QString& GetWriteError() const { return m_document.WriteError(); }
    //! Why the last ReadCatalogueFile failed.
    const QString& GetReadError() const { return m_document.ReadError(); }
    //! The bytes WriteCatalogueFile writes for firstItem (empty for null).
    QByteArray CatalogueBytes(QTreeWidgetItem* firstItem) const;
    //! The opening tag of one item without its closing ">" or "/>".
    QString BuildItemTag(QTreeWidgetItem* item, const QString& tagName) const;
    //! The number of items the last catalogue read made.
    int GetItemCount() const { return m_document.GetItemCount(); }
    ReadStop GetReadStop() const { return m_document.GetReadStop(); }
    //! The sentence telling the user that the last read stopped early; empty
    //! when it read the whole file.
    QString GetReadProblem() const { return m_document.ReadProblem(); }
    //! What to tell the user after the last ReadCatalogueFile (see
    //! CatalogueDocument::LoadProblem); empty when all is well.
    QString GetLoadProblem() const { return m_document.LoadProblem(); }
    //! A document holding a copy of every item of the tree.
    CatalogueDocument ToDocument() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    XHtmlTreeMessage Message(QTreeWidgetItem* item) const;
    void ApplyLook(QTreeWidgetItem* item, const XHTMLTREEDATA& data, int image);
    void SetStateImage(QTreeWidgetItem* item, int state);
    bool Contains(QTreeWidgetItem* item) const;
    void AddSeparatorsToAncestors(QTreeWidgetItem* item, int count);
    int SeparatorsInSubtree(QTreeWidgetItem* item) const;
    bool Matches(QTreeWidgetItem* item, const QString& text, bool matchCase, bool wholeWord) const;
    void PrepareDocument();
    void ShowDocument();
    bool InsertNode(const CatalogueNode& node, QTreeWidgetItem* parent, int& counter);
    void CollectWriteItems(QTreeWidgetItem* firstItem, std::vector<CatalogueDocument::WriteItem>& items) const;

    bool DecideCopy(bool ctrl) const;
    void BeginDrag(QTreeWidgetItem* item, bool ctrl);
    void HoverDrag(const QPoint& pos);
    void Drop(const QPoint& pos, bool ctrl);
    void EndDrag();
    bool IsValidDropTarget(QTreeWidgetItem* target) const;
    QTreeWidgetItem* CopyBranch(QTreeWidgetItem* source, QTreeWidgetItem* newParent);
    void UpdateDragCursor(bool ctrl);
    void OnDragTimer();

    std::unordered_map<QTreeWidgetItem*, std::unique_ptr<XHTMLTREEDATA>> m_records;
    bool m_emptying = false;
    //! The file format and the state of the last file read (see CatalogueDocument).
    CatalogueDocument m_document;
    bool m_checkBoxes = false;
    bool m_itemImages = true;
    bool m_tooltips = true;
    unsigned m_dragOps = kDefaultDragOps;
    std::optional<QList<QIcon>> m_imageList;
    CXHtmlTreeNotify* m_notify = nullptr;
    int m_ctrlId = 0;

    QTreeWidgetItem* m_pressItem = nullptr;
    QPoint m_pressPos;
    QTreeWidgetItem* m_dragItem = nullptr;
    QTreeWidgetItem* m_dropTarget = nullptr;
    bool m_dragCopy = false;
    bool m_cursorOverridden = false;
    QPoint m_dragPos;
    QTimer m_dragTimer;
    QElapsedTimer m_dragStart;
    QElapsedTimer m_hoverStart;
};
