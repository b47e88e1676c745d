// lumetra-catalog: inspects and repairs catalogue files from the command line.
//
//   lumetra-catalog list FILE [--images N]
//   lumetra-catalog rewrite IN OUT [--images N]
//   lumetra-catalog find FILE TEXT [--match-case] [--whole-word] [--wrap]
//
// Works on CatalogueDocument alone: no widgets, no display.

#include "catalogue/CatalogueDocument.h"
#include "catalogue/CatalogueListing.h"
#include "olap/EngineVersionText.h"
#include "uikit/CXHtmlMarkup.h"

#include <QCoreApplication>
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

const QString& UsageText()
{
    static const QString text
        = QStringLiteral("usage: lumetra-catalog list FILE [--images N]\n"
                         "       lumetra-catalog rewrite IN OUT [--images N]\n"
                         "       lumetra-catalog find FILE TEXT [--match-case] [--whole-word] [--wrap]\n"
                         "       lumetra-catalog --help      this text\n"
                         "       lumetra-catalog --version   the program's version");
    return text;
}

int Usage()
{
    PrintErr(UsageText());
    return kUsage;
}

// Reads path into document; prints why when it cannot, and warns when the
// read stopped before the end of the file.
bool Read(CatalogueDocument& document, const QString& path)
{
    if (!document.ReadFile(path)) {
        PrintErr(QStringLiteral("lumetra-catalog: %1").arg(document.ReadError()));
        return false;
    }
    if (const QString problem = document.ReadProblem(); !problem.isEmpty())
        PrintErr(QStringLiteral("lumetra-catalog: warning: %1").arg(problem));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

    QStringList args = QCoreApplication::arguments().mid(1);
    QStringList positional;
    int images = 3;
    bool matchCase = false;
    bool wholeWord = false;
    bool wrap = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--help" || a == u"-h") {
            PrintOut(UsageText() + u'\n');
            return 0;
        }
        if (a == u"--version") {
            PrintOut(QStringLiteral("lumetra-catalog " LUMETRA_VERSION_TEXT "\n"));
            return 0;
        }
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
    CatalogueDocument document;
    // --images 0 stands for a tree without an image list.
    document.SetImageCount(images < 0 ? std::nullopt : std::optional<int>(images));

    if (command == u"list" && positional.size() == 1) {
        if (!Read(document, positional[0]))
            return EXIT_FAILURE;
        PrintOut(CatalogueListing::List(document));
        return EXIT_SUCCESS;
    }
    if (command == u"rewrite" && positional.size() == 2) {
        if (!Read(document, positional[0]))
            return EXIT_FAILURE;
        if (!document.WriteFile(positional[1])) {
            PrintErr(QStringLiteral("lumetra-catalog: cannot write %1: %2")
                         .arg(positional[1].left(200), document.WriteError()));
            return EXIT_FAILURE;
        }
        if (!document.BackupPath().isEmpty())
            PrintErr(QStringLiteral("lumetra-catalog: the original was kept as %1").arg(document.BackupPath()));
        return EXIT_SUCCESS;
    }
    if (command == u"find" && positional.size() == 2) {
        if (!Read(document, positional[0]))
            return EXIT_FAILURE;
        const CatalogueNode* node = document.Find(positional[1], matchCase, true, wholeWord, wrap);
        if (node == nullptr)
            return EXIT_FAILURE;
        PrintOut(CXHtmlMarkup::PlainText(node->text) + u'\n');
        return EXIT_SUCCESS;
    }
    return Usage();
}
