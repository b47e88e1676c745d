#pragma once

#include "olap/recordset/CellValue.h"
#include "olap/recordset/CommandTarget.h"
#include "olap/recordset/Field.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace olap::recordset {

//! A client-side recordset: fields, all rows in memory and a cursor over them. Sources
//! deliver one fully read and detached from their connection, so it stays readable after
//! the source is closed. An in-memory recordset is built the way ADO builds one: append
//! fields while closed, Open, then AddNew / SetValue / Update for each row.
//!
//! The cursor starts on the first row after Open and after rows are read in; Eof() is true
//! when it stands past the last row (at once for an empty recordset). Misuse (rows before
//! Open, reading past the end, a value that does not fit its field, an unknown field name)
//! throws RecordsetError and leaves the recordset as it was.
class Recordset {
public:
    //! Appends a field to a closed recordset. Throws for an open recordset, an empty name
    //! or a name already used (names compare without regard to case).
    void AppendField(std::string name, DataType type, long definedSize = 0, long attributes = kFieldMayBeNull);
    //! Opens the recordset. With an active connection and a Source, the source runs on the
    //! connection (within the "Command Time out") and its fields and rows replace any
    //! appended fields; the recordset stays attached until the connection is cleared.
    //! Otherwise it opens for rows built in memory. Throws when it is open already, when an
    //! in-memory recordset has no fields, or with the provider's message when the source fails
    //! (the recordset then stays closed).
    void Open();
    //! Drops the rows and closes; the fields stay, so the recordset can be opened again.
    void Close();
    bool IsOpen() const { return m_open; }

    //! Starts a new row with every value null; SetValue fills it and Update adds it. A
    //! pending new row is added first.
    void AddNew();
    //! Sets the value of field INDEX (or NAME) in the new row, or, with no new row pending,
    //! in the current row. The value is converted to the field's type (CoerceValue); text
    //! longer than a text field's defined size is refused rather than cut.
    void SetValue(std::size_t index, const CellValue& value);
    void SetValue(std::string_view name, const CellValue& value);
    //! Adds the pending new row and makes it the current row; does nothing without one.
    void Update();
    //! Adds a whole row at once (sources reading rows in bulk); the values are converted as
    //! SetValue converts them. Throws when the count differs from the field count.
    void AppendRow(std::vector<CellValue> values);

    const std::vector<Field>& Fields() const { return m_fields; }
    std::size_t FieldCount() const { return m_fields.size(); }
    //! The field at INDEX; throws for an index out of range.
    const Field& FieldAt(std::size_t index) const;
    //! The field named NAME (any case), or null.
    const Field* FindField(std::string_view name) const;
    //! The index of field NAME (any case); throws when there is none.
    std::size_t FieldIndex(std::string_view name) const;

    //! Number of rows (including a new row once it is updated).
    long RecordCount() const { return static_cast<long>(m_rows.size()); }
    void MoveFirst();
    //! Moves to the next row; throws when already past the last.
    void MoveNext();
    bool Eof() const { return m_position >= m_rows.size(); }
    //! Index of the current row (equals RecordCount() at the end).
    std::size_t Position() const { return m_position; }

    //! Every row, in order; each row has one value per field.
    const std::vector<std::vector<CellValue>>& Rows() const { return m_rows; }

    //! The statement (or table) the rows came from.
    const std::string& Source() const { return m_source; }
    void SetSource(std::string source) { m_source = std::move(source); }
    //! The "Command Time out" property in seconds (0: no limit), as sources apply it.
    int CommandTimeout() const { return m_commandTimeout; }
    void SetCommandTimeout(int seconds) { m_commandTimeout = seconds < 0 ? 0 : seconds; }
    //! The provider property NAME (any case). Only "Command Time out" is known; other names
    //! throw RecordsetError, as an unknown item of the property collection does.
    CellValue Property(std::string_view name) const;
    //! Sets provider property NAME; the time-out takes whole seconds (text that reads as a
    //! number too). Throws RecordsetError for an unknown name or a value that is not a number.
    void SetProperty(std::string_view name, const CellValue& value);

    //! The connection the recordset runs its Source on, or null when detached. Clearing it
    //! keeps the rows readable (every recordset here holds its rows on the client).
    const std::shared_ptr<CommandTarget>& ActiveConnection() const { return m_connection; }
    void SetActiveConnection(std::shared_ptr<CommandTarget> connection) { m_connection = std::move(connection); }

private:
    CellValue Converted(std::size_t index, const CellValue& value) const;
    void SyncFields();

    std::vector<Field> m_fields;
    std::vector<std::vector<CellValue>> m_rows;
    std::vector<CellValue> m_pending;
    bool m_hasPending = false;
    bool m_open = false;
    std::size_t m_position = 0;
    std::string m_source;
    int m_commandTimeout = 30;
    std::shared_ptr<CommandTarget> m_connection;
};

} // namespace olap::recordset
