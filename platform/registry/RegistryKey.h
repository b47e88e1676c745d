#pragma once

#include "platform/registry/RegistryTypes.h"
#include "platform/registry/RegistryValue.h"

#include <QString>
#include <QStringList>

namespace platform {

//! An open registry key: a hive, a key path below it and the rights it was
//! opened with. Every call reads or writes the hive file afresh, so several
//! running programs see each other's writes. Errors are system error numbers
//! (kErrorSuccess, kErrorFileNotFound, kErrorAccessDenied, ...).
class RegistryKey {
public:
    //! Opens an existing key; kErrorFileNotFound when it does not exist,
    //! kErrorAccessDenied when the rights include changing the hive and its
    //! file may not be written.
    RegError Open(RegistryHive hive, const QString& keyPath, RegAccess access);
    //! Opens the key, creating it and its missing ancestors first.
    RegError Create(RegistryHive hive, const QString& keyPath, RegAccess access, bool* created = nullptr);
    void Close();
    bool IsOpen() const { return m_open; }

    //! Reads a value; the empty name is the key's unnamed default value.
    RegError QueryValue(const QString& name, RegistryValue* out) const;
    RegError SetValue(const QString& name, const RegistryValue& value);
    RegError DeleteValue(const QString& name);
    RegError SubKeyNames(QStringList* out) const;
    RegError ValueNames(QStringList* out) const;

    RegistryHive Hive() const { return m_hive; }
    const QString& Path() const { return m_path; }

private:
    bool m_open = false;
    RegistryHive m_hive = RegistryHive::CurrentUser;
    QString m_path;
    RegAccess m_access = 0;
};

} // namespace platform
