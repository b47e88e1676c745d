#pragma once

#include <QDockWidget>
#include <QIcon>

class QLabel;
class QLineEdit;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class QHBoxLayout;

//! An Outlook-style navigation bar: a caption naming the current page, the
//! pages themselves, one large page button per page and a row of small page
//! buttons. Switching pages can be animated (the new page slides in). Pages
//! can be renamed in place (double-click a page button) and detached into a
//! floating window of their own (context menu of a page button); closing
//! that window puts the page back.
class CNavigationBar : public QDockWidget {
    Q_OBJECT
public:
    CNavigationBar(const QString& caption, QWidget* parent = nullptr);

    //! Adds a page and returns its index; the first page becomes current.
    int AddPage(QWidget* page, const QString& title, const QIcon& largeImage, const QIcon& smallImage);
    int PageCount() const;
    QWidget* Page(int index) const;
    QString PageTitle(int index) const;

    int CurrentPage() const { return m_current; }
    void SetCurrentPage(int index);

    bool Animation() const { return m_animation; }
    void SetAnimation(bool on) { m_animation = on; }

    bool PagesRenamable() const { return m_renamable; }
    void SetPagesRenamable(bool on) { m_renamable = on; }
    //! Starts renaming a page in place; Enter keeps the new name, Escape drops it.
    void BeginRename(int index);
    void RenamePage(int index, const QString& title);

    void DetachPage(int index);
    void AttachPage(int index);
    bool IsPageDetached(int index) const;

    //! The page button of a page (tests click it).
    QToolButton* PageButton(int index) const;
    //! The in-place editor while a page is being renamed, else null.
    QLineEdit* RenameEditor() const { return m_editor; }

signals:
    void currentPageChanged(int index);
    void pageRenamed(int index, const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PageInfo {
        QWidget* page = nullptr;
        QString title;
        QToolButton* button = nullptr;
        QToolButton* smallButton = nullptr;
        QDockWidget* floating = nullptr;
    };
    void ShowPageMenu(int index, const QPoint& globalPos);
    void FinishRename(bool keep);
    void Slide(QWidget* from, QWidget* to);

    QLabel* m_header;
    QStackedWidget* m_pages;
    QVBoxLayout* m_buttons;
    QHBoxLayout* m_smallButtons;
    QList<PageInfo> m_info;
    int m_current = -1;
    bool m_animation = true;
    bool m_renamable = false;
    QLineEdit* m_editor = nullptr;
    int m_renaming = -1;
};
