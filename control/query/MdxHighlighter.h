#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

//! Colours MDX text as the engine's lexer reads it: keywords, function names (a name followed
//! by "(" or after a "."), bracketed names (with "]]" inside), strings, numbers and comments
//! ("--" and "//" to the end of the line, "/* */" across lines).
class MdxHighlighter : public QSyntaxHighlighter {
public:
    explicit MdxHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat m_keyword;
    QTextCharFormat m_function;
    QTextCharFormat m_name;
    QTextCharFormat m_string;
    QTextCharFormat m_number;
    QTextCharFormat m_comment;
};
