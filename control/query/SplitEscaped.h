#pragma once

#include <QString>
#include <QStringList>

//! Splits TEXT at every character of DELIMITERS (matched without regard to case). A delimiter
//! right after the first character of ESCAPE does not split: the escape character is dropped
//! and the delimiter kept in the piece. With TRIM, blanks around each piece are removed. An
//! empty TEXT gives one empty piece; a trailing delimiter gives a trailing empty piece. Never
//! fails.
QStringList SplitEscaped(const QString& text, const QString& delimiters, const QString& escape, bool trim);
