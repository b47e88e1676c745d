#include "control/pivot/model/PivotXlsxWriter.h"

#include "control/pivot/model/PivotError.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <tuple>
#include <unistd.h>

namespace pivot {

namespace {

constexpr lxw_color_t kHeaderFill = 0xE7ECF2;
constexpr lxw_color_t kTotalFill = 0xF2F2F2;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Quoted(const std::string& text)
{
    if (text.empty())
        return {};
    std::string result = "\"";
    for (char c : text) {
        if (c != '"')
            result += c;
    }
    return result + "\"";
}

//! Formats of the sheet, made once per kind of cell.
class Formats {
public:
    explicit Formats(lxw_workbook* workbook) : m_workbook(workbook) { }

    lxw_format* Header(bool total)
    {
        return Get({true, total, ""}, [&](lxw_format* f) {
            format_set_bold(f);
            format_set_bg_color(f, total ? kTotalFill : kHeaderFill);
            format_set_border(f, LXW_BORDER_THIN);
            format_set_border_color(f, 0xBFBFBF);
            format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        });
    }

    lxw_format* Value(bool total, const std::string& numberFormat)
    {
        return Get({false, total, numberFormat}, [&](lxw_format* f) {
            if (!numberFormat.empty())
                format_set_num_format(f, numberFormat.c_str());
            if (total) {
                format_set_bold(f);
                format_set_bg_color(f, kTotalFill);
            }
        });
    }

private:
    template <class Setup> lxw_format* Get(const std::tuple<bool, bool, std::string>& key, Setup setup)
    {
        auto found = m_formats.find(key);
        if (found != m_formats.end())
            return found->second;
        lxw_format* format = workbook_add_format(m_workbook);
        setup(format);
        m_formats.emplace(key, format);
        return format;
    }

    lxw_workbook* m_workbook;
    std::map<std::tuple<bool, bool, std::string>, lxw_format*> m_formats;
};

void Check(lxw_error error, const std::string& what)
{
    if (error != LXW_NO_ERROR)
        throw PivotError("cannot write the workbook (" + what + "): " + lxw_strerror(error));
}

//! A header or footer code cut to the length a sheet stores (255 bytes), at a character
//! boundary and never inside an escaped ampersand.
std::string HeaderCode(const std::string& code)
{
    if (code.size() <= LXW_HEADER_FOOTER_MAX)
        return code;
    std::size_t end = LXW_HEADER_FOOTER_MAX;
    while (end > 0 && (static_cast<unsigned char>(code[end]) & 0xC0) == 0x80)
        --end;
    std::size_t ampersands = 0;
    while (ampersands < end && code[end - 1 - ampersands] == '&')
        ++ampersands;
    if (ampersands % 2 == 1)
        --end;
    return code.substr(0, end);
}

void ApplyPageSetup(lxw_worksheet* sheet, const PivotSheetOptions& options)
{
    if (options.printTitleRows > 0)
        Check(worksheet_repeat_rows(sheet, 0, static_cast<lxw_row_t>(options.printTitleRows - 1)), "title rows");
    if (options.printTitleColumns > 0) {
        Check(
            worksheet_repeat_columns(sheet, 0, static_cast<lxw_col_t>(options.printTitleColumns - 1)), "title columns");
    }
    if (options.orientation == PivotSheetOptions::Orientation::Landscape)
        worksheet_set_landscape(sheet);
    else if (options.orientation == PivotSheetOptions::Orientation::Portrait)
        worksheet_set_portrait(sheet);
    if (options.printGridlines)
        worksheet_gridlines(sheet, LXW_SHOW_ALL_GRIDLINES);
    if (!options.centerHeader.empty())
        Check(worksheet_set_header(sheet, HeaderCode("&C" + options.centerHeader).c_str()), "header");
    if (!options.centerFooter.empty())
        Check(worksheet_set_footer(sheet, HeaderCode("&C" + options.centerFooter).c_str()), "footer");
}

lxw_worksheet* AddSheet(lxw_workbook* workbook)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Pivot");
    if (!sheet)
        throw PivotError("cannot write the workbook: no worksheet");
    return sheet;
}

//! The rows above the grid: the plain export's title and gap row, or the options' own.
int WriteLeadRows(const PivotLayout& layout, lxw_workbook* workbook, lxw_worksheet* sheet,
    const PivotSheetOptions& options, std::vector<std::size_t>& widths)
{
    lxw_format* title = workbook_add_format(workbook);
    format_set_bold(title);
    format_set_font_size(title, 14);
    if (!options.replaceTitle) {
        if (layout.Title().empty())
            return 0;
        Check(worksheet_write_string(sheet, 0, 0, layout.Title().c_str(), title), "title");
        return 2;
    }
    lxw_format* caption = workbook_add_format(workbook);
    format_set_bold(caption);
    for (std::size_t r = 0; r < options.leadRows.size(); ++r) {
        const PivotSheetOptions::LeadRow& lead = options.leadRows[r];
        for (std::size_t c = 0; c < lead.cells.size() && c < static_cast<std::size_t>(PivotXlsxWriter::kMaxColumns);
             ++c) {
            if (lead.cells[c].empty())
                continue;
            Check(worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                      lead.cells[c].c_str(), lead.isTitle ? title : caption),
                "caption");
            if (!lead.isTitle && c < widths.size())
                widths[c] = std::max(widths[c], std::min<std::size_t>(lead.cells[c].size() + 2, 60));
        }
    }
    return static_cast<int>(options.leadRows.size());
}

