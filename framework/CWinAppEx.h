#pragma once

#include <QApplication>
#include <QString>

#include <memory>
#include <vector>

class CDocTemplate;
class CMDIFrameWndEx;

//! The application object of the document/view layer: the registered
//! templates, the main window, and the per-user profile under
//! \CurrentUser\Software\<registry key>\<application name>.
class CWinAppEx : public QApplication {
    Q_OBJECT
public:
    CWinAppEx(int& argc, char** argv, const QString& appName);
    ~CWinAppEx() override;

    //! Start-up; false ends the program.
    virtual bool InitInstance() = 0;
    //! The exit step, after the main window has closed; returns the exit code.
    virtual int ExitInstance();

    //! Registers a template; the application owns it from then on.
    void AddDocTemplate(CDocTemplate* docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& DocTemplates() const { return m_templates; }

    CMDIFrameWndEx* GetMainWnd() const { return m_mainWnd; }
    void SetMainWnd(CMDIFrameWndEx* window) { m_mainWnd = window; }

    //! Sets the registry key ("Company\Product") of the per-user profile.
    void SetRegistryKey(const QString& key) { m_registryKey = key; }
    const QString& GetRegistryKey() const { return m_registryKey; }
    //! The profile's registry path of entry in section.
    QString ProfilePath(const QString& section, const QString& entry) const;
    int GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;
    bool WriteProfileInt(const QString& section, const QString& entry, int value);

    static CWinAppEx* Instance() { return qobject_cast<CWinAppEx*>(QCoreApplication::instance()); }

private:
    QString m_appName;
    QString m_registryKey;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    CMDIFrameWndEx* m_mainWnd = nullptr;
};
