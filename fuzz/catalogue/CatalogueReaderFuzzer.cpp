// Fuzzes the catalogue reader: any bytes must read without a crash or a
// sanitizer report, and what was read must survive a write and a second read
// unchanged (same listing, and the second write gives the same bytes).
// The one case left out: a read that made no item at all (the first element
// was named "..."), since nothing is written for a document without items.
// The document has no widgets, so no application object is needed.

#include "catalogue/CatalogueDocument.h"
#include "catalogue/CatalogueListing.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char* what, const QString& a, const QString& b)
{
    std::fprintf(stderr, "%s\n--- first\n%s\n--- second\n%s\n", what, a.toUtf8().constData(), b.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CatalogueDocument first;
    first.SetImageCount(3);
    first.ReadText(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (first.Root() == nullptr)
        return 0;
    // The message for an early stop must always be made without fault.
    const QString problem = first.ReadProblem();
    if ((first.GetReadStop() == CatalogueDocument::ReadStop::None) != problem.isEmpty())
        Fail("the read problem and the read stop disagree", problem, QString());
    const QString listing = CatalogueListing::List(first);
    const QByteArray written = first.Bytes();

    CatalogueDocument second;
    second.SetImageCount(3);
    second.ReadText(written.constData(), written.size());
    if (second.GetReadStop() != CatalogueDocument::ReadStop::None)
        Fail("a written file does not read to its end", second.ReadProblem(), QString::fromLatin1(written));
    const QString relisting = CatalogueListing::List(second);
    if (relisting != listing)
        Fail("the rewritten file lists differently", listing, relisting);
    const QByteArray rewritten = second.Bytes();
    if (rewritten != written)
        Fail("the second write differs", QString::fromLatin1(written), QString::fromLatin1(rewritten));
    return 0;
}
