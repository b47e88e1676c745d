#pragma once

#include <QWidget>

class CRibbonCategory;
class QAction;
class QHBoxLayout;
class QMenu;
class QStackedWidget;
class QTabBar;
class QToolBar;
class QToolButton;

//! A ribbon-style command bar: a quick-access toolbar, the application
//! button with its menu, the category tabs with elements at the right end
//! of the tab row, and the panels of the active category. Buttons show
//! actions, so their state follows the actions' update handlers.
class CRibbonBar : public QWidget {
    Q_OBJECT
public:
    explicit CRibbonBar(QWidget* parent = nullptr);

    //! The application button ("File"); its menu is set with SetApplicationMenu.
    QToolButton* ApplicationButton() const { return m_applicationButton; }
    void SetApplicationMenu(QMenu* menu);
    QToolBar* QuickAccessToolBar() const { return m_quickAccess; }

    CRibbonCategory* AddCategory(const QString& name);
    QList<CRibbonCategory*> Categories() const { return m_categories; }
    int ActiveCategory() const;
    void SetActiveCategory(int index);

    //! Puts a button at the right end of the tab row.
    QToolButton* AddTabElement(QAction* action, QMenu* dropDown = nullptr);

private:
    QToolButton* m_applicationButton;
    QToolBar* m_quickAccess;
    QTabBar* m_tabs;
    QHBoxLayout* m_tabRow;
    QStackedWidget* m_pages;
    QList<CRibbonCategory*> m_categories;
};
