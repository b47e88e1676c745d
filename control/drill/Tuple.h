#pragma once

#include "control/pivot/object/NamedDispatch.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace pivot {
class PivotMemberObject;
}

namespace drill {

//! The members that make up the WHERE tuple of a drill-through, in the order they were
//! found (column axis, row axis, filters). Reached by dispatch with the ids of its
//! interface; hosts cannot create one.
class Tuple : public pivot::NamedDispatch {
public:
    using MemberPtr = std::shared_ptr<pivot::PivotMemberObject>;

    static constexpr platform::DispId kMyMembers = 0x40030006;
    static constexpr platform::DispId kMyMember = 0x40030007;
    static constexpr platform::DispId kMember = 0x68030006;
    static constexpr platform::DispId kTupleInit = 0x60030007;
    static constexpr platform::DispId kMergeTupleAndMember = 0x60030008;
    static constexpr platform::DispId kAddTupleMember = 0x60030009;
    static constexpr platform::DispId kGetDrillthroughDescription = 0x6003000A;
    static constexpr platform::DispId kGetTupleMDX = 0x6003000B;

    //! The members, index from 0; empty for a new tuple.
    const std::vector<MemberPtr>& mymembers() const { return m_members; }
    //! A spare slot for one member.
    const MemberPtr& mymember() const { return m_spare; }
    void SetMymember(MemberPtr member) { m_spare = std::move(member); }
    //! The member added last.
    const MemberPtr& Member() const { return m_last; }
    void SetMember(MemberPtr member) { m_last = std::move(member); }

    //! Clears the members; SIZE above 0 reserves room for that many.
    void TupleInit(int size);
    //! This tuple becomes SOURCE's members followed by IN's.
    void MergeTupleAndMember(const Tuple& source, const Tuple& in);
    //! Appends MEMBER to SOURCE's members; this tuple and SOURCE both get the result, and
    //! MEMBER becomes the member added last of both. SOURCE may be this tuple.
    void AddTupleMember(Tuple& source, MemberPtr member);
    //! "Details for CAPTION (" the members' captions separated by ", " ")".
    QString GetDrillthroughDescription(const QString& caption) const;
    //! The members' unique names separated by ", "; "" without members.
    std::string GetTupleMDX() const;

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const pivot::DispatchName> Names() const override;

private:
    std::vector<MemberPtr> m_members;
    MemberPtr m_spare;
    MemberPtr m_last;
};

} // namespace drill
