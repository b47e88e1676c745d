#include "control/query/MdxCompleter.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>

namespace {

// The functions and set words the engine answers, as they are written in queries.
const QStringList& FunctionNames()
{
    static const QStringList names {QStringLiteral("Members"), QStringLiteral("AllMembers"), QStringLiteral("Children"),
        QStringLiteral("Parent"), QStringLiteral("FirstChild"), QStringLiteral("LastChild"),
        QStringLiteral("FirstSibling"), QStringLiteral("LastSibling"), QStringLiteral("Siblings"),
        QStringLiteral("PrevMember"), QStringLiteral("NextMember"), QStringLiteral("Lag"), QStringLiteral("Lead"),
        QStringLiteral("CurrentMember"), QStringLiteral("DefaultMember"), QStringLiteral("Level"),
        QStringLiteral("Levels"), QStringLiteral("Dimension"), QStringLiteral("Hierarchy"), QStringLiteral("Ancestor"),
        QStringLiteral("Ascendants"), QStringLiteral("Descendants"), QStringLiteral("CrossJoin"),
        QStringLiteral("NonEmptyCrossJoin"), QStringLiteral("NonEmpty"), QStringLiteral("Union"),
        QStringLiteral("Except"), QStringLiteral("Intersect"), QStringLiteral("Distinct"),
        QStringLiteral("Hierarchize"), QStringLiteral("Order"), QStringLiteral("TopCount"),
        QStringLiteral("BottomCount"), QStringLiteral("TopPercent"), QStringLiteral("BottomPercent"),
        QStringLiteral("TopSum"), QStringLiteral("BottomSum"), QStringLiteral("Head"), QStringLiteral("Tail"),
        QStringLiteral("Subset"), QStringLiteral("Filter"), QStringLiteral("Generate"), QStringLiteral("Extract"),
        QStringLiteral("DrilldownLevel"), QStringLiteral("DrilldownMember"), QStringLiteral("Count"),
        QStringLiteral("Aggregate"), QStringLiteral("Sum"), QStringLiteral("Avg"), QStringLiteral("Min"),
        QStringLiteral("Max"), QStringLiteral("IIf"), QStringLiteral("CoalesceEmpty"), QStringLiteral("IsEmpty"),
        QStringLiteral("Name"), QStringLiteral("UniqueName"), QStringLiteral("Caption"), QStringLiteral("Properties"),
        QStringLiteral("PeriodsToDate"), QStringLiteral("YTD"), QStringLiteral("QTD"), QStringLiteral("MTD"),
        QStringLiteral("ParallelPeriod"), QStringLiteral("OpeningPeriod"), QStringLiteral("ClosingPeriod"),
        QStringLiteral("LastPeriods"), QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"),
        QStringLiteral("COLUMNS"), QStringLiteral("ROWS"), QStringLiteral("NON EMPTY"), QStringLiteral("DRILLTHROUGH")};
    return names;
}

bool IsNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

MdxCompleter::MdxCompleter(QPlainTextEdit* editor)
    : QObject(editor), m_editor(editor), m_completer(new QCompleter(this)), m_model(new QStringListModel(this))
{
    m_completer->setModel(m_model);
    m_completer->setWidget(editor);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_completer->popup()->setObjectName(QStringLiteral("completionList"));
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this, &MdxCompleter::Insert);
    editor->installEventFilter(this);
    // Filters installed later run first: this one answers Enter and Tab on the list before the
    // completer passes them to the editor, which would take them as a new line.
    m_completer->popup()->installEventFilter(this);
    connect(editor, &QPlainTextEdit::textChanged, this, &MdxCompleter::OnTextChanged);
    Refresh();
}

void MdxCompleter::AddNames(const QStringList& names)
{
    for (const QString& name : names) {
        if (!name.isEmpty() && !m_known.contains(name)) {
            m_known.insert(name);
            m_schemaNames.append(name);
        }
    }
    Refresh();
}

void MdxCompleter::ClearNames()
{
    m_schemaNames.clear();
    m_known.clear();
    Refresh();
}

QStringList MdxCompleter::Names() const
{
    return m_model->stringList();
}

void MdxCompleter::Refresh()
{
    m_model->setStringList(m_schemaNames + FunctionNames());
}

QString MdxCompleter::WordBeforeCursor() const
{
    const QTextCursor cursor = m_editor->textCursor();
    const QString text = cursor.block().text().left(cursor.positionInBlock());
    qsizetype start = text.size();
    // Inside a bracketed name that is still open, the word starts at its bracket.
    const qsizetype open = text.lastIndexOf(QLatin1Char('['));
    if (open >= 0 && text.indexOf(QLatin1Char(']'), open) < 0)
        start = open;
    while (start > 0) {
        const QChar c = text[start - 1];
        if (c == QLatin1Char(']')) {
            const qsizetype bracket = text.lastIndexOf(QLatin1Char('['), start - 1);
            if (bracket < 0)
                break;
            start = bracket;
        } else if (c == QLatin1Char('.') || IsNamePart(c)) {
            --start;
        } else {
            break;
        }
    }
    QString word = text.mid(start);
    // After a dot a bare word is a function (".Mem" for "Members"); a bracketed one continues
    // the unique name ("[Store].[Co").
    const qsizetype dot = word.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && !word.mid(dot + 1).startsWith(QLatin1Char('[')) && word.indexOf(QLatin1Char('['), dot) < 0)
        return word.mid(dot + 1);
    return word;
}

void MdxCompleter::Insert(const QString& completion)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(WordBeforeCursor().size()));
    cursor.insertText(completion);
    m_editor->setTextCursor(cursor);
}

void MdxCompleter::OnTextChanged()
{
    if (!m_typed)
        return;
    m_typed = false;
    const QString word = WordBeforeCursor();
    if (word.size() >= 3 || word.startsWith(QLatin1Char('[')))
        Popup();
    else
        m_completer->popup()->hide();
}

void MdxCompleter::Popup()
{
    const QString word = WordBeforeCursor();
    m_completer->setCompletionPrefix(word);
    // Nothing to offer, or only the word itself: Enter must stay a new line.
    if (m_completer->completionCount() == 0
        || (m_completer->completionCount() == 1
            && m_completer->currentCompletion().compare(word, Qt::CaseInsensitive) == 0)) {
        m_completer->popup()->hide();
        return;
    }
    QRect rect = m_editor->cursorRect();
    rect.setWidth(
        m_completer->popup()->sizeHintForColumn(0) + m_completer->popup()->verticalScrollBar()->sizeHint().width());
    m_completer->complete(rect);
    m_completer->popup()->setCurrentIndex(m_completer->completionModel()->index(0, 0));
}

bool MdxCompleter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QAbstractItemView* popup = m_completer->popup();
    if (watched == popup) {
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab: {
            const QModelIndex current = popup->currentIndex();
            popup->hide();
            if (current.isValid())
                Insert(current.data().toString());
            return true;
        }
        case Qt::Key_Escape:
            popup->hide();
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
    if (watched != m_editor)
        return QObject::eventFilter(watched, event);
    if (key->key() == Qt::Key_Space && key->modifiers().testFlag(Qt::ControlModifier)) {
        Popup();
        return true;
    }
    // Typed text opens the list once the editor has taken the key (see OnTextChanged).
    m_typed = !key->text().isEmpty() && key->text().at(0).isPrint();
    return QObject::eventFilter(watched, event);
}
