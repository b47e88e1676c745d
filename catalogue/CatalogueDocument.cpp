#include "catalogue/CatalogueDocument.h"

#include "catalogue/CXmlDocument.h"
#include "catalogue/CXmlElement.h"
#include "catalogue/CatalogueText.h"
#include "olap/util/AtomicFile.h"
#include "olap/util/RegularFile.h"
#include "uikit/CXHtmlMarkup.h"
#include "uikit/CXNamedColors.h"
#include "uikit/LeadingInteger.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

bool IsWordChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_';
}

QString Shown(const QString& path)
{
    return path.size() <= 200 ? path : path.left(97) + QStringLiteral(" ... ") + path.right(98);
}

// Whether two paths name the same file (after links and "..").
bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a);
    const QFileInfo fb(b);
    const QString ca = fa.canonicalFilePath();
    const QString cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

bool WriteAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    olap::AtomicFile file(QFile::encodeName(path).toStdString());
    if (!file.Open() || !file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        || !file.Commit()) {
        *error = QString::fromStdString(file.Error());
        return false;
    }
    return true;
}

} // namespace

CatalogueNode* CatalogueDocument::AddTopLevel(std::unique_ptr<CatalogueNode> node)
{
    node->parent = nullptr;
    m_top.push_back(std::move(node));
    return m_top.back().get();
}

CatalogueNode* CatalogueDocument::Next(const CatalogueNode* node) const
{
    if (node == nullptr)
        return nullptr;
    if (!node->children.empty())
        return node->children.front().get();
    for (const CatalogueNode* it = node; it != nullptr; it = it->parent) {
        const auto& siblings = it->parent != nullptr ? it->parent->children : m_top;
        for (std::size_t i = 0; i + 1 < siblings.size(); ++i) {
            if (siblings[i].get() == it)
                return siblings[i + 1].get();
        }
    }
    return nullptr;
}

CatalogueNode* CatalogueDocument::Previous(const CatalogueNode* node) const
{
    if (node == nullptr)
        return nullptr;
    const auto& siblings = node->parent != nullptr ? node->parent->children : m_top;
    std::size_t index = 0;
    while (index < siblings.size() && siblings[index].get() != node)
        ++index;
    if (index == 0 || index >= siblings.size())
        return node->parent;
    CatalogueNode* previous = siblings[index - 1].get();
    while (!previous->children.empty())
        previous = previous->children.back().get();
    return previous;
}

CatalogueNode* CatalogueDocument::Last() const
{
    if (m_top.empty())
        return nullptr;
    CatalogueNode* node = m_top.back().get();
    while (!node->children.empty())
        node = node->children.back().get();
    return node;
}

int CatalogueDocument::LevelOf(const CatalogueNode* node)
{
    int level = 0;
    for (const CatalogueNode* p = node != nullptr ? node->parent : nullptr; p != nullptr; p = p->parent)
        ++level;
    return level;
}

namespace {

void Visit(const CatalogueNode& node, int level, const std::function<void(const CatalogueNode&, int)>& visit)
{
    visit(node, level);
    for (const auto& child : node.children)
        Visit(*child, level + 1, visit);
}

} // namespace

void CatalogueDocument::ForEach(const std::function<void(const CatalogueNode&, int)>& visit) const
{
    for (const auto& node : m_top)
        Visit(*node, 0, visit);
}

// Reading -------------------------------------------------------------------

