#include "platform/registry/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString HiveFileName(RegistryHive hive)
{
    switch (hive) {
    case RegistryHive::ClassesRoot:
        return QStringLiteral("ClassesRoot.json");
    case RegistryHive::CurrentUser:
        return QStringLiteral("CurrentUser.json");
    case RegistryHive::LocalMachine:
        return QStringLiteral("LocalMachine.json");
    case RegistryHive::Users:
        return QStringLiteral("Users.json");
    case RegistryHive::PerformanceData:
        return QStringLiteral("PerformanceData.json");
    case RegistryHive::CurrentConfig:
        return QStringLiteral("CurrentConfig.json");
    case RegistryHive::DynData:
        return QStringLiteral("DynData.json");
    }
    return QStringLiteral("Unknown.json");
}

// Write permission as the system grants it, except that an entry without any
// write bit is read-only even for root, who would otherwise bypass the bits.
bool MayWrite(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info { };
    if (::stat(native.constData(), &info) != 0)
        return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    const int mode = S_ISDIR(info.st_mode) ? (W_OK | X_OK) : W_OK;
    return ::access(native.constData(), mode) == 0;
}

} // namespace

QString RegistryStore::HiveFilePath(RegistryHive hive)
{
    const QByteArray root = qgetenv("LUMETRA_REGISTRY_ROOT");
    if (!root.isEmpty())
        return QDir(QFile::decodeName(root)).filePath(HiveFileName(hive));
    if (hive == RegistryHive::CurrentUser) {
        QString config = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
        if (config.isEmpty())
            config = QDir::home().filePath(QStringLiteral(".config"));
        return QDir(config).filePath(QStringLiteral("lumetra/registry/") + HiveFileName(hive));
    }
    return QStringLiteral("/etc/lumetra/registry/") + HiveFileName(hive);
}

bool RegistryStore::IsWritable(RegistryHive hive)
{
    const QString file = HiveFilePath(hive);
    if (QFileInfo::exists(file))
        return MayWrite(file);
    // The file will be created: the nearest existing folder decides.
    QDir dir = QFileInfo(file).absoluteDir();
    while (!dir.exists()) {
        if (!dir.cdUp())
            return false;
    }
    return MayWrite(dir.absolutePath());
}

RegError RegistryStore::Load(RegistryHive hive, RegistryHiveData* out, QString* detail)
{
    QFile file(HiveFilePath(hive));
    if (!file.exists()) {
        *out = RegistryHiveData();
        return kErrorSuccess;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (detail)
            *detail = file.errorString();
        return kErrorAccessDenied;
    }
    QString why;
    std::optional<RegistryHiveData> data = RegistryHiveData::Parse(file.readAll(), &why);
    if (!data) {
        if (detail)
            *detail = file.fileName() + QStringLiteral(": ") + why;
        return kErrorBadDb;
    }
    *out = std::move(*data);
    return kErrorSuccess;
}

RegError RegistryStore::Modify(RegistryHive hive, const std::function<RegError(RegistryHiveData&)>& change)
{
    if (!IsWritable(hive))
        return kErrorAccessDenied;
    const QString path = HiveFilePath(hive);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return kErrorCantWrite;

    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000))
        return kErrorCantWrite;

    RegistryHiveData data;
    if (const RegError error = Load(hive, &data); error != kErrorSuccess)
        return error;
    if (const RegError error = change(data); error != kErrorSuccess)
        return error;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return kErrorCantWrite;
    const QByteArray bytes = data.Serialize();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return kErrorCantWrite;
    return kErrorSuccess;
}

} // namespace platform
