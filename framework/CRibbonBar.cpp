#include "framework/CRibbonBar.h"

#include "framework/CRibbonCategory.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

CRibbonBar::CRibbonBar(QWidget* parent)
    : QWidget(parent), m_applicationButton(new QToolButton(this)), m_quickAccess(new QToolBar(this)),
      m_tabs(new QTabBar(this)), m_tabRow(new QHBoxLayout), m_pages(new QStackedWidget(this))
{
    setObjectName(QStringLiteral("ribbonBar"));
    setAttribute(Qt::WA_StyledBackground);

    m_quickAccess->setObjectName(QStringLiteral("quickAccessToolBar"));
    m_quickAccess->setIconSize(QSize(16, 16));
    m_quickAccess->setMovable(false);
    m_quickAccess->setFloatable(false);
    m_quickAccess->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_applicationButton->setObjectName(QStringLiteral("applicationButton"));
    m_applicationButton->setPopupMode(QToolButton::InstantPopup);
    m_applicationButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_applicationButton->setText(tr("File"));
    m_applicationButton->setCursor(Qt::PointingHandCursor);

    m_tabs->setObjectName(QStringLiteral("ribbonTabs"));
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);

    m_pages->setObjectName(QStringLiteral("ribbonPages"));
    m_pages->setFixedHeight(96);

    auto* topRow = new QHBoxLayout;
    topRow->setContentsMargins(4, 0, 4, 0);
    topRow->addWidget(m_quickAccess);
    topRow->addStretch();

    m_tabRow->setContentsMargins(0, 0, 6, 0);
    m_tabRow->setSpacing(2);
    m_tabRow->addWidget(m_applicationButton);
    m_tabRow->addSpacing(4);
    m_tabRow->addWidget(m_tabs, 0, Qt::AlignBottom);
    m_tabRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(topRow);
    layout->addLayout(m_tabRow);
    layout->addWidget(m_pages);

    connect(m_tabs, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);
}

void CRibbonBar::SetApplicationMenu(QMenu* menu)
{
    m_applicationButton->setMenu(menu);
}

CRibbonCategory* CRibbonBar::AddCategory(const QString& name)
{
    auto* category = new CRibbonCategory(name, m_pages);
    m_pages->addWidget(category);
    m_tabs->addTab(name);
    m_categories.append(category);
    return category;
}

int CRibbonBar::ActiveCategory() const
{
    return m_tabs->currentIndex();
}

void CRibbonBar::SetActiveCategory(int index)
{
    m_tabs->setCurrentIndex(index);
}

QToolButton* CRibbonBar::AddTabElement(QAction* action, QMenu* dropDown)
{
    auto* button = new QToolButton(this);
    button->setObjectName(action->objectName() + QStringLiteral("Button"));
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setToolButtonStyle(action->icon().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
    if (dropDown) {
        button->setMenu(dropDown);
        button->setPopupMode(QToolButton::InstantPopup);
    }
    m_tabRow->addWidget(button, 0, Qt::AlignVCenter);
    return button;
}
