#include "control/pivot/PivotCellStyle.h"

#include "control/pivot/PivotSelectionTarget.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <QObject>

#include <cmath>

namespace pivot {

const PivotTextStyle* PivotCellStyle::For(
    const PivotDefinition& shown, const PivotLayout& layout, const PivotGridCell& cell)
{
    const PivotTextStyle* style = nullptr;
    if (cell.kind == PivotGridCell::Kind::Value) {
        const int row = cell.anchorRow;
        const int column = cell.anchorColumn;
        std::string name = layout.Columns().TotalAt(column - layout.HeaderColumns());
        if (name.empty())
            name = layout.Rows().TotalAt(row - layout.HeaderRows());
        const PivotTotal* total = shown.FindTotal(name);
        if (!total) {
            const auto included = shown.IncludedTotals();
            total = included.size() == 1 ? included.front() : nullptr;
        }
        style = total ? &total->style : nullptr;
    } else if (cell.header && cell.header->kind == PivotHeaderCell::Kind::Total) {
        const PivotTotal* total = shown.FindTotal(cell.header->uniqueName);
        style = total ? &total->style : nullptr;
    } else if (cell.header && cell.header->kind != PivotHeaderCell::Kind::Empty) {
        const AxisKind axis = cell.kind == PivotGridCell::Kind::RowHeader ? AxisKind::Row : AxisKind::Column;
        const PivotFieldSet* fieldSet = PivotSelectionTarget::ShownFieldSet(shown, axis, cell.header->fieldSetIndex);
        style = fieldSet ? &fieldSet->style : nullptr;
    }
    return style && !style->IsDefault() ? style : nullptr;
}

QFont PivotCellStyle::Font(const QFont& base, const PivotTextStyle& style)
{
    QFont font = base;
    if (!style.fontName.empty())
        font.setFamily(QString::fromStdString(style.fontName));
    if (style.fontSize > 0)
        font.setPointSize(style.fontSize);
    if (style.bold)
        font.setBold(true);
    if (style.italic)
        font.setItalic(true);
    return font;
}

bool PivotCellStyle::IsError(const PivotGridCell& cell)
{
    if (cell.kind != PivotGridCell::Kind::Value)
        return false;
    if (cell.value)
        return !std::isfinite(*cell.value);
    return cell.text.starts_with('#');
}

QString PivotCellStyle::ErrorText(const PivotGridCell& cell)
{
    if (!IsError(cell))
        return {};
    if (!cell.value)
        return QString::fromStdString(cell.text);
    if (std::isnan(*cell.value))
        return QObject::tr("the value is not a number (an undefined result such as 0/0)");
    return QObject::tr("the value is infinite (a division by zero)");
}

QColor PivotCellStyle::Color(const std::string& text)
{
    return text.empty() ? QColor() : QColor(QString::fromStdString(text));
}

} // namespace pivot
