#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

//! Text helpers of the catalogue file format.
class CatalogueText {
public:
    //! White space as the format trims it: space, TAB, LF, VT, FF, CR.
    static bool IsSpace(QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

    //! text without leading and trailing white space (IsSpace).
    static QString Trim(QStringView text);

    //! Escapes an attribute value: "&" first, then "<", ">" and the double quote.
    static QString Escape(QStringView text);

    //! The bytes of a catalogue file for text, one byte per character:
    //! U+0001..U+007F and U+00A0..U+00FF as the byte of the same value, each
    //! line feed as CR LF. Characters the 8-bit reading would not give back
    //! (U+0080..U+009F and everything above U+00FF) become numeric
    //! character references "&#N;"; U+0000 is dropped, since a zero byte
    //! would end the file for the reader.
    static QByteArray EncodeFile(QStringView text);

    //! Decodes file bytes up to the first zero byte with Windows-1252 (bytes
    //! that code page leaves undefined map to the code point of equal value).
    static QString DecodeFile(const char* bytes, qsizetype length);
};
