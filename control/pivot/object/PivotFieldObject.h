#pragma once

#include "control/pivot/object/NamedDispatch.h"

#include <memory>
#include <string>

namespace pivot {

class PivotFieldSetObject;

//! A field (a level) of a field set.
class PivotFieldObject : public NamedDispatch {
public:
    enum : platform::DispId { kName = 1, kCaption = 2, kFieldSet = 3, kIsIncluded = 4 };

    PivotFieldObject(std::shared_ptr<PivotFieldSetObject> fieldSet, int index)
        : m_fieldSet(std::move(fieldSet)), m_index(index)
    {
    }

    std::shared_ptr<PivotFieldSetObject> FieldSet() const { return m_fieldSet; }
    int Index() const { return m_index; }
    const std::string& UniqueName() const;
    std::string Caption() const;
    bool IsIncluded() const;

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    std::shared_ptr<PivotFieldSetObject> m_fieldSet;
    int m_index;
};

} // namespace pivot