void WriteSheet(const PivotLayout& layout, lxw_workbook* workbook, const PivotSheetOptions& options)
{
    lxw_worksheet* sheet = AddSheet(workbook);
    Formats formats(workbook);
    const int left = options.leadColumns;
    std::vector<std::size_t> widths(static_cast<std::size_t>(left) + static_cast<std::size_t>(layout.ColumnCount()), 8);
    const int top = WriteLeadRows(layout, workbook, sheet, options, widths);
    for (int r = 0; r < layout.RowCount(); ++r) {
        for (int c = 0; c < layout.ColumnCount(); ++c) {
            const PivotGridCell cell = layout.Cell(r, c);
            if (!cell.IsAnchor(r, c))
                continue;
            const auto row = static_cast<lxw_row_t>(top + r);
            const auto column = static_cast<lxw_col_t>(left + c);
            std::size_t& width = widths[static_cast<std::size_t>(left) + static_cast<std::size_t>(c)];
            if (cell.columnSpan == 1)
                width = std::max(width, std::min<std::size_t>(cell.text.size() + 2, 60));
            if (cell.kind == PivotGridCell::Kind::Value) {
                lxw_format* format
                    = formats.Value(cell.isTotal, cell.value ? PivotXlsxWriter::NumberFormatFor(cell.text) : "");
                if (cell.value)
                    Check(worksheet_write_number(sheet, row, column, *cell.value, format), "value");
                else if (!cell.text.empty())
                    Check(worksheet_write_string(sheet, row, column, cell.text.c_str(), format), "value");
                else if (cell.isTotal)
                    Check(worksheet_write_blank(sheet, row, column, format), "value");
                continue;
            }
            if (cell.kind == PivotGridCell::Kind::Corner && cell.text.empty())
                continue;
            lxw_format* format = formats.Header(cell.isTotal);
            if (cell.rowSpan > 1 || cell.columnSpan > 1) {
                Check(worksheet_merge_range(sheet, row, column, static_cast<lxw_row_t>(row + cell.rowSpan - 1),
                          static_cast<lxw_col_t>(column + cell.columnSpan - 1), cell.text.c_str(), format),
                    "merged header");
            } else {
                Check(worksheet_write_string(sheet, row, column, cell.text.c_str(), format), "header");
            }
        }
    }
    for (std::size_t c = 0; c < widths.size(); ++c) {
        Check(worksheet_set_column(
                  sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), static_cast<double>(widths[c]), nullptr),
            "column width");
    }
    if (options.freezeHeaders) {
        worksheet_freeze_panes(sheet, static_cast<lxw_row_t>(top + layout.HeaderRows()),
            static_cast<lxw_col_t>(left + layout.HeaderColumns()));
    }
    ApplyPageSetup(sheet, options);
}

void SyncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        throw PivotError("cannot write '" + path + "': " + std::strerror(errno));
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!synced)
        throw PivotError("cannot write '" + path + "': " + std::strerror(error));
}

