// lumetra-catalog: inspects and repairs catalogue files from the command line.
//
//   lumetra-catalog list FILE [--images N]
//   lumetra-catalog rewrite IN OUT [--images N]
//   lumetra-catalog find FILE TEXT [--match-case] [--whole-word] [--wrap]

#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueListing.h"

#include <QApplication>
#include <QPixmap>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kUsage = 2;

void PrintErr(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stderr);
}

void PrintOut(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

// The tool reports its own errors; Qt's warnings (about the desktop session
// a command-line run lacks) would only be noise.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        PrintErr(message);
}

int Usage()
{
    PrintErr(QStringLiteral("usage: lumetra-catalog list FILE [--images N]\n"
                            "       lumetra-catalog rewrite IN OUT [--images N]\n"
                            "       lumetra-catalog find FILE TEXT [--match-case] [--whole-word] [--wrap]"));
    return kUsage;
}

// Gives the tree an image list of count images (none for a negative count).
void SetImages(CXHtmlTree& tree, int count)
{
    if (count < 0) {
        tree.SetImageList(std::nullopt);
        return;
    }
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::gray);
    tree.SetImageList(QList<QIcon>(count, QIcon(pixmap)));
}

// Reads path into tree; prints why when it cannot, and notes a read that
// stopped before the end of the file.
bool Read(CXHtmlTree& tree, const QString& path)
{
    if (!tree.ReadCatalogueFile(path)) {
        PrintErr(QStringLiteral("lumetra-catalog: cannot read %1").arg(path));
        return false;
    }
    switch (tree.GetReadStop()) {
    case CXHtmlTree::ReadStop::None:
        break;
    case CXHtmlTree::ReadStop::Ellipsis:
        PrintErr(QStringLiteral("lumetra-catalog: %1: read stopped at an element named \"...\" after %2 items")
                     .arg(path)
                     .arg(tree.GetItemCount()));
        break;
    case CXHtmlTree::ReadStop::Refused:
        PrintErr(QStringLiteral("lumetra-catalog: %1: read stopped at a refused item after %2 items")
                     .arg(path)
                     .arg(tree.GetItemCount()));
        break;
    case CXHtmlTree::ReadStop::TooDeep:
        PrintErr(QStringLiteral("lumetra-catalog: %1: read stopped at elements nested deeper than allowed "
                                "after %2 items")
                     .arg(path)
                     .arg(tree.GetItemCount()));
        break;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QApplication app(argc, argv);

    QStringList args = QApplication::arguments().mid(1);
    QStringList positional;
    int images = 3;
    bool matchCase = false;
    bool wholeWord = false;
    bool wrap = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--images") {
            if (i + 1 >= args.size())
                return Usage();
            bool ok = false;
            images = args[++i].toInt(&ok);
            if (!ok || images < 0)
                return Usage();
            if (images == 0)
                images = -1;
        } else if (a == u"--match-case") {
            matchCase = true;
        } else if (a == u"--whole-word") {
            wholeWord = true;
        } else if (a == u"--wrap") {
            wrap = true;
        } else if (a.startsWith(u"--")) {
            return Usage();
        } else {
            positional << a;
        }
    }
    if (positional.isEmpty())
        return Usage();

    const QString command = positional.takeFirst();
    CXHtmlTree tree;
    SetImages(tree, images);

    if (command == u"list" && positional.size() == 1) {
        if (!Read(tree, positional[0]))
            return EXIT_FAILURE;
        PrintOut(CatalogueListing::List(tree));
        return EXIT_SUCCESS;
    }
    if (command == u"rewrite" && positional.size() == 2) {
        if (!Read(tree, positional[0]))
            return EXIT_FAILURE;
        if (!tree.WriteCatalogueFile(tree.GetRootItem(), positional[1])) {
            PrintErr(QStringLiteral("lumetra-catalog: cannot write %1").arg(positional[1]));
            return EXIT_FAILURE;
        }
        return EXIT_SUCCESS;
    }
    if (command == u"find" && positional.size() == 2) {
        if (!Read(tree, positional[0]))
            return EXIT_FAILURE;
        QTreeWidgetItem* item = tree.FindItem(positional[1], matchCase, true, wholeWord, wrap, nullptr);
        if (item == nullptr)
            return EXIT_FAILURE;
        PrintOut(tree.GetItemText(item, true) + u'\n');
        return EXIT_SUCCESS;
    }
    return Usage();
}
