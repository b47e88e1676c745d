#include "catalogue/CatalogueListing.h"

#include "catalogue/CXHtmlTree.h"
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

QString CatalogueListing::Line(const CXHtmlTree& tree, QTreeWidgetItem* item)
{
    QStringList fields;
    fields << tree.GetItemText(item, true);
    if (const XHTMLTREEDATA* data = tree.GetItemData(item)) {
        fields << QString::number(data->Reporttype1) << QString::number(data->Reporttype2) << data->Filename1
               << data->Filename2 << QString::number(tree.GetItemImage(item)) << Flag(data->bChecked)
               << Flag(data->bEnabled) << Flag(data->bSeparator) << ColorText(data->crText)
               << ColorText(data->crTextBackground) << data->pszNote;
    } else {
        fields << QString() << QString() << QString() << QString() << QString::number(tree.GetItemImage(item))
               << QString() << QString() << QString() << QString() << QString() << QString();
    }
    return QString(2 * CXHtmlTree::GetItemLevel(item), u' ') + fields.join(u'\t');
}

QString CatalogueListing::List(const CXHtmlTree& tree)
{
    QString out;
    for (QTreeWidgetItem* item = tree.GetRootItem(); item != nullptr; item = tree.GetNextItem(item)) {
        out += Line(tree, item);
        out += u'\n';
    }
    return out;
}
