#include "catalogue/CatalogueListing.h"

#include "catalogue/CatalogueDocument.h"
#include "uikit/CXHtmlMarkup.h"
#include "uikit/CXNamedColors.h"

#include <QStringList>

namespace {

QString ColorText(std::int32_t value)
{
    return value == XHTMLTREEDATA::kDefaultColor ? QString() : CXNamedColors::ToText(static_cast<COLORREF>(value));
}

QString Flag(std::int32_t value)
{
    return value != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString CatalogueListing::Line(const CatalogueNode& node, int level)
{
    const XHTMLTREEDATA& data = node.data;
    QStringList fields;
    fields << CXHtmlMarkup::PlainText(node.text) << QString::number(data.Reporttype1)
           << QString::number(data.Reporttype2) << data.Filename1 << data.Filename2 << QString::number(node.image)
           << Flag(data.bChecked) << Flag(data.bEnabled) << Flag(data.bSeparator) << ColorText(data.crText)
           << ColorText(data.crTextBackground) << data.pszNote;
    return QString(qsizetype {2} * level, u' ') + fields.join(u'\t');
}

QString CatalogueListing::List(const CatalogueDocument& document)
{
    QString out;
    document.ForEach([&out](const CatalogueNode& node, int level) {
        out += Line(node, level);
        out += u'\n';
    });
    return out;
}