bool CatalogueDocument::ReadFile(const QString& path)
{
    m_readError.clear();
    m_readMissing = !QFileInfo::exists(path) && !QFileInfo(path).isSymLink();
    // A FIFO or a device would block open() or never end: refuse it first.
    if (const std::string problem = olap::RegularFile::Problem(QFile::encodeName(path).toStdString());
        !problem.empty()) {
        m_readError = QStringLiteral("cannot read the catalogue: %1").arg(QString::fromStdString(problem));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_readError = QStringLiteral("cannot read %1: %2").arg(Shown(path), file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_readError = QStringLiteral("cannot read %1: %2").arg(Shown(path), file.errorString());
        return false;
    }
    ReadText(bytes.constData(), bytes.size());
    m_path = path;
    m_backupPath.clear();
    m_backupDue = m_readStop != ReadStop::None;
    return true;
}

void CatalogueDocument::ReadText(const char* bytes, qsizetype length)
{
    m_top.clear();
    m_path.clear();
    m_backupDue = false;
    m_stopOffset = -1;
    QString text = CatalogueText::DecodeFile(bytes, length);
    text.removeIf([](QChar c) { return c == u'\n' || c == u'\r' || c == u'\t'; });
    m_itemCount = 0;
    m_readStop = ReadStop::None;
    CXmlDocument document;
    document.Parse(text);
    int counter = 0;
    // An element named "..." as the root ends the read at once.
    if (std::optional<CatalogueNode> root = NodeOf(document.Root())) {
        CatalogueNode* node = AddTopLevel(std::make_unique<CatalogueNode>(std::move(*root)));
        ++counter;
        InsertChildren(document.Root(), *node, counter);
    }
    m_itemCount = counter;
    if (m_readStop != ReadStop::None)
        return;
    if (document.Truncated()) {
        m_readStop = ReadStop::TooDeep;
        return;
    }
    // What the reading rules pass over silently, but what tells of a file
    // that is damaged or not a catalogue at all.
    if (const void* zero = length > 0 ? std::memchr(bytes, 0, static_cast<std::size_t>(length)) : nullptr) {
        const qsizetype offset = static_cast<const char*>(zero) - bytes;
        for (qsizetype i = offset + 1; i < length; ++i) {
            if (bytes[i] != 0) {
                m_readStop = ReadStop::ZeroByte;
                m_stopOffset = offset;
                return;
            }
        }
    }
    if (document.Root().Name().isEmpty()) {
        if (!CatalogueText::Trim(text).isEmpty())
            m_readStop = ReadStop::NoElement;
        return;
    }
    if (!document.Finished())
        m_readStop = ReadStop::Unfinished;
}

bool CatalogueDocument::InsertChildren(const CXmlElement& element, CatalogueNode& parent, int& counter)
{
    for (const auto& child : element.Children()) {
        std::optional<CatalogueNode> node = NodeOf(*child);
        if (!node)
            return false;
        CatalogueNode* added = parent.AddChild(std::make_unique<CatalogueNode>(std::move(*node)));
        ++counter;
        if (!InsertChildren(*child, *added, counter))
            return false;
    }
    return true;
}

std::optional<CatalogueNode> CatalogueDocument::NodeOf(const CXmlElement& element)
{
    // The stop mark is compared before decoding: the writer stores an item
    // really named "..." with character references, so it reads back whole.
    const QString raw = element.GetRawAttribute(u"name");
    if (raw == u"...") {
        m_readStop = ReadStop::Ellipsis;
        return std::nullopt;
    }
    const QString name = CatalogueText::Trim(CXmlElement::DecodeValue(raw));

    CatalogueNode node;
    XHTMLTREEDATA& data = node.data;
    data.strPlainText = CXHtmlMarkup::PlainText(name);
    auto readInt = [&element](QStringView attr, std::int32_t& field) {
        const QString value = element.GetAttribute(attr);
        if (!value.isEmpty())
            field = LeadingInteger(value);
    };
    readInt(u"checked", data.bChecked);
    readInt(u"enabled", data.bEnabled);
    readInt(u"Reporttype1", data.Reporttype1);
    readInt(u"Reporttype2", data.Reporttype2);
    readInt(u"separator", data.bSeparator);
    if (QString v = element.GetAttribute(u"Filename1"); !v.isEmpty())
        data.Filename1 = v;
    if (QString v = element.GetAttribute(u"Filename2"); !v.isEmpty())
        data.Filename2 = v;
    if (QString v = element.GetAttribute(u"text-color"); !v.isEmpty())
        data.crText = static_cast<std::int32_t>(CXNamedColors::FromText(v));
    if (QString v = element.GetAttribute(u"text-background-color"); !v.isEmpty())
        data.crTextBackground = static_cast<std::int32_t>(CXNamedColors::FromText(v));

    const QString imageText = element.GetAttribute(u"image");
    if (data.bSeparator == 0 && !imageText.isEmpty()) {
        if (!m_imageCount)
            m_itemImages = false;
        const int index = LeadingInteger(imageText);
        if (m_itemImages && index >= 0 && index < m_imageCount.value_or(0))
            node.image = index;
    }
    if (data.bSeparator == 0) {
        node.text = name;
        const QString note = element.GetAttribute(u"note");
        if (!note.isEmpty()) {
            data.pszNote = note;
            data.nNoteWidth = LeadingInteger(element.GetAttribute(u"note-width"));
        }
    }
    return node;
}

void CatalogueDocument::SetReadStop(ReadStop stop, int count)
{
    m_readStop = stop;
    m_itemCount = count;
    if (!m_path.isEmpty())
        m_backupDue = stop != ReadStop::None;
}

QString CatalogueDocument::ReadProblem() const
{
    QString why;
    switch (m_readStop) {
    case ReadStop::None:
        return {};
    case ReadStop::Ellipsis:
        why = QStringLiteral("the read stopped at an element named \"...\"");
        break;
    case ReadStop::Refused:
        why = QStringLiteral("the read stopped at an item the tree refused");
        break;
    case ReadStop::TooDeep:
        why = QStringLiteral("the read stopped at elements nested deeper than %1 levels").arg(CXmlDocument::kMaxDepth);
        break;
    case ReadStop::ZeroByte:
        why = QStringLiteral("the read stopped at a zero byte at offset %1 (the file is damaged, or is wide text "
                             "such as UTF-16 rather than one byte per character)")
                  .arg(m_stopOffset);
        break;
    case ReadStop::NoElement:
        why = QStringLiteral("the file holds no catalogue element (it is damaged or not a catalogue)");
        break;
    case ReadStop::Unfinished:
        why = QStringLiteral("the file ends before its elements are closed (it is damaged or cut short)");
        break;
    }
    return QStringLiteral("%1: %2 after %3 items; the rest of the file was not read")
        .arg(m_path.isEmpty() ? QStringLiteral("catalogue") : Shown(m_path), why)
        .arg(m_itemCount);
}

QString CatalogueDocument::LoadProblem() const
{
    if (!m_readError.isEmpty())
        return m_readMissing ? QString() : m_readError;
    if (m_readStop == ReadStop::None)
        return {};
    return ReadProblem()
        + QStringLiteral(". Before the catalogue is next saved, the file as it is now will be kept as %1.bak.")
              .arg(Shown(m_path));
}

// Writing -------------------------------------------------------------------

QString CatalogueDocument::ItemTag(const WriteItem& item, const QString& tagName)
{
    // A name of exactly "..." would end the next read; references keep it.
    const QString name = item.text == u"..." ? QStringLiteral("&#46;&#46;&#46;") : CatalogueText::Escape(item.text);
    QString tag = QStringLiteral("<%1 name=\"%2\"").arg(tagName, name);
    const XHTMLTREEDATA* data = item.data;
    if (data != nullptr) {
        tag += QStringLiteral(" Reporttype1=\"%1\" Reporttype2=\"%2\"").arg(data->Reporttype1).arg(data->Reporttype2);
        tag += QStringLiteral(" Filename1=\"%1\" Filename2=\"%2\"")
                   .arg(CatalogueText::Escape(data->Filename1), CatalogueText::Escape(data->Filename2));
        auto flag = [](std::int32_t v) { return v != 0 ? QStringLiteral("1") : QStringLiteral("0"); };
        tag += QStringLiteral(" separator=\"%1\" checked=\"%2\" enabled=\"%3\"")
                   .arg(flag(data->bSeparator), flag(data->bChecked), flag(data->bEnabled));
        if (data->crText != XHTMLTREEDATA::kDefaultColor) {
            const QString color = CXNamedColors::ToText(static_cast<COLORREF>(data->crText));
            if (!color.isEmpty())
                tag += QStringLiteral(" text-color=\"%1\"").arg(color);
        }
        if (data->crTextBackground != XHTMLTREEDATA::kDefaultColor) {
            const QString color = CXNamedColors::ToText(static_cast<COLORREF>(data->crTextBackground));
            if (!color.isEmpty())
                tag += QStringLiteral(" text-background-color=\"%1\"").arg(color);
        }
    }
    if (item.image != CatalogueNode::kNoImage)
        tag += QStringLiteral(" image=\"%1\"").arg(item.image);
    if (data != nullptr && !data->pszNote.isEmpty()) {
        tag += QStringLiteral(" note=\"%1\"").arg(CatalogueText::Escape(data->pszNote));
        if (data->nNoteWidth != 0)
            tag += QStringLiteral(" note-width=\"%1\"").arg(data->nNoteWidth);
    }
    return tag;
}

QByteArray CatalogueDocument::Encode(const std::vector<WriteItem>& items)
{
    if (items.empty())
        return {};
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\n");
    int previous = -1;
    bool pending = false;
    int level = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        level = items[i].level;
        const QString tag = ItemTag(items[i], i == 0 ? QStringLiteral("root") : QStringLiteral("item"));
        if (level > previous) {
            if (pending)
                out += QStringLiteral(">\n");
        } else if (level < previous) {
            out += QStringLiteral("/>\n");
            for (int k = previous - 1; k >= level; --k)
                out += QString(k, u'\t') + QStringLiteral("</item>\n");
        } else if (pending) {
            out += QStringLiteral("/>\n");
        }
        out += QString(level, u'\t') + tag;
        pending = true;
        previous = level;
    }
    out += QStringLiteral("/>\n");
    for (int k = level - 1; k >= 1; --k)
        out += QString(k, u'\t') + QStringLiteral("</item>\n");
    out += QStringLiteral("</root>\n");
    return CatalogueText::EncodeFile(out);
}

