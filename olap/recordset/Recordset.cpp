#include "olap/recordset/Recordset.h"

#include "olap/recordset/RecordsetError.h"
#include "olap/recordset/ValueCoercion.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace olap::recordset {

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::size_t Utf8Length(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

constexpr std::string_view kCommandTimeoutProperty = "Command Time out";

} // namespace

void Recordset::AppendField(std::string name, DataType type, long definedSize, long attributes)
{
    if (m_open)
        throw RecordsetError("Fields cannot be appended to an open recordset");
    if (name.empty())
        throw RecordsetError("A field needs a name");
    if (FindField(name))
        throw RecordsetError("The recordset already has a field named '" + name + "'");
    m_fields.emplace_back(std::move(name), type, definedSize < 0 ? 0 : definedSize, attributes);
}

void Recordset::Open()
{
    if (m_open)
        throw RecordsetError("The recordset is already open");
    if (m_connection && !m_source.empty()) {
        Recordset result = m_connection->ExecuteCommand(m_source, m_commandTimeout);
        if (!result.IsOpen())
            throw RecordsetError("The statement returned no rows: " + m_source);
        m_fields = std::move(result.m_fields);
        m_rows = std::move(result.m_rows);
        m_pending.clear();
        m_hasPending = false;
        m_open = true;
        m_position = 0;
        SyncFields();
        return;
    }
    if (m_fields.empty())
        throw RecordsetError("A recordset without fields cannot be opened");
    m_open = true;
    m_position = 0;
    SyncFields();
}

void Recordset::Close()
{
    m_rows.clear();
    m_pending.clear();
    m_hasPending = false;
    m_open = false;
    m_position = 0;
    SyncFields();
}

void Recordset::AddNew()
{
    if (!m_open)
        throw RecordsetError("Rows can only be added to an open recordset");
    Update();
    m_pending.assign(m_fields.size(), CellValue());
    m_hasPending = true;
    SyncFields();
}

CellValue Recordset::Converted(std::size_t index, const CellValue& value) const
{
    const Field& field = FieldAt(index);
    const auto converted = CoerceValue(value, field.Type());
    if (!converted)
        throw RecordsetError("The value '" + value.ToText() + "' does not fit field '" + field.Name() + "' ("
            + std::string(DataTypeName(field.Type())) + ")");
    if (IsText(field.Type()) && field.DefinedSize() > 0 && converted->Kind() == ValueKind::Text
        && Utf8Length(converted->Text()) > static_cast<std::size_t>(field.DefinedSize()))
        throw RecordsetError("The text '" + converted->Text() + "' is longer than field '" + field.Name() + "' allows ("
            + std::to_string(field.DefinedSize()) + " characters)");
    return *converted;
}

void Recordset::SetValue(std::size_t index, const CellValue& value)
{
    if (!m_open)
        throw RecordsetError("Values can only be set in an open recordset");
    CellValue converted = Converted(index, value);
    if (m_hasPending)
        m_pending[index] = std::move(converted);
    else if (Eof())
        throw RecordsetError("There is no current row to set field '" + m_fields[index].Name() + "' in");
    else
        m_rows[m_position][index] = std::move(converted);
    SyncFields();
}

void Recordset::SetValue(std::string_view name, const CellValue& value)
{
    SetValue(FieldIndex(name), value);
}

void Recordset::Update()
{
    if (!m_hasPending)
        return;
    m_rows.push_back(std::move(m_pending));
    m_pending.clear();
    m_hasPending = false;
    m_position = m_rows.size() - 1;
    SyncFields();
}

void Recordset::AppendRow(std::vector<CellValue> values)
{
    if (!m_open)
        throw RecordsetError("Rows can only be added to an open recordset");
    if (values.size() != m_fields.size())
        throw RecordsetError("A row of " + std::to_string(values.size()) + " values does not fit "
            + std::to_string(m_fields.size()) + " fields");
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = Converted(i, values[i]);
    m_rows.push_back(std::move(values));
    // A cursor that stood at the end now stands on the new row.
    if (m_position == m_rows.size() - 1 && !m_hasPending)
        SyncFields();
}

const Field& Recordset::FieldAt(std::size_t index) const
{
    if (index >= m_fields.size())
        throw RecordsetError("Field index " + std::to_string(index) + " is out of range (the recordset has "
            + std::to_string(m_fields.size()) + " fields)");
    return m_fields[index];
}

const Field* Recordset::FindField(std::string_view name) const
{
    for (const Field& field : m_fields)
        if (SameName(field.Name(), name))
            return &field;
    return nullptr;
}

std::size_t Recordset::FieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (SameName(m_fields[i].Name(), name))
            return i;
    throw RecordsetError("The recordset has no field named '" + std::string(name) + "'");
}

void Recordset::MoveFirst()
{
    Update();
    m_position = 0;
    SyncFields();
}

void Recordset::MoveNext()
{
    Update();
    if (Eof())
        throw RecordsetError("The recordset is at its end; there is no next row");
    ++m_position;
    SyncFields();
}

void Recordset::SyncFields()
{
    const std::vector<CellValue>* row = nullptr;
    if (m_hasPending)
        row = &m_pending;
    else if (m_position < m_rows.size())
        row = &m_rows[m_position];
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i].m_value = row ? (*row)[i] : CellValue();
}

CellValue Recordset::Property(std::string_view name) const
{
    if (!SameName(name, kCommandTimeoutProperty))
        throw RecordsetError("Item cannot be found in the collection: property '" + std::string(name) + "'");
    return CellValue(m_commandTimeout);
}

void Recordset::SetProperty(std::string_view name, const CellValue& value)
{
    if (!SameName(name, kCommandTimeoutProperty))
        throw RecordsetError("Item cannot be found in the collection: property '" + std::string(name) + "'");
    std::optional<double> seconds = value.ToDouble();
    if (!seconds && value.Kind() == ValueKind::Text) {
        const std::string& text = value.Text();
        char* end = nullptr;
        double parsed = std::strtod(text.c_str(), &end);
        if (!text.empty() && end && *end == '\0')
            seconds = parsed;
    }
    if (!seconds || !std::isfinite(*seconds))
        throw RecordsetError(
            "\"" + std::string(kCommandTimeoutProperty) + "\" takes a number of seconds, not '" + value.ToText() + "'");
    SetCommandTimeout(*seconds > 1e9 ? 1000000000 : static_cast<int>(*seconds));
}

} // namespace olap::recordset
