#include "platform/dispatch/ComRuntime.h"

#include "platform/registry/RegistryKey.h"
#include "platform/registry/RegistryStore.h"

#include <QLibrary>

namespace platform {

namespace {

bool g_initialized = false;

QString ClassKey(const QString& classId)
{
    return QStringLiteral("CLSID\\") + classId;
}

using Factory = IDispatchObject* (*)(const char*);
using Registration = HResult (*)();

} // namespace

bool ComRuntime::Initialize(QString* why)
{
    RegistryHiveData data;
    QString detail;
    if (RegistryStore::Load(RegistryHive::ClassesRoot, &data, &detail) != kErrorSuccess) {
        if (why)
            *why = detail;
        return false;
    }
    g_initialized = true;
    return true;
}

bool ComRuntime::IsInitialized()
{
    return g_initialized;
}

void ComRuntime::Uninitialize()
{
    g_initialized = false;
}

HResult ComRuntime::RegisterClass(const QString& classId, const QString& progId, const QString& libraryPath)
{
    const RegError error = RegistryStore::Modify(RegistryHive::ClassesRoot, [&](RegistryHiveData& data) {
        data.SetValue(ClassKey(classId), QString(), RegistryValue::String(progId));
        data.SetValue(
            ClassKey(classId) + QStringLiteral("\\InprocServer32"), QString(), RegistryValue::String(libraryPath));
        data.SetValue(ClassKey(classId) + QStringLiteral("\\ProgID"), QString(), RegistryValue::String(progId));
        if (!progId.isEmpty())
            data.SetValue(progId + QStringLiteral("\\CLSID"), QString(), RegistryValue::String(classId));
        return kErrorSuccess;
    });
    return error == kErrorSuccess ? kSOk : (0x80070000u | static_cast<HResult>(error));
}

HResult ComRuntime::UnregisterClass(const QString& classId, const QString& progId)
{
    const RegError error = RegistryStore::Modify(RegistryHive::ClassesRoot, [&](RegistryHiveData& data) {
        data.DeleteKey(ClassKey(classId));
        if (!progId.isEmpty())
            data.DeleteKey(progId);
        return kErrorSuccess;
    });
    return error == kErrorSuccess ? kSOk : (0x80070000u | static_cast<HResult>(error));
}

QString ComRuntime::LibraryOf(const QString& classId)
{
    RegistryKey key;
    if (key.Open(RegistryHive::ClassesRoot, ClassKey(classId) + QStringLiteral("\\InprocServer32"), kKeyQueryValue)
        != kErrorSuccess)
        return QString();
    RegistryValue value;
    if (key.QueryValue(QString(), &value) != kErrorSuccess || value.type != kRegSz)
        return QString();
    return value.text;
}

HResult ComRuntime::CreateInstance(const QString& classId, std::shared_ptr<IDispatchObject>* out, QString* error)
{
    out->reset();
    const QString path = LibraryOf(classId);
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("Class %1 is not registered.").arg(classId);
        return kRegdbEClassNotReg;
    }
    // Libraries stay loaded for the life of the process, as objects made by
    // them may outlive any one caller.
    QLibrary library(path);
    const auto factory = reinterpret_cast<Factory>(library.resolve(kFactorySymbol));
    if (!factory) {
        if (error)
            *error = QStringLiteral("Cannot load %1: %2").arg(path, library.errorString());
        return kCoEErrorInDll;
    }
    IDispatchObject* object = factory(classId.toUtf8().constData());
    if (!object) {
        if (error)
            *error = QStringLiteral("%1 does not make class %2.").arg(path, classId);
        return kCoEErrorInDll;
    }
    out->reset(object);
    return kSOk;
}

HResult ComRuntime::RegisterServerLibrary(const QString& libraryPath, bool unregister, QString* error)
{
    QLibrary library(libraryPath);
    const char* symbol = unregister ? kUnregisterSymbol : kRegisterSymbol;
    const auto entry = reinterpret_cast<Registration>(library.resolve(symbol));
    if (!entry) {
        if (error)
            *error = QStringLiteral("Cannot load %1: %2").arg(libraryPath, library.errorString());
        return kCoEErrorInDll;
    }
    return entry();
}

} // namespace platform