QByteArray CatalogueDocument::Bytes() const
{
    std::vector<WriteItem> items;
    ForEach([&items](const CatalogueNode& node, int level) {
        items.push_back(WriteItem {level, node.text, &node.data, node.image});
    });
    return Encode(items);
}

bool CatalogueDocument::WriteFile(const QString& path)
{
    return WriteBytes(path, Bytes());
}

bool CatalogueDocument::WriteBytes(const QString& path, const QByteArray& bytes)
{
    m_writeError.clear();
    if (path.isEmpty()) {
        m_writeError = QStringLiteral("no catalogue file name given");
        return false;
    }
    // Nothing to write must not empty the file that is there.
    if (bytes.isEmpty()) {
        m_writeError = QStringLiteral("the catalogue has no items; %1 was left as it was").arg(Shown(path));
        return false;
    }
    if (m_backupDue && SameFile(path, m_path) && QFileInfo::exists(path)) {
        const QString backup = path + QStringLiteral(".bak");
        if (!QFileInfo::exists(backup)) {
            QFile original(path);
            if (!original.open(QIODevice::ReadOnly)) {
                m_writeError = QStringLiteral("cannot keep a copy of %1 before replacing it: %2")
                                   .arg(Shown(path), original.errorString());
                return false;
            }
            const QByteArray old = original.readAll();
            QString why;
            if (original.error() != QFileDevice::NoError || !WriteAtomically(backup, old, &why)) {
                m_writeError = QStringLiteral("cannot keep a copy of %1 before replacing it: %2")
                                   .arg(Shown(path), why.isEmpty() ? original.errorString() : why);
                return false;
            }
            m_backupPath = backup;
        }
        m_backupDue = false;
    }
    return WriteAtomically(path, bytes, &m_writeError);
}

