#pragma once

#include "platform/dispatch/IControlWindow.h"
#include "platform/dispatch/IDispatchObject.h"
#include "views/C_Vantorel.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

// A stand-in for the analysis control: it records every call in one log
// shared by all fakes ("c1.OpenCube(...)"), writes report files as the
// control does (folder + name + ".xml", and the Chart sibling while it shows
// a chart) with its own name and what it shows as content, and binds pivot
// tables by reference.
class FakeVantorel : public platform::IDispatchObject, public platform::IControlWindow {
public:
    struct Pivot : platform::IDispatchObject {
        explicit Pivot(QString owner) : owner(std::move(owner)) { }
        platform::HResult Invoke(platform::DispId, platform::InvokeKind, std::vector<platform::Variant>&,
            platform::Variant*, platform::DispatchException*) override
        {
            return platform::kDispEMemberNotFound;
        }
        QString owner;
    };

    static inline QStringList log;
    static inline std::vector<FakeVantorel*> made;
    // Save calls counted across fakes; the one numbered failAtSave fails
    // after scribbling over its file, as a disk that fills up would.
    static inline int saveCalls = 0;
    static inline int failAtSave = -1;
    // A member every fake refuses (0: none), with the control's own description.
    static inline platform::DispId failMember = 0;
    static inline QString connectAnswer = QStringLiteral("server\tSales\tProvider=MSOLAP; Data Source=Sales.cub");

    static void Install()
    {
        log.clear();
        made.clear();
        saveCalls = 0;
        failAtSave = -1;
        failMember = 0;
        C_Vantorel::SetObjectMaker(
            [](const QString& classId, std::shared_ptr<platform::IDispatchObject>* out, QString*) {
                if (classId != QLatin1String(C_Vantorel::kClassId))
                    return platform::kRegdbEClassNotReg;
                auto fake = std::make_shared<FakeVantorel>(QStringLiteral("c%1").arg(made.size() + 1));
                made.push_back(fake.get());
                *out = fake;
                return platform::kSOk;
            });
    }
    static void Uninstall()
    {
        C_Vantorel::SetObjectMaker({});
        made.clear();
    }
    static FakeVantorel* Of(C_Vantorel* host) { return dynamic_cast<FakeVantorel*>(host->Object()); }

    explicit FakeVantorel(QString name) : name(std::move(name)), pivot(std::make_shared<Pivot>(this->name)) { }
    ~FakeVantorel() override { std::erase(made, this); }

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override
    {
        // The control's last error is asked after calls; the fake has none to tell.
        if (id == C_Vantorel::kLastError)
            return platform::kDispEMemberNotFound;
        QStringList texts;
        for (const platform::Variant& a : args)
            texts += a.type() == platform::Variant::Type::Object ? QStringLiteral("<pivot>") : a.toString();
        const QString call = QStringLiteral("%1(%2)").arg(Member(id, kind), texts.join(QLatin1Char(',')));
        log += name + QLatin1Char('.') + call;
        if (id == failMember) {
            exception->description = QStringLiteral("The cube is offline");
            return platform::kDispEException;
        }
        switch (id) {
        case C_Vantorel::kOpenReportOfType:
        case C_Vantorel::kOpenCube:
            shows = args.back().toInt() == 2 ? QStringLiteral("chart") : QStringLiteral("table");
            source = args.front().toString();
            return platform::kSOk;
        case C_Vantorel::kPivottable:
            if (kind == platform::InvokeKind::PropertyGet) {
                *result = platform::Variant(std::static_pointer_cast<platform::IDispatchObject>(pivot));
            } else {
                bound = std::dynamic_pointer_cast<Pivot>(args.front().toObject());
                if (shows.isEmpty())
                    shows = QStringLiteral("chart");
            }
            return platform::kSOk;
        case C_Vantorel::kSaveReport:
        case C_Vantorel::kSaveReportAs: {
            const QString file = args[1].toString() + args[0].toString() + QStringLiteral(".xml");
            const bool fail = ++saveCalls == failAtSave;
            if (shows == QLatin1String("chart"))
                Write(file.left(file.size() - 4) + QStringLiteral("Chart.xml"), fail);
            Write(file, fail);
            if (fail) {
                exception->source = QStringLiteral("Vantorel");
                exception->description = QStringLiteral("No space left on device");
                return platform::kDispEException;
            }
            *result = platform::Variant(file);
            return platform::kSOk;
        }
        case C_Vantorel::kGetCubeConnection:
            *result = platform::Variant(connectAnswer);
            return platform::kSOk;
        case C_Vantorel::kShowToolbar:
            toolbar = true;
            return platform::kSOk;
        case C_Vantorel::kHideToolbar:
            toolbar = false;
            return platform::kSOk;
        default:
            return platform::kDispEMemberNotFound;
        }
    }
    platform::IControlWindow* AsControlWindow() override { return this; }
    QWidget* ControlWindow(QWidget* parent) override
    {
        if (!window) {
            window = new QLabel(name, parent);
            window->setObjectName(QStringLiteral("fakeControlWindow"));
        } else if (window->parentWidget() != parent) {
            window->setParent(parent);
        }
        return window;
    }
    void SetEventSink(EventSink sink) override { this->sink = std::move(sink); }

    static QString Member(platform::DispId id, platform::InvokeKind kind)
    {
        switch (id) {
        case C_Vantorel::kHideToolbar:
            return QStringLiteral("HideToolbar");
        case C_Vantorel::kShowToolbar:
            return QStringLiteral("ShowToolbar");
        case C_Vantorel::kOpenReportOfType:
            return QStringLiteral("OppnaRapportTyp");
        case C_Vantorel::kOpenCube:
            return QStringLiteral("OpenCube");
        case C_Vantorel::kPivottable:
            return kind == platform::InvokeKind::PropertyGet ? QStringLiteral("GetPivottable")
                                                             : QStringLiteral("PutPivottable");
        case C_Vantorel::kSaveReport:
            return QStringLiteral("SaveReport");
        case C_Vantorel::kSaveReportAs:
            return QStringLiteral("SaveReportAs");
        case C_Vantorel::kGetCubeConnection:
            return QStringLiteral("GetCubeConnection");
        default:
            return QStringLiteral("0x%1").arg(id, 8, 16, QLatin1Char('0'));
        }
    }

    QString name;
    std::shared_ptr<Pivot> pivot;
    std::shared_ptr<Pivot> bound;
    QString shows;
    QString source;
    bool toolbar = true;
    QPointer<QLabel> window;
    EventSink sink;

private:
    void Write(const QString& file, bool scribble)
    {
        QFile out(file);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(scribble ? QByteArray("<xml trunc") : (name + QLatin1Char(' ') + shows).toUtf8());
    }
};
