#include "platform/COXDirSpec.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsForbidden(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x01 && u <= 0x1F) || u == u'<' || u == u'>' || u == u'"' || u == u'|' || u == u':' || u == u'?'
        || u == u'*';
}

bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool MakeOneDirectory(const QString& path)
{
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0;
}

} // namespace

bool COXDirSpec::SetDirectory(const QString& path)
{
    m_drive.clear();
    m_subdirectory.clear();
    QString drive;
    QString subdirectory = path;
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':')) {
        if (!IsAsciiLetter(path.at(0)))
            return false;
        drive = path.left(1).toUpper() + QLatin1Char(':');
        subdirectory = path.mid(2);
    }
    if (subdirectory.size() > 1 && subdirectory.endsWith(QLatin1Char('/')))
        return false;
    for (const QChar c : subdirectory) {
        if (IsForbidden(c))
            return false;
    }
    // The case is kept: file names are case-sensitive on this platform.
    m_drive = drive;
    m_subdirectory = subdirectory;
    return true;
}

bool COXDirSpec::MakeDirectory() const
{
    if (m_subdirectory.isEmpty() || m_subdirectory == QLatin1String("/"))
        return true;
    if (!m_drive.isEmpty())
        return false;
    const QString path = m_subdirectory;
    for (qsizetype slash = path.indexOf(QLatin1Char('/')); slash >= 0;
         slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
        if (slash > 0)
            MakeOneDirectory(path.left(slash));
    }
    return MakeOneDirectory(path);
}

bool COXDirSpec::ApplyAsCurrentDirectory() const
{
    if (!m_drive.isEmpty())
        return false;
    if (m_subdirectory.isEmpty())
        return true;
    return ::chdir(QFile::encodeName(m_subdirectory).constData()) == 0;
}