//! Writes the workbook FILL makes to PATH through a temporary name beside it, synced and
//! renamed into place only when every step succeeded.
void WriteWorkbook(const std::string& path, const std::function<void(lxw_workbook*)>& fill)
{
    const std::filesystem::path target(path);
    const std::string temporary
        = (target.parent_path() / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()))).string();
    std::error_code ignored;
    lxw_workbook* workbook = workbook_new(temporary.c_str());
    if (!workbook)
        throw PivotError("cannot create a workbook beside '" + path + "'");
    try {
        fill(workbook);
    } catch (...) {
        workbook_close(workbook);
        std::filesystem::remove(temporary, ignored);
        throw;
    }
    const lxw_error closed = workbook_close(workbook);
    try {
        if (closed != LXW_NO_ERROR)
            throw PivotError("cannot write '" + path + "': " + lxw_strerror(closed));
        SyncFile(temporary);
        std::error_code renamed;
        std::filesystem::rename(temporary, target, renamed);
        if (renamed)
            throw PivotError("cannot write '" + path + "': " + renamed.message());
    } catch (...) {
        std::filesystem::remove(temporary, ignored);
        throw;
    }
    const std::string folder = target.parent_path().empty() ? "." : target.parent_path().string();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string PivotXlsxWriter::NumberFormatFor(const std::string& formatted)
{
    const auto first = formatted.find_first_of("0123456789");
    if (first == std::string::npos)
        return {};
    std::size_t end = first;
    bool grouping = false;
    int decimals = -1;
    while (end < formatted.size()) {
        const char c = formatted[end];
        if (IsDigit(c)) {
            if (decimals >= 0)
                ++decimals;
        } else if (c == ',' && decimals < 0 && end + 1 < formatted.size() && IsDigit(formatted[end + 1])) {
            grouping = true;
        } else if (c == '.' && decimals < 0 && end + 1 < formatted.size() && IsDigit(formatted[end + 1])) {
            decimals = 0;
        } else {
            break;
        }
        ++end;
    }
    std::string prefix = formatted.substr(0, first);
    prefix.erase(std::remove(prefix.begin(), prefix.end(), '-'), prefix.end());
    if (prefix == "(")
        prefix.clear();
    std::string suffix = formatted.substr(end);
    const bool percent = !suffix.empty() && suffix.front() == '%';
    if (percent)
        suffix.erase(0, 1);
    if (suffix == ")")
        suffix.clear();
    std::string format = Quoted(prefix) + (grouping ? "#,##0" : "0");
    if (decimals > 0)
        format += "." + std::string(static_cast<std::size_t>(decimals), '0');
    if (percent)
        format += "%";
    return format + Quoted(suffix);
}

void PivotXlsxWriter::Write(const PivotLayout& layout, const std::string& path)
{
    Write(layout, path, PivotSheetOptions {});
}

void PivotXlsxWriter::Write(const PivotLayout& layout, const std::string& path, const PivotSheetOptions& options)
{
    const int leadRows
        = options.replaceTitle ? static_cast<int>(options.leadRows.size()) : (layout.Title().empty() ? 0 : 2);
    if (layout.RowCount() > kMaxRows - leadRows)
        throw PivotError("the view has " + std::to_string(layout.RowCount())
            + " rows; a worksheet holds at most 1,048,576 (filter the view)");
    if (layout.ColumnCount() > kMaxColumns - std::clamp(options.leadColumns, 0, kMaxColumns))
        throw PivotError("the view has " + std::to_string(layout.ColumnCount())
            + " columns; a worksheet holds at most 16,384 (filter the view)");
    PivotSheetOptions checked = options;
    checked.leadColumns = std::max(0, options.leadColumns);
    WriteWorkbook(path, [&](lxw_workbook* workbook) { WriteSheet(layout, workbook, checked); });
}

void PivotXlsxWriter::WritePicture(
    const std::string& picturePath, const std::string& path, const PivotSheetOptions& options)
{
    WriteWorkbook(path, [&](lxw_workbook* workbook) {
        lxw_worksheet* sheet = AddSheet(workbook);
        Check(worksheet_insert_image(sheet, 0, 0, picturePath.c_str()), "picture");
        ApplyPageSetup(sheet, options);
    });
}

} // namespace pivot
