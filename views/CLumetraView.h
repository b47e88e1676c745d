#pragma once

#include "catalogue/XHTMLTREEDATA.h"
#include "framework/CView.h"

#include <QHash>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class C_Vantorel;
class CSSplitter;
class QMdiSubWindow;

//! The view of an OLAP report window: one or two analysis controls stacked
//! in a splitter. It opens a catalogue report or a favourite, or starts a
//! new report, by asking the controls; it never reads report files itself.
//! Save and Add favourite ask the controls to write the files and hand the
//! file names to the main window (MSG_INST_UPDATE, MSG_INST_FAVUPDATE).
class CLumetraView : public CView {
    Q_OBJECT
public:
    static constexpr int kUpperControlId = 1075;
    static constexpr int kLowerControlId = 1076;
    static constexpr int kStartInset = 3;
    static constexpr int kSplitterMargin = 5;

    explicit CLumetraView(QWidget* parent = nullptr);
    ~CLumetraView() override;

    //! MSG_INST / MSG_USER_INST open the record given as object; MSG_NEW_INST1
    //! to MSG_NEW_INST7 start a new report of type 1 to 7. Others are ignored.
    void OnUpdate(CView* sender, unsigned hint, void* object) override;
    bool OnCmdMsg(int id) override;
    bool HandlesCommand(int id) const override;

    //! Opens the record: a favourite (files in the personal report folder)
    //! or a catalogue report. A null record does nothing.
    void OpenReport(const XHTMLTREEDATA* item, bool personal);
    //! Starts a new report of type 1..7 from the application's new-report
    //! name and data-source records.
    void NewReport(int type);
    //! Asks the controls to save and tells the main window; false (the
    //! previous files kept, the reason in the status bar) when it failed.
    bool Save();
    //! Files the report among the favourites and saves a personal copy.
    void AddFavorite();
    //! Activation: posts two size events to the view.
    void OnActivateView(bool activate);

    //! The Add favourite dialog as the view runs it: name in and out, the
    //! report's record in and out. Tests replace it.
    using FavoriteDialogRunner = std::function<void(QWidget* parent, QString* name, XHTMLTREEDATA** record)>;
    static void SetFavoriteDialogRunner(FavoriteDialogRunner runner);

    C_Vantorel* UpperControl() const { return m_upper; }
    C_Vantorel* LowerControl() const { return m_lower; }
    CSSplitter* Splitter() const { return m_splitter; }
    int ReportType() const { return m_reportType; }
    bool IsPersonal() const { return m_personal; }
    const QString& ReportName() const { return m_reportName; }
    const XHTMLTREEDATA& ItemCopy() const { return m_itemCopy; }
    int Inset() const { return m_inset; }
    //! Size events handled so far (real ones and those activation posts).
    int SizeEventCount() const { return m_sizeEvents; }
    //! The last text this view put into the status bar.
    const QString& LastStatus() const { return m_lastStatus; }

    //! The report folder, the user's personal report folder and the
    //! data-source folder, each ending in a separator.
    static QString ReportFolder();
    static QString PersonalReportFolder();
    static QString DataSourceFolder();
    //! The bare file name of a path (after the last / or \).
    static QString StripPath(const QString& path);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnInitialUpdate();
    //! Moves the splitter into the client area less the inset, switching
    //! the inset between 3 and 4 so that every call changes its size.
    void OnSize();
    void SetTitle(const QString& title);
    void ShowStatus(const QString& text);
    void HandOver(const QString& file1, const QString& file2);
    //! A reason either control gave for a failing step since it last said
    //! upperBefore and lowerBefore, or empty.
    QString NewControlError(const QString& upperBefore, const QString& lowerBefore);
    //! One save request: which control saves under which name, and where the
    //! file name it returns goes.
    struct SaveCall {
        C_Vantorel* control;
        QString name;
        QString* result;
    };
    //! Runs the save calls in order into folder (SaveReportAs with the
    //! data-source folder when personal). On any failure the files the calls
    //! may have written are put back as they were and the user is told;
    //! after success the status bar says whether another window's or
    //! program's save was replaced.
    bool WriteReport(const QString& folder, bool personal, const std::vector<SaveCall>& calls);
    //! The files a save under name in folder may write (pivot and chart file).
    static QStringList TargetFiles(const QString& folder, const QString& name);
    //! Records what this window last saw of the report files it works on.
    void Remember(const QStringList& files);
    //! Whether any of files changed since this window last saw it.
    bool ChangedElsewhere(const QStringList& files) const;

    QString m_reportName;
    XHTMLTREEDATA m_itemCopy;
    const XHTMLTREEDATA* m_item = nullptr;
    int m_reportType = 0;
    int m_inset = kStartInset;
    bool m_personal = false;
    C_Vantorel* m_upper;
    C_Vantorel* m_lower;
    CSSplitter* m_splitter = nullptr;
    QPointer<QMdiSubWindow> m_frame;
    int m_sizeEvents = 0;
    QString m_lastStatus;
    //! Per report file: the save generation and the file's stamp when this window last saw it.
    struct Seen {
        int generation = 0;
        QString stamp;
    };
    QHash<QString, Seen> m_seen;
};
