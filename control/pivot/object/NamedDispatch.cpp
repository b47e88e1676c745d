#include "control/pivot/object/NamedDispatch.h"

namespace pivot {

platform::DispId NamedDispatch::IdOfName(const QString& name) const
{
    for (const DispatchName& entry : Names()) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.id;
    }
    return -1;
}

platform::HResult NamedDispatch::InvokeByName(const QString& name, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    const platform::DispId id = IdOfName(name);
    if (id < 0)
        return platform::kDispEMemberNotFound;
    return Invoke(id, kind, args, result, exception);
}

platform::HResult ReadOnlyProperty(platform::InvokeKind kind, const std::vector<platform::Variant>& args,
    platform::Variant* result, const std::function<std::optional<platform::Variant>()>& value)
{
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    std::optional<platform::Variant> answer = value();
    if (!answer)
        return platform::kDispEMemberNotFound;
    if (result)
        *result = std::move(*answer);
    return platform::kSOk;
}

platform::HResult DispatchFailure(platform::DispatchException* exception, const QString& description)
{
    if (exception) {
        exception->source = QStringLiteral("PivotTable");
        exception->description = description;
        exception->code = platform::kEFail;
    }
    return platform::kDispEException;
}

} // namespace pivot
