#include "views/ReportPlaceholder.h"

#include "catalogue/XHTMLTREEDATA.h"
#include "framework/CDocument.h"
#include "framework/CView.h"

#include <QIcon>
#include <QLabel>
#include <QMdiSubWindow>
#include <QVBoxLayout>

ReportPlaceholder::ReportPlaceholder(CView* view, const QString& icon)
    : m_view(view), m_label(new QLabel(view)), m_icon(icon)
{
    m_label->setObjectName(QStringLiteral("reportPlaceholder"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::RichText);
    auto* layout = new QVBoxLayout(view);
    layout->addWidget(m_label);
    view->setAutoFillBackground(true);
    view->setBackgroundRole(QPalette::Base);
}

void ReportPlaceholder::Show(const XHTMLTREEDATA& record)
{
    const QString title = record.strPlainText;
    m_label->setText(
        QStringLiteral("<h2>%1</h2><p style='color:#5b6b7f'>%2<br>%3</p>")
            .arg(title.toHtmlEscaped(), record.Filename1.toHtmlEscaped(), record.Filename2.toHtmlEscaped()));
    if (CDocument* document = m_view->GetDocument())
        document->SetTitle(title);
    for (QWidget* w = m_view->parentWidget(); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(w)) {
            frame->setWindowTitle(title);
            frame->setWindowIcon(QIcon(m_icon));
            break;
        }
    }
}
