#include "framework/CRibbonCategory.h"

#include "framework/CRibbonPanel.h"

#include <QFrame>
#include <QHBoxLayout>

CRibbonCategory::CRibbonCategory(const QString& name, QWidget* parent)
    : QWidget(parent), m_name(name), m_layout(new QHBoxLayout(this))
{
    setObjectName(QStringLiteral("ribbonCategory"));
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_layout->setSpacing(0);
    m_layout->addStretch();
}

CRibbonPanel* CRibbonCategory::AddPanel(const QString& caption, const QIcon& image)
{
    auto* panel = new CRibbonPanel(caption, image, this);
    m_layout->insertWidget(m_layout->count() - 1, panel);
    m_panels.append(panel);
    return panel;
}
