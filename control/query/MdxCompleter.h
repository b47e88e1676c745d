#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

class QCompleter;
class QPlainTextEdit;
class QStringListModel;

//! Completes names in an MDX text box: the engine's function names and the schema names the
//! owner adds (measures, dimensions, levels, members). Ctrl+Space opens the list for the word
//! before the cursor; typing opens it by itself once the word holds three characters or
//! starts with "[". A word runs back over names, dots and whole bracketed names, so
//! "[Store].[Co" finds "[Store].[Country]"; names are matched anywhere in the word, without
//! regard to case. Choosing an entry replaces the word.
class MdxCompleter : public QObject {
    Q_OBJECT

public:
    explicit MdxCompleter(QPlainTextEdit* editor);

    //! Adds schema names to the list (duplicates are dropped). Never fails.
    void AddNames(const QStringList& names);
    //! Drops the schema names; the function names stay.
    void ClearNames();
    //! Every name the list offers now.
    QStringList Names() const;
    //! The word that a completion at the editor's cursor would replace.
    QString WordBeforeCursor() const;
    //! The completer's popup list (tests and accessibility tools).
    QCompleter* Completer() const { return m_completer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();
    void Insert(const QString& completion);
    void Popup();
    void OnTextChanged();

    QPlainTextEdit* m_editor;
    QCompleter* m_completer;
    QStringListModel* m_model;
    QStringList m_schemaNames;
    QSet<QString> m_known;
    bool m_typed = false;
};
