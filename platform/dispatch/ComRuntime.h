#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <QString>

#include <memory>

namespace platform {

//! The dispatch layer: a class registry in the \ClassesRoot hive (class id ->
//! shared library) and creation of objects by class id. A control library
//! exports two C functions: kFactorySymbol, IDispatchObject* (const char*
//! classId), which returns a new object or null, and kRegisterSymbol,
//! HResult (), which records the library's classes in the class registry.
class ComRuntime {
public:
    static constexpr const char* kFactorySymbol = "LumetraCreateObject";
    static constexpr const char* kRegisterSymbol = "LumetraRegisterServer";
    static constexpr const char* kUnregisterSymbol = "LumetraUnregisterServer";

    //! Starts the layer. Fails, saying why, when the class registry cannot
    //! be read (a damaged or unreadable hive).
    static bool Initialize(QString* why = nullptr);
    static bool IsInitialized();
    static void Uninitialize();

    //! Records classId (braced GUID text) with its programmatic id and the
    //! library that implements it.
    static HResult RegisterClass(const QString& classId, const QString& progId, const QString& libraryPath);
    static HResult UnregisterClass(const QString& classId, const QString& progId);
    //! The library registered for classId, or an empty string.
    static QString LibraryOf(const QString& classId);

    //! Creates the object registered under classId. Fails with
    //! kRegdbEClassNotReg when the class is not registered and kCoEErrorInDll
    //! when its library cannot be loaded or makes no object; *error says why.
    static HResult CreateInstance(
        const QString& classId, std::shared_ptr<IDispatchObject>* out, QString* error = nullptr);

    //! Loads a library and runs its registration (or unregistration) entry.
    static HResult RegisterServerLibrary(const QString& libraryPath, bool unregister, QString* error = nullptr);
};

} // namespace platform