// Find ----------------------------------------------------------------------

bool CatalogueDocument::Matches(const QString& plainText, const QString& text, bool matchCase, bool wholeWord)
{
    const QString plain = plainText.left(kFindLimit);
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype pos = plain.indexOf(text, 0, cs); pos >= 0; pos = plain.indexOf(text, pos + 1, cs)) {
        if (!wholeWord)
            return true;
        const qsizetype end = pos + text.size();
        const bool startsWord = pos == 0 || !IsWordChar(plain[pos - 1]);
        const bool endsWord = end >= plain.size() || !IsWordChar(plain[end]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

CatalogueNode* CatalogueDocument::Find(
    const QString& text, bool matchCase, bool down, bool wholeWord, bool wrap, const CatalogueNode* start) const
{
    if (text.isEmpty() || m_top.empty())
        return nullptr;
    const CatalogueNode* first = start != nullptr ? start : Root();
    const CatalogueNode* node = first;
    while (node != nullptr) {
        if (Matches(CXHtmlMarkup::PlainText(node->text), text, matchCase, wholeWord))
            return const_cast<CatalogueNode*>(node);
        node = down ? Next(node) : Previous(node);
        if (node == nullptr && wrap)
            node = down ? Root() : Last();
        if (node == first)
            break;
    }
    return nullptr;
}
