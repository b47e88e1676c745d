#include "framework/CRibbonPanel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kSmallPerColumn = 3;

QString ButtonObjectName(const QAction* action)
{
    return action->objectName().isEmpty() ? QString() : action->objectName() + QStringLiteral("Button");
}

} // namespace

CRibbonPanel::CRibbonPanel(const QString& caption, const QIcon& image, QWidget* parent)
    : QFrame(parent), m_caption(caption), m_image(image), m_buttons(new QHBoxLayout)
{
    setObjectName(QStringLiteral("ribbonPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 1);
    layout->setSpacing(1);
    m_buttons->setSpacing(2);
    m_buttons->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_buttons, 1);
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("ribbonPanelCaption"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

QToolButton* CRibbonPanel::AddLargeButton(QAction* action, QMenu* dropDown)
{
    auto* button = new QToolButton(this);
    button->setObjectName(ButtonObjectName(action));
    button->setProperty("ribbonSize", QStringLiteral("large"));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    button->setMinimumWidth(58);
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    if (dropDown) {
        button->setMenu(dropDown);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_buttons->addWidget(button);
    m_smallColumn = nullptr;
    return button;
}

QToolButton* CRibbonPanel::AddSmallButton(QAction* action)
{
    if (!m_smallColumn || m_smallInColumn == kSmallPerColumn) {
        m_smallColumn = new QVBoxLayout;
        m_smallColumn->setSpacing(0);
        m_smallColumn->addStretch();
        m_buttons->addLayout(m_smallColumn);
        m_smallInColumn = 0;
    }
    auto* button = new QToolButton(this);
    button->setObjectName(ButtonObjectName(action));
    button->setProperty("ribbonSize", QStringLiteral("small"));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_smallColumn->insertWidget(m_smallColumn->count() - 1, button);
    ++m_smallInColumn;
    return button;
}
