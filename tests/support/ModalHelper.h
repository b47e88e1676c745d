#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

// Acts on the next modal dialog as a user would: waits until it is shown,
// hands it to act (which clicks its buttons), and gives up after a timeout
// so a test never hangs.
inline void WhenModalShows(std::function<void(QWidget*)> act, int timeoutMs = 5000)
{
    auto* timer = new QTimer;
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act, elapsed, timeoutMs] {
        *elapsed += 20;
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (*elapsed > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// Clicks the message box button with the given role (Yes, No, Cancel, Ok).
inline void ClickMessageBoxButton(QWidget* modal, QMessageBox::StandardButton which, QString* text = nullptr)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box)
        return;
    if (text)
        *text = box->text();
    if (QAbstractButton* button = box->button(which))
        QTest::mouseClick(button, Qt::LeftButton);
}
