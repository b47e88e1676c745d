#include "control/export/PrintTitles.h"

#include <algorithm>

namespace exporting {

namespace {

constexpr int kLastColumn = 16384;

} // namespace

int PrintTitles::RowCount(const PrintViewShape& view)
{
    const int columnFields = std::max(0, view.includedColumnFields);
    int rows = columnFields;
    if (columnFields > 0 || view.columnLabelVisible)
        ++rows;
    ++rows;
    if (view.titleBarVisible)
        ++rows;
    rows += view.filterFieldSets > 0 ? 2 : 1;
    return rows;
}

int PrintTitles::ColumnCount(const PrintViewShape& view)
{
    const int rowFields = std::max(0, view.includedRowFields);
    if (rowFields == 0 && view.rowLabelVisible)
        return 1;
    return rowFields;
}

std::string PrintTitles::RowRange(int count)
{
    return "$1:$" + std::to_string(std::max(1, count));
}

std::string PrintTitles::ColumnRange(int count)
{
    if (count <= 0)
        return {};
    return "$A:$" + ColumnName(count);
}

std::string PrintTitles::ColumnName(int number)
{
    // Bijective base 26: there is no zero digit, Z is followed by AA.
    int rest = std::clamp(number, 1, kLastColumn);
    std::string name;
    while (rest > 0) {
        const int digit = (rest - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        rest = (rest - 1) / 26;
    }
    return name;
}

} // namespace exporting
