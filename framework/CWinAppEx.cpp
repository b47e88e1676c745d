#include "framework/CWinAppEx.h"

#include "framework/CDocTemplate.h"
#include "framework/CMDIFrameWndEx.h"
#include "platform/COXRegistryItem.h"

CWinAppEx::CWinAppEx(int& argc, char** argv, const QString& appName) : QApplication(argc, argv), m_appName(appName)
{
    setApplicationName(appName);
}

CWinAppEx::~CWinAppEx() = default;

int CWinAppEx::ExitInstance()
{
    return 0;
}

void CWinAppEx::AddDocTemplate(CDocTemplate* docTemplate)
{
    m_templates.emplace_back(docTemplate);
}

QString CWinAppEx::ProfilePath(const QString& section, const QString& entry) const
{
    QString path = QStringLiteral("\\CurrentUser\\Software\\") + m_registryKey + QLatin1Char('\\') + m_appName;
    if (!section.isEmpty())
        path += QLatin1Char('\\') + section;
    return path + QLatin1Char('\\') + entry;
}

int CWinAppEx::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const
{
    COXRegistryItem item(ProfilePath(section, entry));
    return static_cast<int>(item.GetNumberValue(static_cast<std::uint32_t>(defaultValue)));
}

bool CWinAppEx::WriteProfileInt(const QString& section, const QString& entry, int value)
{
    COXRegistryItem item(ProfilePath(section, entry));
    return item.SetNumberValue(static_cast<std::uint32_t>(value));
}
