#include "olap/access/RemoteOlapProviders.h"

#include "olap/providers/xmla/XmlaProvider.h"

#include "olap/util/GuardedValue.h"
#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"

namespace olap {
namespace {

GuardedValue<RemoteOlapProviderFactory>& InstalledFactory()
{
    static GuardedValue<RemoteOlapProviderFactory> factory;
    return factory;
}

} // namespace

void SetRemoteOlapProviderFactory(RemoteOlapProviderFactory factory)
{
    InstalledFactory().Set(std::move(factory));
}

std::unique_ptr<OlapProvider> OpenRemoteOlapProvider(const providers::ConnectionProperties& properties)
{
    const RemoteOlapProviderFactory factory = InstalledFactory().Get();
    const std::string source = providers::FirstProperty(properties, {"Data Source", "Location"}).value_or("");
    if (factory) {
        std::unique_ptr<OlapProvider> provider = factory(properties);
        if (!provider)
            throw OlapError("Cannot connect to the OLAP server '" + ShortForMessage(source) + "'");
        return provider;
    }
    return providers::xmla::XmlaProvider::Open(properties);
}

} // namespace olap
