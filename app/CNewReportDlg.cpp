#include "app/CNewReportDlg.h"

#include "app/CLumetraApp.h"
#include "app/NewReportPictures.h"
#include "app/ResourceStrings.h"
#include "catalogue/CSelectOfficeDocDlg.h"
#include "catalogue/NameRequiredBalloon.h"
#include "framework/CDocTemplate.h"
#include "framework/CDocument.h"
#include "platform/messages/InstanceMessages.h"
#include "uikit/CXHtmlStatic.h"
#include "views/CSelectDataSourceDlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

// Row of each type in the dialog and the control ids of its button and text.
struct TypeRow {
    int buttonId;
    int textId;
};
constexpr TypeRow kRows[]
    = {{1091, 1083}, {1092, 1084}, {1093, 1087}, {1094, 1088}, {1095, 1089}, {1096, 1090}, {1100, 1099}};

} // namespace

QString CNewReportDlg::Description(int type)
{
    const QString head
        = QStringLiteral("<font face=\"verdana\"> <b>%1</b> <br>Report shows -- <font color=\"#0000FF\"> ");
    const QString linked = QStringLiteral(
        "Table and chart are connected, so if data in table changes chart will also update</font> -- </font>");
    const QString apart = QStringLiteral("Table and chart are <u>not</u> connected, so if data in table changes chart "
                                         "will <u>not</u> update</font> -- </font>");
    const QString both = QStringLiteral("a table and a chart on the information ");
    switch (type) {
    case 1:
        return head.arg(QStringLiteral("Report table:"))
            + QStringLiteral("a table on the information</font> -- </font>");
    case 2:
        return head.arg(QStringLiteral("Report chart:"))
            + QStringLiteral("a chart on the information</font> -- </font>");
    case 3:
        return head.arg(QStringLiteral("Report table and chart:")) + both + QStringLiteral("-- ") + linked;
    case 4:
        return head.arg(QStringLiteral("Report chart and table:")) + both + QStringLiteral(" -- ") + linked;
    case 5:
        return head.arg(QStringLiteral("Report table and chart:")) + both + QStringLiteral(" -- ") + apart;
    case 6:
        return head.arg(QStringLiteral("Report chart and table:")) + both + QStringLiteral(" -- ") + apart;
    case 7:
        return head.arg(QStringLiteral("Office Report:")) + QStringLiteral("Office documents </font>");
    default:
        return QString();
    }
}

CNewReportDlg::CNewReportDlg(QWidget* parent) : QDialog(parent), m_nameEdit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("newReportDialog"));
    setWindowTitle(QStringLiteral("Create new report..."));
    setWindowIcon(QIcon(QStringLiteral(":/images/new.svg")));
    m_nameEdit->setObjectName(QStringLiteral("reportNameEdit"));
    m_nameEdit->setProperty("controlId", 1098);
    m_nameEdit->setMinimumWidth(300);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CNewReportDlg::reject);

    auto* group = new QGroupBox(QStringLiteral("Reporttype"), this);
    auto* rows = new QGridLayout(group);
    auto* nameLabel = new QLabel(QStringLiteral("Enter Reportname:"), group);
    nameLabel->setBuddy(m_nameEdit);
    rows->addWidget(nameLabel, 0, 0);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_nameEdit, 1);
    nameRow->addWidget(cancel);
    rows->addLayout(nameRow, 0, 1);
    int row = 1;
    for (int type = 1; type <= kTypeCount; ++type) {
        // Lines set the independent pair and the Office document apart.
        if (type == 5 || type == 7) {
            auto* line = new QFrame(group);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            line->setProperty("controlId", type == 5 ? 1103 : 1104);
            rows->addWidget(line, row++, 0, 1, 2);
        }
        auto* button = new QToolButton(group);
        button->setObjectName(QStringLiteral("typeButton%1").arg(type));
        button->setProperty("controlId", kRows[type - 1].buttonId);
        const QPixmap picture = NewReportPicture(type, QSize(56, 44), devicePixelRatioF());
        button->setIcon(QIcon(picture));
        button->setIconSize(QSize(56, 44));
        button->setToolTip(QStringLiteral("Create report"));
        button->setAccessibleName(QStringLiteral("Create report type %1").arg(type));
        connect(button, &QToolButton::clicked, this, [this, type] { OnType(type); });
        auto* text = new CXHtmlStatic(Description(type), group);
        text->setObjectName(QStringLiteral("typeText%1").arg(type));
        text->setProperty("controlId", kRows[type - 1].textId);
        text->setMinimumWidth(380);
        rows->addWidget(button, row, 0, Qt::AlignCenter);
        rows->addWidget(text, row, 1);
        m_buttons[type - 1] = button;
        m_descriptions[type - 1] = text;
        ++row;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    m_nameEdit->setFocus();
}

bool CNewReportDlg::Run(QWidget* parent)
{
    if (parent && parent != parentWidget())
        setParent(parent, windowFlags());
    return exec() == QDialog::Accepted;
}

bool CNewReportDlg::SelectDataSource(XHTMLTREEDATA* record)
{
    CSelectDataSourceDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *record = dialog.Result();
    return true;
}

bool CNewReportDlg::SelectOfficeDocument(XHTMLTREEDATA* record)
{
    const auto* app = CLumetraApp::Instance();
    CSelectOfficeDocDlg dialog(app ? app->ReportPath : QString(), this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *record = dialog.Result();
    return true;
}

void CNewReportDlg::OnType(int type)
{
    const QString name = m_nameEdit->text();
    if (name.isEmpty()) {
        ShowNameRequiredBalloon(m_nameEdit);
        return;
    }
    auto* app = CLumetraApp::Instance();
    if (!app)
        return;
    XHTMLTREEDATA first;
    XHTMLTREEDATA second;
    if (type == 7) {
        if (!SelectOfficeDocument(&first))
            return;
    } else {
        if (!SelectDataSource(&first))
            return;
        if (type == 5 || type == 6) {
            // The second pane has its own data source; cancelling it opens nothing.
            if (!SelectDataSource(&second))
                return;
        } else {
            second = first;
        }
    }
    m_name = name;
    m_type = type;
    app->NewReportSource1 = first;
    if (type != 7)
        app->NewReportSource2 = second;
    app->CurrentReportName = name;
    app->NewReportSource1.strPlainText = name;

    CDocTemplate* docTemplate = type == 7 ? app->m_pOfficeTemplate : app->m_pOlapTemplate;
    CDocument* document = docTemplate ? docTemplate->OpenDocumentFile(app->GetMainWnd()) : nullptr;
    if (document) {
        const InstanceMessages& ids = InstanceMessages::Get();
        const unsigned hints[] = {ids.MSG_NEW_INST1, ids.MSG_NEW_INST2, ids.MSG_NEW_INST3, ids.MSG_NEW_INST4,
            ids.MSG_NEW_INST5, ids.MSG_NEW_INST6, ids.MSG_NEW_INST7};
        document->UpdateAllViews(nullptr, hints[type - 1], &m_name);
    }
    accept();
}
