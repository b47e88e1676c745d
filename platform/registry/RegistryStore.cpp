#include "platform/registry/RegistryStore.h"

#include "olap/util/AtomicFile.h"
#include "olap/util/MessageText.h"
#include "olap/util/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

thread_local QString t_lastDetail;

// Keeps detail as the thread's last registry error and passes error on.
RegError Failed(RegError error, const QString& detail, QString* out)
{
    t_lastDetail = detail;
    if (out)
        *out = detail;
    return error;
}

QString Shown(const QString& path)
{
    return QString::fromStdString(olap::MessageText::Shorten(path.toStdString()));
}

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
    t_lastDetail.clear();
    const QString path = HiveFilePath(hive);
    const std::string native = QFile::encodeName(path).toStdString();
    if (olap::RegularFile::KindOf(native) == olap::RegularFile::Kind::Missing) {
        *out = RegistryHiveData();
        return kErrorSuccess;
    }
    // A FIFO or a device would block open() or never end; refuse it first.
    if (const std::string problem = olap::RegularFile::Problem(native); !problem.empty())
        return Failed(kErrorBadDb, QStringLiteral("registry hive ") + QString::fromStdString(problem), detail);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(kErrorAccessDenied, Shown(path) + QStringLiteral(": ") + file.errorString(), detail);
    QString why;
    std::optional<RegistryHiveData> data = RegistryHiveData::Parse(file.readAll(), &why);
    if (!data)
        return Failed(kErrorBadDb, QStringLiteral("registry hive %1 is damaged: %2").arg(Shown(path), why), detail);
    *out = std::move(*data);
    return kErrorSuccess;
}

RegError RegistryStore::Modify(
    RegistryHive hive, const std::function<RegError(RegistryHiveData&)>& change, QString* detail)
{
    t_lastDetail.clear();
    const QString path = HiveFilePath(hive);
    if (!IsWritable(hive))
        return Failed(kErrorAccessDenied, QStringLiteral("no permission to change %1").arg(Shown(path)), detail);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Failed(kErrorCantWrite, QStringLiteral("cannot create the folder of %1").arg(Shown(path)), detail);

    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000)) {
        const QString why = lock.error() == QLockFile::LockFailedError
            ? QStringLiteral("%1 stays locked by another writer").arg(Shown(path))
            : QStringLiteral("cannot create the lock file of %1 (no space left or no permission in its folder)")
                  .arg(Shown(path));
        return Failed(kErrorCantWrite, why, detail);
    }

    RegistryHiveData data;
    if (const RegError error = Load(hive, &data, detail); error != kErrorSuccess)
        return error;
    if (const RegError error = change(data); error != kErrorSuccess)
        return error;

    const QByteArray bytes = data.Serialize();
    olap::AtomicFile file(QFile::encodeName(path).toStdString());
    if (!file.Open() || !file.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        || !file.Commit())
        return Failed(kErrorCantWrite, QString::fromStdString(file.Error()), detail);
    return kErrorSuccess;
}

QString RegistryStore::LastErrorDetail()
{
    return t_lastDetail;
}

} // namespace platform
