#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// Writes bytes to a file, failing the running test when it cannot.
inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The whole content of a file, or nothing when it cannot be read.
inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
