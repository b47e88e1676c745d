#pragma once

#include "control/pivot/object/NamedDispatch.h"

#include "olap/query/CellSet.h"

#include <memory>
#include <string>
#include <vector>

namespace pivot {

class PivotFieldObject;
class PivotFieldSetObject;

//! A member of the object model, of one of four kinds:
//! - Cube: a member of the cube (found by path, a child of another member);
//! - Axis: a member as shown on a row or column axis; its source member is the cube member,
//!   its parent the member enclosing it on the axis (the level above it on the axis, or the
//!   member of the field set outside it), so walking parents goes out through every field
//!   around a cell;
//! - Total: a field set's total on an axis; its children are the field set's top members;
//! - Top: the member above a field set's top level (no unique name).
class PivotMemberObject : public NamedDispatch, public std::enable_shared_from_this<PivotMemberObject> {
public:
    enum class Kind { Cube, Axis, Total, Top };
    enum : platform::DispId {
        kIsTotal = 1,
        kParentMember = 2,
        kChildMembers = 3,
        kField = 4,
        kSourceMember = 5,
        kPath = 6,
        kUniqueName = 7,
        kCaption = 8,
        kName = 9,
    };

    static std::shared_ptr<PivotMemberObject> Cube(
        std::shared_ptr<PivotFieldSetObject> fieldSet, olap::CellSet::Member member);
    static std::shared_ptr<PivotMemberObject> Axis(
        std::shared_ptr<PivotMemberObject> source, std::shared_ptr<PivotMemberObject> axisParent);
    static std::shared_ptr<PivotMemberObject> Total(std::shared_ptr<PivotFieldSetObject> fieldSet,
        std::shared_ptr<PivotMemberObject> axisParent, olap::CellSet::Member shown);
    static std::shared_ptr<PivotMemberObject> Top(std::shared_ptr<PivotFieldSetObject> fieldSet);

    Kind GetKind() const { return m_kind; }
    bool IsTotal() const { return m_kind == Kind::Total; }
    std::shared_ptr<PivotMemberObject> ParentMember() const;
    std::vector<std::shared_ptr<PivotMemberObject>> ChildMembers() const;
    //! The field of the member's level; null for the top member and for a level the field
    //! set does not list.
    std::shared_ptr<PivotFieldObject> Field() const;
    std::shared_ptr<PivotFieldSetObject> FieldSet() const { return m_fieldSet; }
    //! The cube member behind the member (itself for cube and top members, null for totals).
    std::shared_ptr<PivotMemberObject> SourceMember() const;
    //! The path FindMember takes back: the unique name ("" for totals and the top member).
    std::string Path() const;
    const std::string& UniqueName() const { return m_member.uniqueName; }
    const std::string& Caption() const { return m_member.caption; }
    //! The member as the source described it.
    const olap::CellSet::Member& Description() const { return m_member; }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    PivotMemberObject(Kind kind, std::shared_ptr<PivotFieldSetObject> fieldSet, olap::CellSet::Member member)
        : m_kind(kind), m_fieldSet(std::move(fieldSet)), m_member(std::move(member))
    {
    }
    std::vector<std::shared_ptr<PivotMemberObject>> TopLevelMembers() const;

    Kind m_kind;
    std::shared_ptr<PivotFieldSetObject> m_fieldSet;
    olap::CellSet::Member m_member;
    std::shared_ptr<PivotMemberObject> m_source;
    std::shared_ptr<PivotMemberObject> m_axisParent;
};

} // namespace pivot
