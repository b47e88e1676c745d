#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotFieldSet.h"
#include "control/pivot/object/NamedDispatch.h"

#include <memory>
#include <string>
#include <vector>

namespace pivot {

class MemberCatalog;
class PivotFieldObject;
class PivotFilterUpdate;
class PivotMemberObject;

//! A field set of the active view (a hierarchy on an axis) as the object model shows it:
//! its fields, its members found by path, its top member and filter updates that tell
//! which of its members the view's member filter keeps.
class PivotFieldSetObject : public NamedDispatch, public std::enable_shared_from_this<PivotFieldSetObject> {
public:
    enum : platform::DispId {
        kName = 1,
        kCaption = 2,
        kFields = 3,
        kFindMember = 4,
        kCreateFilterUpdate = 5,
        kTopMember = 6,
        kOrientation = 7,
    };

    PivotFieldSetObject(PivotFieldSet definition, AxisKind axis, std::shared_ptr<MemberCatalog> catalog);

    const PivotFieldSet& Definition() const { return m_definition; }
    AxisKind Axis() const { return m_axis; }
    const std::string& UniqueName() const { return m_definition.uniqueName; }
    std::string Caption() const;
    const std::shared_ptr<MemberCatalog>& Catalog() const { return m_catalog; }

    //! The fields from the top level, included or not.
    std::vector<std::shared_ptr<PivotFieldObject>> Fields();
    //! The field of level LEVELUNIQUENAME, or null.
    std::shared_ptr<PivotFieldObject> FieldOfLevel(const std::string& levelUniqueName);
    //! The first included field, or null.
    std::shared_ptr<PivotFieldObject> FirstIncludedField();
    //! The cube member at PATH (a member unique name) when it belongs to this field set's
    //! hierarchy, else null.
    std::shared_ptr<PivotMemberObject> FindMember(const std::string& path);
    //! The member above the hierarchy's top level: no unique name, the top level's members as
    //! children.
    std::shared_ptr<PivotMemberObject> TopMember();
    //! A filter update over the field set's member filter as the view holds it now.
    std::shared_ptr<PivotFilterUpdate> CreateFilterUpdate();

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    PivotFieldSet m_definition;
    AxisKind m_axis;
    std::shared_ptr<MemberCatalog> m_catalog;
};

} // namespace pivot
