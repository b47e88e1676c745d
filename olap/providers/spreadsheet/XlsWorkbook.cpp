#include "olap/providers/spreadsheet/XlsWorkbook.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/spreadsheet/SheetGrid.h"

#include <freexl.h>

namespace olap::providers {

using recordset::CellValue;

namespace {

struct FreeXlHandle {
    const void* handle = nullptr;
    ~FreeXlHandle()
    {
        if (handle)
            freexl_close(handle);
    }
};

[[noreturn]] void Fail(const std::string& path, const std::string& what)
{
    throw RelationalError(
        RelationalFailure::NotADatabase, "'" + path + "' cannot be read as an Excel workbook: " + what);
}

} // namespace

std::vector<Worksheet> ReadXlsWorkbook(const std::string& path)
{
    FreeXlHandle xls;
    if (freexl_open(path.c_str(), &xls.handle) != FREEXL_OK)
        Fail(path, "it is not an Excel 97-2003 (.xls) file or it is damaged");
    unsigned int info = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        Fail(path, "the workbook is password protected");
    unsigned int sheetCount = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK)
        Fail(path, "its list of worksheets cannot be read");

    std::vector<Worksheet> sheets;
    for (unsigned int index = 0; index < sheetCount && index < 65535; ++index) {
        const auto sheetIndex = static_cast<unsigned short>(index);
        const char* name = nullptr;
        if (freexl_get_worksheet_name(xls.handle, sheetIndex, &name) != FREEXL_OK || !name)
            Fail(path, "the name of worksheet " + std::to_string(index + 1) + " cannot be read");
        Worksheet sheet;
        sheet.name = name;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(xls.handle, sheetIndex) != FREEXL_OK
            || freexl_worksheet_dimensions(xls.handle, &rows, &columns) != FREEXL_OK)
            Fail(path, "worksheet '" + sheet.name + "' cannot be read");
        SheetGrid grid;
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(xls.handle, r, c, &cell) != FREEXL_OK)
                    Fail(path, "a cell of worksheet '" + sheet.name + "' cannot be read");
                CellValue value;
                switch (cell.type) {
                case FREEXL_CELL_INT:
                    value = CellValue(cell.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    value = CellValue(cell.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_TIME:
                    value = CellValue(std::string(cell.value.text_value ? cell.value.text_value : ""));
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME: {
                    const std::string text = cell.value.text_value ? cell.value.text_value : "";
                    const auto date = recordset::DateTime::Parse(text);
                    value = date ? CellValue(*date) : CellValue(text);
                    break;
                }
                default:
                    break;
                }
                grid.Set(r, c, std::move(value));
            }
        }
        sheet.rows = grid.Rows(sheet.name);
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

} // namespace olap::providers
