#include "views/CLumetraView.h"

#include "app/CLumetraApp.h"
#include "catalogue/CFavAddDlg.h"
#include "framework/CDocument.h"
#include "framework/CMDIFrameWndEx.h"
#include "framework/CommandIds.h"
#include "olap/util/AtomicFile.h"
#include "platform/UserName.h"
#include "platform/messages/InstanceMessages.h"
#include "platform/messages/MessageTarget.h"
#include "platform/messages/RegisteredMessages.h"
#include "views/CSSplitter.h"
#include "views/C_Vantorel.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QResizeEvent>
#include <QStatusBar>

#include <optional>
#include <vector>

namespace {

constexpr int kAddFavorite = 321;
constexpr int kAddFavoriteMenu = 32773;
constexpr int kStatusTimeoutMs = 20000;

CLumetraView::FavoriteDialogRunner& FavoriteRunner()
{
    static CLumetraView::FavoriteDialogRunner runner;
    return runner;
}

//! How often each report file was saved by a window of this process.
QHash<QString, int>& SaveGenerations()
{
    static QHash<QString, int> generations;
    return generations;
}

QString Stamp(const QString& file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QString();
    return QStringLiteral("%1/%2").arg(info.lastModified().toMSecsSinceEpoch()).arg(info.size());
}

QString WithSeparator(QString folder)
{
    // The folders are used as prefixes; one without a trailing separator
    // would glue the file name to the folder's own name.
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder;
}

//! The wait cursor and a painting lock for the length of a scope.
class BusyScope {
public:
    explicit BusyScope(QWidget* view, bool cursor = true) : m_view(view), m_cursor(cursor)
    {
        if (m_cursor)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        m_view->setUpdatesEnabled(false);
    }
    ~BusyScope()
    {
        m_view->setUpdatesEnabled(true);
        if (m_cursor)
            QApplication::restoreOverrideCursor();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget* m_view;
    bool m_cursor;
};

//! The bytes of files before a save, put back when the save fails.
class FileBackup {
public:
    explicit FileBackup(const QStringList& files)
    {
        for (const QString& file : files) {
            std::optional<QByteArray> bytes;
            if (QFile in(file); in.open(QIODevice::ReadOnly))
                bytes = in.readAll();
            m_files.emplace_back(file, std::move(bytes));
        }
    }
    //! Restores every file; false when one could not be put back (why in *error).
    bool Restore(QString* error) const
    {
        bool ok = true;
        for (const auto& [file, bytes] : m_files) {
            if (!bytes) {
                if (QFileInfo::exists(file) && !QFile::remove(file)) {
                    *error = QStringLiteral("%1 could not be removed").arg(file);
                    ok = false;
                }
                continue;
            }
            if (QFile current(file); current.open(QIODevice::ReadOnly) && current.readAll() == *bytes)
                continue;
            olap::AtomicFile out(QFile::encodeName(file).toStdString());
            if (!out.Open() || !out.Write(std::string_view(bytes->constData(), bytes->size())) || !out.Commit()) {
                *error = QString::fromStdString(out.Error());
                ok = false;
            }
        }
        return ok;
    }

private:
    std::vector<std::pair<QString, std::optional<QByteArray>>> m_files;
};

} // namespace

void CLumetraView::SetFavoriteDialogRunner(FavoriteDialogRunner runner)
{
    FavoriteRunner() = std::move(runner);
}

CLumetraView::CLumetraView(QWidget* parent)
    : CView(parent), m_upper(new C_Vantorel(this)), m_lower(new C_Vantorel(this))
{
    setObjectName(QStringLiteral("olapReportView"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    m_upper->setObjectName(QStringLiteral("upperControl"));
    m_upper->setProperty("controlId", kUpperControlId);
    m_lower->setObjectName(QStringLiteral("lowerControl"));
    m_lower->setProperty("controlId", kLowerControlId);
    m_upper->Create();
    m_lower->Create();
    resize(640, 480);
    OnInitialUpdate();
}

CLumetraView::~CLumetraView() = default;

void CLumetraView::OnInitialUpdate()
{
    const QRect area = rect().adjusted(kSplitterMargin, kSplitterMargin, -kSplitterMargin, -kSplitterMargin);
    m_splitter = new CSSplitter(CSSplitter::kDefaultId);
    m_splitter->Create(area, this, m_upper, m_lower);
    if (m_lower->isVisibleTo(this)) {
        try {
            m_lower->HideToolbar();
        } catch (const DispatchError& error) {
            qWarning("CLumetraView: %s", qPrintable(error.Text()));
        }
    }
}

QString CLumetraView::ReportFolder()
{
    const auto* app = CLumetraApp::Instance();
    return WithSeparator(app ? app->ReportPath : QString());
}

QString CLumetraView::PersonalReportFolder()
{
    return ReportFolder() + platform::CurrentUserName().left(255) + QLatin1Char('/');
}

QString CLumetraView::DataSourceFolder()
{
    const auto* app = CLumetraApp::Instance();
    return WithSeparator(app ? app->DataPath : QString());
}

QString CLumetraView::StripPath(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QStringList CLumetraView::TargetFiles(const QString& folder, const QString& name)
{
    return {folder + name + QStringLiteral(".xml"), folder + name + QStringLiteral("Chart.xml")};
}

void CLumetraView::Remember(const QStringList& files)
{
    for (const QString& file : files)
        m_seen.insert(file, Seen {SaveGenerations().value(file), Stamp(file)});
}

bool CLumetraView::ChangedElsewhere(const QStringList& files) const
{
    for (const QString& file : files) {
        const Seen seen = m_seen.value(file);
        if (SaveGenerations().value(file) != seen.generation || Stamp(file) != seen.stamp)
            return true;
    }
    return false;
}

// Update hints -------------------------------------------------------------

void CLumetraView::OnUpdate(CView*, unsigned hint, void* object)
{
    const InstanceMessages& ids = InstanceMessages::Get();
    if (hint == ids.MSG_INST || hint == ids.MSG_USER_INST) {
        if (object)
            OpenReport(static_cast<const XHTMLTREEDATA*>(object), hint == ids.MSG_USER_INST);
        return;
    }
    if (const int type = ids.NewReportType(hint); type != 0)
        NewReport(type);
}

bool CLumetraView::HandlesCommand(int id) const
{
    return id == cmd::kFileSave || id == kAddFavorite || id == kAddFavoriteMenu || CView::HandlesCommand(id);
}

bool CLumetraView::OnCmdMsg(int id)
{
    if (id == cmd::kFileSave) {
        Save();
        return true;
    }
    if (id == kAddFavorite || id == kAddFavoriteMenu) {
        AddFavorite();
        return true;
    }
    return CView::OnCmdMsg(id);
}

void CLumetraView::SetTitle(const QString& title)
{
    if (CDocument* document = GetDocument())
        document->SetTitle(title);
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            frame->setWindowTitle(title);
            frame->setWindowIcon(QIcon(QStringLiteral(":/images/olapreport.svg")));
            break;
        }
    }
}

void CLumetraView::ShowStatus(const QString& text)
{
    m_lastStatus = text;
    auto* app = CWinAppEx::Instance();
    if (auto* main = app ? qobject_cast<QMainWindow*>(app->GetMainWnd()) : nullptr)
        main->statusBar()->showMessage(text, kStatusTimeoutMs);
}

// Opening and creating -------------------------------------------------------

void CLumetraView::OpenReport(const XHTMLTREEDATA* item, bool personal)
{
    if (!item)
        return;
    m_item = item;
    m_itemCopy = *item;
    m_reportType = item->Reporttype1;
    m_personal = personal;
    BusyScope busy(this);
    if (personal)
        OnActivateView(true);
    SetTitle(item->strPlainText);
    m_reportName = item->strPlainText;

    QString folder = ReportFolder();
    if (personal) {
        folder = PersonalReportFolder();
        QDir().mkpath(folder);
    }
    const QString path1 = folder + item->Filename1;
    const QString path2 = folder + item->Filename2;
    Remember(TargetFiles(folder, m_reportName) + TargetFiles(folder, m_reportName + QLatin1Char('2')));

    m_upper->show();
    m_lower->show();
    const QString upperBefore = m_upper->LastError();
    const QString lowerBefore = m_lower->LastError();
    try {
        switch (m_reportType) {
        case 1:
        case 2:
            m_upper->OppnaRapportTyp(path1, m_reportType);
            m_splitter->HideBottomPane();
            break;
        case 3: {
            m_upper->OppnaRapportTyp(path1, C_Vantorel::kPaneTable);
            m_lower->OppnaRapportTyp(path2, C_Vantorel::kPaneChart);
            auto pivot = m_upper->GetPivottable();
            m_lower->SetPivottable(pivot);
            break;
        }
        case 4: {
            m_upper->OppnaRapportTyp(path1, C_Vantorel::kPaneChart);
            m_lower->OppnaRapportTyp(path2, C_Vantorel::kPaneTable);
            auto pivot = m_lower->GetPivottable();
            m_upper->SetPivottable(pivot);
            break;
        }
        case 5:
            m_upper->OppnaRapportTyp(path1, C_Vantorel::kPaneTable);
            m_lower->OppnaRapportTyp(path2, C_Vantorel::kPaneChart);
            break;
        case 6:
            m_upper->OppnaRapportTyp(path1, C_Vantorel::kPaneChart);
            m_lower->OppnaRapportTyp(path2, C_Vantorel::kPaneTable);
            break;
        default:
            break;
        }
    } catch (const DispatchError& error) {
        // The window stays with what the controls managed to show.
        qWarning("CLumetraView: opening %s: %s", qPrintable(m_reportName), qPrintable(error.Text()));
        // A missing control says so in its own pane; a control that failed
        // says why in the status bar.
        if (m_upper->IsCreated() && m_lower->IsCreated())
            ShowStatus(tr("“%1” could not be opened completely: %2").arg(m_reportName, error.Text()));
        return;
    }
    // The control passes over a step that fails (a missing report file, a
    // cube it cannot reach) and only keeps the reason; the user hears it here.
    if (const QString trouble = NewControlError(upperBefore, lowerBefore); !trouble.isEmpty()) {
        qWarning("CLumetraView: opening %s: %s", qPrintable(m_reportName), qPrintable(trouble));
        ShowStatus(tr("“%1” could not be opened completely: %2").arg(m_reportName, trouble));
    }
}

QString CLumetraView::NewControlError(const QString& upperBefore, const QString& lowerBefore)
{
    if (QString now = m_upper->LastError(); !now.isEmpty() && now != upperBefore)
        return now;
    if (QString now = m_lower->LastError(); !now.isEmpty() && now != lowerBefore)
        return now;
    return QString();
}

void CLumetraView::NewReport(int type)
{
    auto* app = CLumetraApp::Instance();
    if (!app)
        return;
    BusyScope busy(this, false);
    m_reportName = app->CurrentReportName;
    SetTitle(m_reportName);
    m_reportName = app->NewReportSource1.strPlainText;
    m_personal = false;
    const QString c1 = app->NewReportSource1.Filename2;
    const QString m1 = app->NewReportSource1.Filename1;
    const QString c2 = app->NewReportSource2.Filename2;
    const QString m2 = app->NewReportSource2.Filename1;
    app->NewReportSource1.Reporttype1 = type;
    app->NewReportSource2.Reporttype1 = type;
    m_itemCopy = XHTMLTREEDATA();
    m_itemCopy.strPlainText = m_reportName;
    m_itemCopy.Reporttype1 = type;
    m_itemCopy.Reporttype2 = type;
    m_item = nullptr;

    const QString upperBefore = m_upper->LastError();
    const QString lowerBefore = m_lower->LastError();
    try {
        switch (type) {
        case 1:
        case 2:
            m_upper->OpenCube(c1, m1, type);
            m_reportType = type;
            m_splitter->HideBottomPane();
            break;
        case 3: {
            m_upper->OpenCube(c1, m1, C_Vantorel::kPaneTable);
            m_reportType = 3;
            auto pivot = m_upper->GetPivottable();
            m_lower->ShowToolbar();
            m_lower->SetPivottable(pivot);
            break;
        }
        case 4: {
            m_lower->OpenCube(c1, m1, C_Vantorel::kPaneTable);
            m_reportType = 4;
            m_lower->ShowToolbar();
            auto pivot = m_lower->GetPivottable();
            m_upper->SetPivottable(pivot);
            break;
        }
        case 5:
            m_reportType = 5;
            m_upper->OpenCube(c1, m1, C_Vantorel::kPaneTable);
            m_lower->ShowToolbar();
            m_lower->OpenCube(c2, m2, C_Vantorel::kPaneChart);
            break;
        case 6:
            m_reportType = 6;
            m_upper->OpenCube(c1, m1, C_Vantorel::kPaneChart);
            m_lower->ShowToolbar();
            m_lower->OpenCube(c2, m2, C_Vantorel::kPaneTable);
            break;
        default:
            break;
        }
    } catch (const DispatchError& error) {
        qWarning("CLumetraView: new report %s: %s", qPrintable(m_reportName), qPrintable(error.Text()));
        ShowStatus(tr("The new report “%1” could not be started: %2").arg(m_reportName, error.Text()));
        auto* box = new QMessageBox(QMessageBox::Warning, QApplication::applicationDisplayName(),
            tr("The new report “%1” could not be started.").arg(m_reportName), QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("dispatchErrorBox"));
        box->setInformativeText(error.Text());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
    if (const QString trouble = NewControlError(upperBefore, lowerBefore); !trouble.isEmpty()) {
        qWarning("CLumetraView: new report %s: %s", qPrintable(m_reportName), qPrintable(trouble));
        ShowStatus(tr("The new report “%1” could not be started completely: %2").arg(m_reportName, trouble));
    }
    // Only a report this view can save asks to be saved on closing.
    if (CDocument* document = GetDocument(); document && m_reportType >= 1 && m_reportType <= 6)
        document->SetModifiedFlag(true);
}

// Saving ---------------------------------------------------------------------

void CLumetraView::HandOver(const QString& file1, const QString& file2)
{
    auto* app = CLumetraApp::Instance();
    if (!app)
        return;
    app->CurrentReportName = m_reportName;
    app->Filename1 = StripPath(file1);
    app->Filename2 = StripPath(file2);
    app->Reporttype1 = m_reportType;
    app->Reporttype2 = m_reportType;
}

bool CLumetraView::WriteReport(const QString& folder, bool personal, const std::vector<SaveCall>& calls)
{
    const QString dataFolder = DataSourceFolder();
    QStringList targets;
    for (const SaveCall& call : calls) {
        for (const QString& file : TargetFiles(folder, call.name)) {
            if (!targets.contains(file))
                targets += file;
        }
    }
    const bool replaced = ChangedElsewhere(targets);
    const FileBackup backup(targets);
    QString failure;
    try {
        BusyScope busy(this);
        for (const SaveCall& call : calls) {
            const QString written = personal ? call.control->SaveReportAs(call.name, folder, dataFolder)
                                             : call.control->SaveReport(call.name, folder);
            if (written.isEmpty() || !QFileInfo(written).isFile()) {
                // The control answers a refused or failed save with no name and keeps the reason.
                const QString reason = written.isEmpty() ? call.control->LastError() : QString();
                failure = !reason.isEmpty() ? reason
                    : written.isEmpty()     ? tr("the control did not name the file it saved")
                                            : tr("%1 was not written").arg(written);
                break;
            }
            *call.result = written;
        }
    } catch (const DispatchError& error) {
        failure = error.Text();
    }
    if (!failure.isEmpty()) {
        QString restoreError;
        const bool restored = backup.Restore(&restoreError);
        QString text = tr("“%1” could not be saved: %2.").arg(m_reportName, failure);
        text += restored ? tr(" The previous report files are kept.")
                         : tr(" The previous report files could not all be put back: %1.").arg(restoreError);
        qWarning("CLumetraView: %s", qPrintable(text));
        ShowStatus(text);
        auto* box = new QMessageBox(
            QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("saveFailedBox"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return false;
    }
    for (const QString& file : targets)
        ++SaveGenerations()[file];
    Remember(targets);
    if (replaced)
        ShowStatus(tr("“%1” saved. It had been saved from another window or program since this window opened it; "
                      "this save replaced those changes.")
                       .arg(m_reportName));
    else
        ShowStatus(tr("“%1” saved.").arg(m_reportName));
    return true;
}

bool CLumetraView::Save()
{
    if (m_reportType < 1 || m_reportType > 6) {
        ShowStatus(tr("There is no report in this window to save."));
        return false;
    }
    QString folder = ReportFolder();
    if (m_personal) {
        folder = PersonalReportFolder();
        QDir().mkpath(folder);
    }
    QString file1;
    QString file2;
    const QString second = m_reportName + QLatin1Char('2');
    std::vector<SaveCall> calls;
    switch (m_reportType) {
    case 1:
    case 2:
    case 3:
        // Both controls write the same file: the one holding the report (or the table) last.
        calls = {{m_lower, m_reportName, &file2}, {m_upper, m_reportName, &file1}};
        break;
    case 4:
        calls = {{m_upper, m_reportName, &file2}, {m_lower, m_reportName, &file1}};
        break;
    default:
        calls = {{m_upper, m_reportName, &file1}, {m_lower, second, &file2}};
        break;
    }
    if (!WriteReport(folder, m_personal, calls))
        return false;
    HandOver(file1, file2);
    auto* app = CWinAppEx::Instance();
    platform::RegisteredMessages::Send(dynamic_cast<platform::MessageTarget*>(app ? app->GetMainWnd() : nullptr),
        InstanceMessages::Get().MSG_INST_UPDATE);
    if (CDocument* document = GetDocument())
        document->SetModifiedFlag(false);
    return true;
}

void CLumetraView::AddFavorite()
{
    QString name = m_reportName;
    m_itemCopy.Reporttype1 = m_reportType;
    m_itemCopy.Reporttype2 = m_reportType;
    XHTMLTREEDATA* record = &m_itemCopy;
    if (FavoriteRunner()) {
        FavoriteRunner()(this, &name, &record);
    } else {
        CFavAddDlg dialog(this);
        dialog.SetName(name);
        dialog.SetRecord(record);
        dialog.exec();
        name = dialog.Name();
        record = dialog.Record();
    }
    m_reportName = name;
    if (record && record != &m_itemCopy)
        m_itemCopy = *record;
    if (m_reportType < 1 || m_reportType > 6)
        return;

    const QString folder = PersonalReportFolder();
    QDir().mkpath(folder);
    QString file1;
    QString file2;
    std::vector<SaveCall> calls;
    switch (m_reportType) {
    case 1:
    case 2:
        calls = {{m_upper, name, &file1}};
        break;
    case 3:
        calls = {{m_lower, name, &file2}, {m_upper, name, &file1}};
        break;
    case 4:
        calls = {{m_upper, name, &file1}, {m_lower, name, &file2}};
        break;
    default:
        calls = {{m_upper, name, &file1}, {m_lower, name + QLatin1Char('2'), &file2}};
        break;
    }
    if (!WriteReport(folder, true, calls))
        return;
    HandOver(file1, file2);
    auto* app = CWinAppEx::Instance();
    platform::RegisteredMessages::Send(dynamic_cast<platform::MessageTarget*>(app ? app->GetMainWnd() : nullptr),
        InstanceMessages::Get().MSG_INST_FAVUPDATE);
    if (CDocument* document = GetDocument())
        document->SetModifiedFlag(false);
}

// Size and activation --------------------------------------------------------

namespace {

//! The size message activation posts; not a QResizeEvent, which Qt would
//! merge into one while both wait in the queue.
const QEvent::Type kSizeMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

bool CLumetraView::event(QEvent* event)
{
    if (event->type() == kSizeMessage) {
        OnSize();
        return true;
    }
    return CView::event(event);
}

void CLumetraView::resizeEvent(QResizeEvent* event)
{
    OnSize();
    CView::resizeEvent(event);
}

void CLumetraView::OnSize()
{
    ++m_sizeEvents;
    if (m_splitter) {
        const QRect area = rect().adjusted(m_inset, m_inset, -m_inset, -m_inset);
        // Every size event changes the splitter's size, so the controls
        // always lay themselves out again.
        m_inset = m_inset == kStartInset ? kStartInset + 1 : kStartInset;
        m_splitter->setGeometry(area);
    }
}

void CLumetraView::showEvent(QShowEvent* event)
{
    CView::showEvent(event);
    if (m_frame)
        return;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            m_frame = frame;
            connect(
                frame, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates before, Qt::WindowStates now) {
                    if (now.testFlag(Qt::WindowActive) && !before.testFlag(Qt::WindowActive))
                        OnActivateView(true);
                });
            break;
        }
    }
}

void CLumetraView::OnActivateView(bool activate)
{
    if (!activate)
        return;
    // Two size messages, so the controls lay themselves out again once the
    // window is in front.
    QCoreApplication::postEvent(this, new QEvent(kSizeMessage));
    QCoreApplication::postEvent(this, new QEvent(kSizeMessage));
}
