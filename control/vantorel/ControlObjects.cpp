#include "control/vantorel/ControlObjects.h"

#include "control/vantorel/PivotComponent.h"

namespace vantorel {

platform::HResult PivotTableObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException*)
{
    if (id != kXmlData)
        return platform::kDispEMemberNotFound;
    if (!m_pivot)
        return platform::kEFail;
    if (kind == platform::InvokeKind::PropertyPut) {
        if (args.size() != 1)
            return platform::kDispEBadParamCount;
        return m_pivot->SetXmlData(args[0].toString()) ? platform::kSOk : platform::kEFail;
    }
    if (result)
        *result = platform::Variant(m_pivot->XmlData());
    return platform::kSOk;
}

} // namespace vantorel
