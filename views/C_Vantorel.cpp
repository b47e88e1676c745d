#include "views/C_Vantorel.h"

#include "framework/CVisualManager.h"
#include "platform/dispatch/ComRuntime.h"
#include "platform/dispatch/IControlWindow.h"

#include <QLabel>
#include <QVBoxLayout>

using platform::DispId;
using platform::HResult;
using platform::InvokeKind;
using platform::Variant;

namespace {

C_Vantorel::ObjectMaker& Maker()
{
    static C_Vantorel::ObjectMaker maker;
    return maker;
}

} // namespace

DispatchError::DispatchError(const QString& member, const QString& description, HResult code)
    : std::runtime_error((member + QStringLiteral(": ") + description).toStdString()), m_member(member),
      m_description(description), m_code(code)
{
}

QString DispatchError::Text() const
{
    return QStringLiteral("%1 failed: %2 (0x%3)")
        .arg(m_member, m_description.isEmpty() ? QStringLiteral("no reason given") : m_description)
        .arg(m_code, 8, 16, QLatin1Char('0'));
}

void C_Vantorel::SetObjectMaker(ObjectMaker maker)
{
    Maker() = std::move(maker);
}

C_Vantorel::C_Vantorel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The control draws for light ground; every look gives it the content palette.
    CVisualManager::MarkContent(this);
}

C_Vantorel::~C_Vantorel()
{
    if (m_object) {
        if (platform::IControlWindow* window = m_object->AsControlWindow())
            window->SetEventSink({});
    }
}

bool C_Vantorel::Create(const QString& classId)
{
    std::shared_ptr<platform::IDispatchObject> object;
    QString why;
    const HResult hr
        = Maker() ? Maker()(classId, &object, &why) : platform::ComRuntime::CreateInstance(classId, &object, &why);
    if (hr != platform::kSOk || !object) {
        m_createError = why.isEmpty() ? QStringLiteral("The analysis control could not be made.") : why;
        qWarning("C_Vantorel: %s", qPrintable(m_createError));
        if (!m_missing) {
            m_missing = new QLabel(this);
            m_missing->setObjectName(QStringLiteral("controlMissing"));
            m_missing->setAlignment(Qt::AlignCenter);
            m_missing->setWordWrap(true);
            layout()->addWidget(m_missing);
        }
        m_missing->setText(tr("The analysis control is not available.\n%1").arg(m_createError));
        return false;
    }
    Attach(std::move(object));
    return true;
}

void C_Vantorel::Attach(std::shared_ptr<platform::IDispatchObject> object)
{
    m_object = std::move(object);
    m_createError.clear();
    delete m_missing;
    m_missing = nullptr;
    if (platform::IControlWindow* window = m_object ? m_object->AsControlWindow() : nullptr) {
        m_controlWindow = window->ControlWindow(this);
        if (m_controlWindow) {
            layout()->addWidget(m_controlWindow);
            m_controlWindow->show();
        }
    }
}

Variant C_Vantorel::Call(const char* member, DispId id, InvokeKind kind, std::vector<Variant>& args)
{
    const QString name = QLatin1String(member);
    if (!m_object)
        throw DispatchError(name,
            m_createError.isEmpty() ? QStringLiteral("The analysis control was not created.") : m_createError,
            platform::kRegdbEClassNotReg);
    Variant result;
    platform::DispatchException exception;
    const HResult hr = m_object->Invoke(id, kind, args, &result, &exception);
    if (hr != platform::kSOk)
        throw DispatchError(
            exception.source.isEmpty() ? name : name + QStringLiteral(" (") + exception.source + QLatin1Char(')'),
            exception.description, hr == platform::kDispEException && exception.code ? exception.code : hr);
    return result;
}

void C_Vantorel::HideToolbar()
{
    std::vector<Variant> args;
    Call("HideToolbar", kHideToolbar, InvokeKind::Method, args);
}

void C_Vantorel::ShowToolbar()
{
    std::vector<Variant> args;
    Call("ShowToolbar", kShowToolbar, InvokeKind::Method, args);
}

void C_Vantorel::OppnaRapportTyp(const QString& path, int paneKind)
{
    std::vector<Variant> args {Variant(path), Variant(static_cast<std::int32_t>(paneKind))};
    Call("OppnaRapportTyp", kOpenReportOfType, InvokeKind::Method, args);
}

void C_Vantorel::OpenCube(const QString& connection, const QString& dataMember, int paneKind)
{
    std::vector<Variant> args {Variant(connection), Variant(dataMember), Variant(static_cast<std::int32_t>(paneKind))};
    Call("OpenCube", kOpenCube, InvokeKind::Method, args);
}

std::shared_ptr<platform::IDispatchObject> C_Vantorel::GetPivottable()
{
    std::vector<Variant> args;
    return Call("Pivottable", kPivottable, InvokeKind::PropertyGet, args).toObject();
}

void C_Vantorel::SetPivottable(std::shared_ptr<platform::IDispatchObject>& pivot)
{
    std::vector<Variant> args {Variant(pivot)};
    Call("Pivottable", kPivottable, InvokeKind::PropertyPut, args);
    // By reference: the control may have replaced the value.
    if (!args.empty() && args.front().type() == Variant::Type::Object)
        pivot = args.front().toObject();
}

QString C_Vantorel::SaveReport(const QString& name, const QString& folder)
{
    std::vector<Variant> args {Variant(name), Variant(folder)};
    return Call("SaveReport", kSaveReport, InvokeKind::Method, args).toString();
}

QString C_Vantorel::SaveReportAs(const QString& name, const QString& folder, const QString& dataSourceFolder)
{
    std::vector<Variant> args {Variant(name), Variant(folder), Variant(dataSourceFolder)};
    return Call("SaveReportAs", kSaveReportAs, InvokeKind::Method, args).toString();
}

QString C_Vantorel::GetCubeConnection()
{
    std::vector<Variant> args;
    return Call("GetCubeConnection", kGetCubeConnection, InvokeKind::Method, args).toString();
}

QString C_Vantorel::LastError()
{
    if (!m_object)
        return QString();
    std::vector<Variant> args;
    Variant result;
    platform::DispatchException exception;
    // A control without the property has nothing to tell.
    if (m_object->Invoke(kLastError, InvokeKind::PropertyGet, args, &result, &exception) != platform::kSOk)
        return QString();
    return result.toString();
}
