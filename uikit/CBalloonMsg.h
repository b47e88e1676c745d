#pragma once

#include <QPointer>
#include <QWidget>

//! A warning balloon: a small tooltip-like window with a title, an icon and
//! a text, whose stem points at a field. It does not take the focus and goes
//! away after 10 seconds, when it is clicked, or when the active window, the
//! focus widget, the mouse grabber or the application state changes. When
//! the user has balloon tips off (EnableBalloonTips = 0 in the per-user
//! Explorer settings) or there is nothing to point at, a message box shows
//! the text instead, titled as the balloon.
class CBalloonMsg : public QWidget {
    Q_OBJECT
public:
    enum Icon { kIconNone = 0, kIconInfo = 1, kIconWarning = 2, kIconError = 3 };
    static constexpr int kTickMs = 30;
    static constexpr int kLifetimeMs = 10000;
    static constexpr int kMaxTipWidth = 250;

    //! Shows the balloon (or the message box); returns the balloon, or null
    //! when a message box was shown. The caller does not wait for the balloon.
    static CBalloonMsg* Show(QWidget* window, const QString& title, const QString& text, int icon);
    //! Whether the user has balloon tips on. Without the setting they are on.
    static bool BalloonTipsEnabled();

    QString Title() const { return m_title; }
    QString Text() const { return m_text; }
    QPoint Anchor() const { return m_anchor; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CBalloonMsg(const QString& title, const QString& text, int icon, const QPoint& anchor);
    //! Closes the balloon together with window (the field's dialog).
    void FollowWindow(QWidget* window);
    void OnTick();
    void Layout();

    struct FocusSnapshot {
        QPointer<QWidget> active;
        QPointer<QWidget> focus;
        QPointer<QWidget> grabber;
        int state = 0;
        bool operator==(const FocusSnapshot& other) const;
    };
    static FocusSnapshot TakeSnapshot();

    QString m_title;
    QString m_text;
    int m_icon;
    QPoint m_anchor;
    int m_ticks = 0;
    bool m_haveSnapshot = false;
    FocusSnapshot m_snapshot;
    bool m_stemUp = true;
    QRect m_bubble;
    QPointer<QWidget> m_window;
    class QTimer* m_timer;
};
