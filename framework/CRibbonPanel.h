#pragma once

#include <QFrame>
#include <QIcon>

class QAction;
class QHBoxLayout;
class QMenu;
class QToolButton;
class QVBoxLayout;

//! A group of ribbon buttons with its caption below them. Large buttons
//! stand alone with a 32-pixel image and the text below it; small buttons
//! stack three to a column with a 16-pixel image and the text beside it.
class CRibbonPanel : public QFrame {
    Q_OBJECT
public:
    CRibbonPanel(const QString& caption, const QIcon& image, QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    //! The image shown when the panel is collapsed.
    QIcon Image() const { return m_image; }

    //! Adds a large button for action; with a drop-down menu the button
    //! itself still runs the action (its default command).
    QToolButton* AddLargeButton(QAction* action, QMenu* dropDown = nullptr);
    QToolButton* AddSmallButton(QAction* action);

private:
    QString m_caption;
    QIcon m_image;
    QHBoxLayout* m_buttons;
    QVBoxLayout* m_smallColumn = nullptr;
    int m_smallInColumn = 0;
};
