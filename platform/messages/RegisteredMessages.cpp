#include "platform/messages/RegisteredMessages.h"

#include "platform/messages/MessageTarget.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace platform {

namespace {

constexpr unsigned kFirstId = 0xC000;
constexpr unsigned kLastId = 0xFFFF;

struct Registry {
    QMutex mutex;
    QHash<QString, unsigned> ids; // case-folded name -> id
    QHash<unsigned, QString> names;
};

Registry& Instance()
{
    static Registry registry;
    return registry;
}

} // namespace

unsigned RegisteredMessages::Register(const QString& name)
{
    if (name.isEmpty())
        return 0;
    Registry& registry = Instance();
    QMutexLocker lock(&registry.mutex);
    const QString key = name.toCaseFolded();
    if (const auto it = registry.ids.constFind(key); it != registry.ids.constEnd())
        return it.value();
    const unsigned id = kFirstId + static_cast<unsigned>(registry.ids.size());
    if (id > kLastId)
        return 0;
    registry.ids.insert(key, id);
    registry.names.insert(id, name);
    return id;
}

QString RegisteredMessages::NameOf(unsigned id)
{
    Registry& registry = Instance();
    QMutexLocker lock(&registry.mutex);
    return registry.names.value(id);
}

std::intptr_t RegisteredMessages::Send(MessageTarget* target, unsigned id, std::uintptr_t wParam, std::intptr_t lParam)
{
    return target ? target->OnMessage(id, wParam, lParam) : 0;
}

} // namespace platform
