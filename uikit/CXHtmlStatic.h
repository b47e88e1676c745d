#pragma once

#include "uikit/CXHtmlMarkup.h"

#include <QWidget>

//! A static text drawn from the markup of CXHtmlMarkup (font face, colour,
//! bold, italic, underline, <br>), wrapped at word boundaries to the
//! widget's width. Its height follows its width.
class CXHtmlStatic : public QWidget {
    Q_OBJECT
public:
    explicit CXHtmlStatic(QWidget* parent = nullptr);
    explicit CXHtmlStatic(const QString& markup, QWidget* parent = nullptr);

    void SetWindowText(const QString& markup);
    const QString& WindowText() const { return m_markup; }
    //! The text without markup (what a screen reader gets).
    QString PlainText() const { return CXHtmlMarkup::PlainText(m_markup); }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    //! One word (or the space after it) placed on a line.
    struct Piece {
        QString text;
        int run = 0;
        QRect rect;
    };
    QList<Piece> Layout(int width, int* height) const;
    QFont FontOf(const CXHtmlMarkup::Run& run) const;

    QString m_markup;
    QList<CXHtmlMarkup::Run> m_runs;
};
