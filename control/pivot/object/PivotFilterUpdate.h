#pragma once

#include "control/pivot/model/PivotMemberFilter.h"
#include "control/pivot/object/NamedDispatch.h"

#include <memory>

namespace pivot {

class MemberCatalog;
class PivotMemberObject;

//! Which members of a field set its member filter keeps. StateOf answers for one member:
//! kNotIncluded, kIncluded (the member and everything under it), kPartlyIncluded (some
//! members under it are kept, some not).
class PivotFilterUpdate : public NamedDispatch {
public:
    static constexpr int kNotIncluded = 1;
    static constexpr int kIncluded = 2;
    static constexpr int kPartlyIncluded = 3;
    enum : platform::DispId { kStateOf = 1 };

    PivotFilterUpdate(PivotMemberFilter filter, std::shared_ptr<MemberCatalog> catalog)
        : m_filter(std::move(filter)), m_catalog(std::move(catalog))
    {
    }

    //! The state of MEMBER; a null member is not included. A member without a unique name
    //! (the top member, a total) stands for the whole field set.
    int StateOf(const PivotMemberObject* member) const;
    //! The state of the member named UNIQUENAME ("" for the whole field set).
    int StateOfName(const std::string& uniqueName) const;

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    PivotMemberFilter m_filter;
    std::shared_ptr<MemberCatalog> m_catalog;
};

} // namespace pivot
