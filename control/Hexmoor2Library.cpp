// Entry points of the control library: the factory and self-registration.
#include "control/Hexmoor2Export.h"
#include "control/Vantorel.h"
#include "control/query/mdxUtil.h"
#include "olap/util/HeapTuning.h"
#include "platform/dispatch/ComRuntime.h"

#include <QString>

#include <dlfcn.h>
#include <mutex>

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
    if (!classId)
        return nullptr;
    const QString id = QString::fromUtf8(classId);
    if (id.compare(QLatin1String(Vantorel::kClassId), Qt::CaseInsensitive) == 0) {
        // The process that shows an analysis control runs a query for every user action:
        // keep the heap between them.
        static std::once_flag heapTuned;
        std::call_once(heapTuned, [] {
            if (!olap::TuneHeapForQueries())
                qInfo("Hexmoor2: the C library refused the heap settings; large queries may run slower");
        });
        return new Vantorel();
    }
    if (id.compare(QLatin1String(mdxUtil::kClassId), Qt::CaseInsensitive) == 0)
        return new mdxUtil();
    return nullptr;
}

extern "C" HEXMOOR2_EXPORT platform::HResult LumetraRegisterServer()
{
    const QString path = OwnLibraryPath();
    if (path.isEmpty())
        return platform::kEFail;
    const platform::HResult control = platform::ComRuntime::RegisterClass(
        QLatin1String(Vantorel::kClassId), QLatin1String(Vantorel::kProgId), path);
    if (control != platform::kSOk)
        return control;
    return platform::ComRuntime::RegisterClass(QLatin1String(mdxUtil::kClassId), QLatin1String(mdxUtil::kProgId), path);
}

extern "C" HEXMOOR2_EXPORT platform::HResult LumetraUnregisterServer()
{
    const platform::HResult control
        = platform::ComRuntime::UnregisterClass(QLatin1String(Vantorel::kClassId), QLatin1String(Vantorel::kProgId));
    const platform::HResult util
        = platform::ComRuntime::UnregisterClass(QLatin1String(mdxUtil::kClassId), QLatin1String(mdxUtil::kProgId));
    return control != platform::kSOk ? control : util;
}
