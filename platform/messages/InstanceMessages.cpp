#include "platform/messages/InstanceMessages.h"

#include "platform/messages/RegisteredMessages.h"

namespace {

InstanceMessages RegisterAll()
{
    auto reg = [](const char* name) { return platform::RegisteredMessages::Register(QLatin1String(name)); };
    InstanceMessages ids;
    ids.MSG_USER_INST = reg("MSG_USER_INST");
    ids.MSG_INST = reg("MSG_INST");
    ids.MSG_NEW_INST1 = reg("MSG_NEW_INST1");
    ids.MSG_NEW_INST2 = reg("MSG_NEW_INST2");
    ids.MSG_NEW_INST3 = reg("MSG_NEW_INST3");
    ids.MSG_NEW_INST4 = reg("MSG_NEW_INST4");
    ids.MSG_NEW_INST5 = reg("MSG_NEW_INST5");
    ids.MSG_NEW_INST6 = reg("MSG_NEW_INST6");
    ids.MSG_NEW_INST7 = reg("MSG_NEW_INST7");
    ids.MSG_INST_UPDATE = reg("MSG_INST_UPDATE");
    ids.MSG_INST_FAVUPDATE = reg("MSG_INST_FAVUPDATE");
    return ids;
}

} // namespace

const InstanceMessages& InstanceMessages::Get()
{
    static const InstanceMessages ids = RegisterAll();
    return ids;
}

int InstanceMessages::NewReportType(unsigned id) const
{
    const unsigned types[]
        = {MSG_NEW_INST1, MSG_NEW_INST2, MSG_NEW_INST3, MSG_NEW_INST4, MSG_NEW_INST5, MSG_NEW_INST6, MSG_NEW_INST7};
    for (int i = 0; i < 7; ++i) {
        if (id != 0 && types[i] == id)
            return i + 1;
    }
    return 0;
}
