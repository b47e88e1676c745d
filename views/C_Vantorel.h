#pragma once

#include "platform/dispatch/IDispatchObject.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>

class QLabel;

//! A failed call into the analysis control: what the control said, or why
//! the call could not be made.
class DispatchError : public std::runtime_error {
public:
    DispatchError(const QString& member, const QString& description, platform::HResult code);
    const QString& Member() const { return m_member; }
    const QString& Description() const { return m_description; }
    platform::HResult Code() const { return m_code; }
    //! The text for the user: member, description and code.
    QString Text() const;

private:
    QString m_member;
    QString m_description;
    platform::HResult m_code;
};

//! The host side of one analysis control (class Vantorel): a window that
//! holds the control's own window and makes every call late-bound through
//! the control's dispatch interface. Calls throw DispatchError when the
//! control is missing or reports a failure.
// NOLINTNEXTLINE(readability-identifier-naming): the wrapper keeps the name callers know it by.
class C_Vantorel : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassId = "{E07F1004-ECB4-4627-8E85-82D239281510}";

    // Dispatch ids of the control's members.
    static constexpr platform::DispId kHideToolbar = 0x6003008F;
    static constexpr platform::DispId kShowToolbar = 0x60030090;
    static constexpr platform::DispId kOpenReportOfType = 0x6003009A;
    static constexpr platform::DispId kOpenCube = 0x600300BB;
    static constexpr platform::DispId kPivottable = 0x6803006E;
    static constexpr platform::DispId kSaveReport = 0x600300B8;
    static constexpr platform::DispId kSaveReportAs = 0x600300B9;
    static constexpr platform::DispId kGetCubeConnection = 0x600300BA;
    static constexpr platform::DispId kLastError = 0x600300F0;

    //! Pane kinds passed to the opening members.
    static constexpr int kPaneTable = 1;
    static constexpr int kPaneChart = 2;

    //! Makes the control object of a class id; the default asks the class
    //! registry (platform::ComRuntime). Tests put a maker of fakes here.
    using ObjectMaker = std::function<platform::HResult(
        const QString& classId, std::shared_ptr<platform::IDispatchObject>*, QString*)>;
    static void SetObjectMaker(ObjectMaker maker);

    explicit C_Vantorel(QWidget* parent = nullptr);
    ~C_Vantorel() override;

    //! Creates the control by class id and puts its window into this one.
    //! False when the control cannot be made; the window then says why.
    bool Create(const QString& classId = QLatin1String(kClassId));
    //! Hosts an object made elsewhere.
    void Attach(std::shared_ptr<platform::IDispatchObject> object);
    bool IsCreated() const { return m_object != nullptr; }
    const QString& CreateError() const { return m_createError; }
    platform::IDispatchObject* Object() const { return m_object.get(); }
    //! The control's own window inside this one, or null.
    QWidget* ControlWindow() const { return m_controlWindow; }

    void HideToolbar();
    void ShowToolbar();
    //! OppnaRapportTyp: opens the report file path as a table or chart.
    void OppnaRapportTyp(const QString& path, int paneKind);
    //! Opens the data member of a connection as a new report (result ignored).
    void OpenCube(const QString& connection, const QString& dataMember, int paneKind);
    std::shared_ptr<platform::IDispatchObject> GetPivottable();
    //! Puts pivot by reference; the control may hand back another object.
    void SetPivottable(std::shared_ptr<platform::IDispatchObject>& pivot);
    //! Saves under folder + name; returns the file written.
    QString SaveReport(const QString& name, const QString& folder);
    QString SaveReportAs(const QString& name, const QString& folder, const QString& dataSourceFolder);
    //! Shows the control's connect dialog; server, cube and connection
    //! string separated by tabs.
    QString GetCubeConnection();
    //! Why the control's last failing step failed: the control passes over
    //! failing steps without failing the call, so the host asks afterwards.
    //! Empty when none failed, or when there is no control to ask.
    QString LastError();

private:
    platform::Variant Call(
        const char* member, platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args);

    std::shared_ptr<platform::IDispatchObject> m_object;
    QWidget* m_controlWindow = nullptr;
    QLabel* m_missing = nullptr;
    QString m_createError;
};
