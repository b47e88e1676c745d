#include "platform/registry/RegistryKey.h"

#include "platform/registry/RegistryStore.h"

namespace platform {

RegError RegistryKey::Open(RegistryHive hive, const QString& keyPath, RegAccess access)
{
    Close();
    const QString path = RegistryHiveData::NormalizeKeyPath(keyPath);
    RegistryHiveData data;
    if (const RegError error = RegistryStore::Load(hive, &data); error != kErrorSuccess)
        return error;
    if (!data.HasKey(path))
        return kErrorFileNotFound;
    if ((access & kKeyModifyingRights) != 0 && !RegistryStore::IsWritable(hive))
        return kErrorAccessDenied;
    m_open = true;
    m_hive = hive;
    m_path = path;
    m_access = access;
    return kErrorSuccess;
}

RegError RegistryKey::Create(RegistryHive hive, const QString& keyPath, RegAccess access, bool* created)
{
    Close();
    if (created)
        *created = false;
    const QString path = RegistryHiveData::NormalizeKeyPath(keyPath);
    RegistryHiveData data;
    if (const RegError error = RegistryStore::Load(hive, &data); error != kErrorSuccess)
        return error;
    if (!data.HasKey(path)) {
        bool isNew = false;
        const RegError error = RegistryStore::Modify(hive, [&](RegistryHiveData& hiveData) {
            isNew = hiveData.CreateKey(path);
            return kErrorSuccess;
        });
        if (error != kErrorSuccess)
            return error;
        if (created)
            *created = isNew;
    }
    return Open(hive, path, access);
}

void RegistryKey::Close()
{
    m_open = false;
    m_path.clear();
    m_access = 0;
}

RegError RegistryKey::QueryValue(const QString& name, RegistryValue* out) const
{
    if (!m_open)
        return kErrorInvalidHandle;
    if ((m_access & kKeyQueryValue) == 0)
        return kErrorAccessDenied;
    RegistryHiveData data;
    if (const RegError error = RegistryStore::Load(m_hive, &data); error != kErrorSuccess)
        return error;
    const RegistryValue* value = data.Value(m_path, name);
    if (!value)
        return kErrorFileNotFound;
    *out = *value;
    return kErrorSuccess;
}

RegError RegistryKey::SetValue(const QString& name, const RegistryValue& value)
{
    if (!m_open)
        return kErrorInvalidHandle;
    if ((m_access & kKeySetValue) == 0)
        return kErrorAccessDenied;
    return RegistryStore::Modify(m_hive, [&](RegistryHiveData& data) {
        data.SetValue(m_path, name, value);
        return kErrorSuccess;
    });
}

RegError RegistryKey::DeleteValue(const QString& name)
{
    if (!m_open)
        return kErrorInvalidHandle;
    if ((m_access & kKeySetValue) == 0)
        return kErrorAccessDenied;
    return RegistryStore::Modify(m_hive,
        [&](RegistryHiveData& data) { return data.DeleteValue(m_path, name) ? kErrorSuccess : kErrorFileNotFound; });
}

RegError RegistryKey::SubKeyNames(QStringList* out) const
{
    if (!m_open)
        return kErrorInvalidHandle;
    RegistryHiveData data;
    if (const RegError error = RegistryStore::Load(m_hive, &data); error != kErrorSuccess)
        return error;
    *out = data.SubKeyNames(m_path);
    return kErrorSuccess;
}

RegError RegistryKey::ValueNames(QStringList* out) const
{
    if (!m_open)
        return kErrorInvalidHandle;
    RegistryHiveData data;
    if (const RegError error = RegistryStore::Load(m_hive, &data); error != kErrorSuccess)
        return error;
    *out = data.ValueNames(m_path);
    return kErrorSuccess;
}

} // namespace platform
