#pragma once

#include "control/pivot/object/NamedDispatch.h"

#include <memory>
#include <optional>
#include <string>

namespace pivot {

class PivotMemberObject;

//! A value cell of the view: the innermost member of its row and of its column (null where
//! the axis holds no field set), its value and its text as shown.
class PivotCellObject : public NamedDispatch {
public:
    enum : platform::DispId { kRowMember = 1, kColumnMember = 2, kValue = 3, kText = 4 };

    PivotCellObject(std::shared_ptr<PivotMemberObject> rowMember, std::shared_ptr<PivotMemberObject> columnMember,
        std::optional<double> value, std::string text)
        : m_rowMember(std::move(rowMember)), m_columnMember(std::move(columnMember)), m_value(value),
          m_text(std::move(text))
    {
    }

    const std::shared_ptr<PivotMemberObject>& RowMember() const { return m_rowMember; }
    const std::shared_ptr<PivotMemberObject>& ColumnMember() const { return m_columnMember; }
    const std::optional<double>& Value() const { return m_value; }
    const std::string& Text() const { return m_text; }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    std::shared_ptr<PivotMemberObject> m_rowMember;
    std::shared_ptr<PivotMemberObject> m_columnMember;
    std::optional<double> m_value;
    std::string m_text;
};

} // namespace pivot
