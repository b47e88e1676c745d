#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringView>

#include <utility>

class QPainter;
class QRect;

//! The small HTML subset of item texts and static texts: <font color="..."
//! face="...">, <b>, <i>, <u>, <br> and the character entities. Colours are
//! names of the named-colour table or "#RRGGBB". Unknown tags are dropped; a
//! "<" not followed by a letter or "/", or without a ">" after it, and an
//! unknown entity stay as text.
class CXHtmlMarkup {
public:
    //! One stretch of text with one look, or a line break.
    struct Run {
        QString text;
        QColor color; //!< invalid: the default text colour
        QString face; //!< empty: the default font family
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool lineBreak = false;
    };

    //! The character entities the markup knows, in the order the plain-text
    //! conversion replaces them ("&amp;" first).
    static const QList<std::pair<QString, QChar>>& Entities();

    //! Splits markup into runs; never fails.
    static QList<Run> Parse(QStringView markup);

    //! The text a reader sees: a text of three characters or fewer, or one
    //! without "<" and "&", is its own plain text; otherwise every entity of
    //! Entities() is replaced in order, then every tag from "<" to the next
    //! ">" is removed (a "<" without ">" after it is removed alone).
    static QString PlainText(const QString& markup);

    //! The size the runs need with font as the base font.
    static QSize Measure(const QList<Run>& runs, const QFont& font);

    //! The runs cut to fit width pixels: each line that is wider loses its
    //! end at a character boundary and ends in "…" instead. Sets *elided
    //! when a line was cut. Lines that fit stay as they are.
    static QList<Run> Elide(const QList<Run>& runs, const QFont& font, int width, bool* elided = nullptr);

    //! Draws the runs into rect (lines vertically centred), with defaultColor
    //! for runs without a colour. Text beyond the rect is clipped.
    static void Draw(
        QPainter* painter, const QRect& rect, const QList<Run>& runs, const QFont& font, const QColor& defaultColor);
};
