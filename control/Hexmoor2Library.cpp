// Entry points of the control library: the factory and self-registration.
#include "control/Hexmoor2Export.h"
#include "control/Vantorel.h"
#include "platform/dispatch/ComRuntime.h"

#include <QString>

#include <dlfcn.h>

namespace {

QString OwnLibraryPath()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void*>(&OwnLibraryPath), &info) == 0 || !info.dli_fname)
        return QString();
    return QString::fromLocal8Bit(info.dli_fname);
}

} // namespace

extern "C" HEXMOOR2_EXPORT platform::IDispatchObject* LumetraCreateObject(const char* classId)
{
    if (classId && QString::fromUtf8(classId).compare(QLatin1String(Vantorel::kClassId), Qt::CaseInsensitive) == 0)
        return new Vantorel();
    return nullptr;
}

extern "C" HEXMOOR2_EXPORT platform::HResult LumetraRegisterServer()
{
    const QString path = OwnLibraryPath();
    if (path.isEmpty())
        return platform::kEFail;
    return platform::ComRuntime::RegisterClass(
        QLatin1String(Vantorel::kClassId), QLatin1String(Vantorel::kProgId), path);
}

extern "C" HEXMOOR2_EXPORT platform::HResult LumetraUnregisterServer()
{
    return platform::ComRuntime::UnregisterClass(QLatin1String(Vantorel::kClassId), QLatin1String(Vantorel::kProgId));
}
