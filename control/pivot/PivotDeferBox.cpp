#include "control/pivot/PivotDeferBox.h"

#include "control/pivot/PivotSession.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace pivot {

PivotDeferBox::PivotDeferBox(PivotSession* session, QWidget* parent)
    : QWidget(parent), m_session(session), m_defer(new QCheckBox(tr("Defer layout update"), this)),
      m_update(new QPushButton(tr("Update"), this))
{
    setObjectName(QStringLiteral("deferLayoutBox"));
    m_defer->setObjectName(QStringLiteral("deferLayoutCheck"));
    m_defer->setToolTip(tr("Change the areas without querying; Update shows the new layout"));
    m_update->setObjectName(QStringLiteral("updateLayoutButton"));
    m_update->setToolTip(tr("Run the query of the layout in the areas"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_defer, 1);
    layout->addWidget(m_update);
    connect(m_defer, &QCheckBox::toggled, m_session, &PivotSession::SetDeferred);
    connect(m_update, &QPushButton::clicked, m_session, [this] { m_session->Update(); });
    for (auto signal : {&PivotSession::definitionChanged, &PivotSession::layoutChanged})
        connect(m_session, signal, this, &PivotDeferBox::Sync);
    connect(m_session, &PivotSession::workingChanged, this, &PivotDeferBox::Sync);
    connect(m_session, &PivotSession::deferredChanged, this, &PivotDeferBox::Sync);
    Sync();
}

void PivotDeferBox::Sync()
{
    m_defer->setChecked(m_session->IsDeferred());
    m_update->setEnabled(m_session->IsPending());
}

} // namespace pivot
