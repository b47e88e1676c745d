#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

// A private registry root for one test; the previous root comes back after.
class TempRegistry {
public:
    TempRegistry() : m_previous(qgetenv("LUMETRA_REGISTRY_ROOT"))
    {
        qputenv("LUMETRA_REGISTRY_ROOT", m_dir.path().toLocal8Bit());
    }
    ~TempRegistry()
    {
        if (m_previous.isEmpty())
            qunsetenv("LUMETRA_REGISTRY_ROOT");
        else
            qputenv("LUMETRA_REGISTRY_ROOT", m_previous);
    }
    QString Path() const { return m_dir.path(); }
    QString HiveFile(const char* hive) const { return m_dir.filePath(QLatin1String(hive) + QStringLiteral(".json")); }
    // Takes every write bit off the machine-wide hive, as for a user without rights.
    void MakeMachineHiveReadOnly() const { ::chmod(QFile::encodeName(HiveFile("LocalMachine")).constData(), 0444); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
