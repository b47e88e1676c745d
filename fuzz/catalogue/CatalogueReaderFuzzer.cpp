// Fuzzes the catalogue reader: any bytes must read without a crash or a
// sanitizer report, and what was read must survive a write and a second read
// unchanged (same listing, and the second write gives the same bytes).
// The one case left out: a read that made no item at all (the first element
// was named "..."), since writing an empty tree gives an empty file, which
// reads as one unnamed item.

#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueListing.h"

#include <QApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QApplication* g_app = nullptr;
CXHtmlTree* g_first = nullptr;
CXHtmlTree* g_second = nullptr;

void Reset(CXHtmlTree& tree)
{
    // The item views post layout work to the event loop, which a fuzzer does
    // not run; deliver it, or it piles up across inputs.
    QCoreApplication::sendPostedEvents();
    tree.Initialize();
    tree.SetImageList(QList<QIcon>(3));
}

[[noreturn]] void Fail(const char* what, const QString& a, const QString& b)
{
    std::fprintf(stderr, "%s\n--- first\n%s\n--- second\n%s\n", what, a.toUtf8().constData(), b.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_app = new QApplication(*argc, *argv);
    g_first = new CXHtmlTree;
    g_second = new CXHtmlTree;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reset(*g_first);
    g_first->ReadCatalogueText(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (g_first->GetRootItem() == nullptr)
        return 0;
    const QString listing = CatalogueListing::List(*g_first);
    const QByteArray written = g_first->CatalogueBytes(g_first->GetRootItem());

    Reset(*g_second);
    g_second->ReadCatalogueText(written.constData(), written.size());
    const QString relisting = CatalogueListing::List(*g_second);
    if (relisting != listing)
        Fail("the rewritten file lists differently", listing, relisting);
    const QByteArray rewritten = g_second->CatalogueBytes(g_second->GetRootItem());
    if (rewritten != written)
        Fail("the second write differs", QString::fromLatin1(written), QString::fromLatin1(rewritten));
    return 0;
}
