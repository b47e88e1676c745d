#pragma once

#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/RelationalSource.h"
#include "olap/providers/spreadsheet/Worksheet.h"

#include <memory>
#include <string>
#include <vector>

namespace olap::providers {

//! An Excel workbook as a relational source, as the "Excel 8.0" OLE DB sources present one:
//! each worksheet is a table named after the sheet with "$" appended ("Sheet1$"); the first
//! used row holds the column names (an empty one becomes "F1", "F2", ... by position), the
//! rows below are the data, and the values decide the column types (adDouble for numbers,
//! adDate, adBoolean, adVarWChar for text and mixed columns). The whole workbook is read
//! when it is opened; the file is never written.
class SpreadsheetSource : public RelationalSource {
public:
    //! Opens the workbook at PATH, an .xls (Excel 97-2003) or .xlsx file told apart by its
    //! content. Throws RelationalError: FileMissing when PATH does not exist, NotADatabase when
    //! it is neither kind of workbook or is damaged (the message names the file and the part).
    static std::unique_ptr<SpreadsheetSource> Open(const std::string& path);
    //! Opens the workbook named by "Data Source" (or "DBQ").
    static std::unique_ptr<SpreadsheetSource> Open(const ConnectionProperties& properties);

    std::string Kind() const override { return "Spreadsheet"; }
    //! Answers "SELECT * FROM [Sheet1$]" and "SELECT [Col], Col2 FROM [Sheet1$]" (ParseSheetQuery);
    //! the sheet may be named with or without its "$", in any case. Other statements throw
    //! Unsupported; an unknown sheet or column throws BadStatement naming it.
    recordset::Recordset Execute(std::string_view sql, int timeoutSeconds = 0) override;
    //! The workbook's path, its only catalog.
    std::vector<std::string> Catalogs() override;
    //! The sheets as tables ("Sheet1$"), in workbook order.
    std::vector<std::string> Tables() override;
    //! NAME in brackets ("[Sheet1$]"), or in back quotes when it holds a "]" (the statements a
    //! workbook answers have no escape for a closing quote).
    std::string QuoteName(std::string_view name) override;
    void Close() override;

private:
    SpreadsheetSource(std::string path, std::vector<Worksheet> sheets)
        : m_path(std::move(path)), m_sheets(std::move(sheets))
    {
    }
    const Worksheet& Sheet(const std::string& table) const;

    std::string m_path;
    std::vector<Worksheet> m_sheets;
    bool m_open = true;
};

} // namespace olap::providers
