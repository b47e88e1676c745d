#include "control/drill/Tuple.h"

#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <QStringList>

#include <array>

namespace drill {

namespace {
constexpr std::array kNames {
    pivot::DispatchName {"mymembers", Tuple::kMyMembers},
    pivot::DispatchName {"mymember", Tuple::kMyMember},
    pivot::DispatchName {"Member", Tuple::kMember},
    pivot::DispatchName {"TupleInit", Tuple::kTupleInit},
    pivot::DispatchName {"MergeTupleAndMember", Tuple::kMergeTupleAndMember},
    pivot::DispatchName {"AddTupleMember", Tuple::kAddTupleMember},
    pivot::DispatchName {"GetDrillthroughDescription", Tuple::kGetDrillthroughDescription},
    pivot::DispatchName {"GetTupleMDX", Tuple::kGetTupleMDX},
};

Tuple::MemberPtr MemberOf(const platform::Variant& value)
{
    return std::dynamic_pointer_cast<pivot::PivotMemberObject>(value.toObject());
}
} // namespace

std::span<const pivot::DispatchName> Tuple::Names() const
{
    return kNames;
}

void Tuple::TupleInit(int size)
{
    m_members.clear();
    if (size > 0)
        m_members.reserve(static_cast<std::size_t>(size));
}

void Tuple::MergeTupleAndMember(const Tuple& source, const Tuple& in)
{
    std::vector<MemberPtr> merged = source.m_members;
    merged.insert(merged.end(), in.m_members.begin(), in.m_members.end());
    m_members = std::move(merged);
}

void Tuple::AddTupleMember(Tuple& source, MemberPtr member)
{
    std::vector<MemberPtr> grown = source.m_members;
    grown.push_back(member);
    source.m_members = grown;
    source.m_last = member;
    m_members = std::move(grown);
    m_last = std::move(member);
}

QString Tuple::GetDrillthroughDescription(const QString& caption) const
{
    QStringList captions;
    for (const MemberPtr& member : m_members)
        captions << QString::fromStdString(member ? member->Caption() : std::string());
    return QStringLiteral("Details for ") + caption + QStringLiteral(" (") + captions.join(QStringLiteral(", "))
        + QStringLiteral(")");
}

std::string Tuple::GetTupleMDX() const
{
    std::string text;
    for (const MemberPtr& member : m_members) {
        if (!text.empty())
            text += ", ";
        if (member)
            text += member->UniqueName();
    }
    return text;
}

platform::HResult Tuple::Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
    platform::Variant* result, platform::DispatchException* exception)
{
    const bool put = kind == platform::InvokeKind::PropertyPut;
    auto argCount = [&](std::size_t n) { return args.size() == n; };
    platform::Variant value;
    switch (id) {
    case kMyMembers:
        if (put || !argCount(0))
            return put ? platform::kDispEMemberNotFound : platform::kDispEBadParamCount;
        if (!m_members.empty()) {
            std::vector<platform::Variant> items;
            for (const MemberPtr& member : m_members)
                items.push_back(pivot::ObjectVariant(member));
            value = platform::Variant(std::move(items));
        }
        break;
    case kMyMember:
    case kMember:
        if (put) {
            if (!argCount(1))
                return platform::kDispEBadParamCount;
            (id == kMember ? m_last : m_spare) = MemberOf(args.front());
            return platform::kSOk;
        }
        if (!argCount(0))
            return platform::kDispEBadParamCount;
        value = pivot::ObjectVariant(id == kMember ? m_last : m_spare);
        break;
    case kTupleInit:
        if (!argCount(1))
            return platform::kDispEBadParamCount;
        TupleInit(args.front().toInt());
        break;
    case kMergeTupleAndMember:
    case kAddTupleMember: {
        if (!argCount(2))
            return platform::kDispEBadParamCount;
        auto source = std::dynamic_pointer_cast<Tuple>(args[0].toObject());
        if (!source)
            return pivot::DispatchFailure(exception, QStringLiteral("The first argument must be a tuple"));
        if (id == kAddTupleMember) {
            AddTupleMember(*source, MemberOf(args[1]));
        } else {
            auto in = std::dynamic_pointer_cast<Tuple>(args[1].toObject());
            if (!in)
                return pivot::DispatchFailure(exception, QStringLiteral("The second argument must be a tuple"));
            MergeTupleAndMember(*source, *in);
        }
        break;
    }
    case kGetDrillthroughDescription:
        if (args.size() > 1)
            return platform::kDispEBadParamCount;
        value = GetDrillthroughDescription(args.empty() ? QString() : args.front().toString());
        break;
    case kGetTupleMDX:
        if (args.size() > 1)
            return platform::kDispEBadParamCount;
        value = QString::fromStdString(GetTupleMDX());
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace drill
