#pragma once

#include <QFrame>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace pivot {

struct PivotDefinition;
struct PivotTextStyle;
class PivotSession;
class PivotTableWidget;

//! The pivot table's property toolbox (object name "pivotPropertyToolbox"): the caption,
//! number format, font and colours of the selected total or field set, and the view's title
//! and grand totals. It follows the grid's selection (a value cell or a total's caption edits
//! that total, a header or field caption its field set) and writes every change into the
//! definition: captions and formats re-query, a change of look only repaints.
class PivotPropertyToolbox : public QFrame {
    Q_OBJECT
public:
    PivotPropertyToolbox(PivotSession* session, PivotTableWidget* table, QWidget* parent = nullptr);

    //! Edits the total NAME, or the field set NAME, until the selection moves on.
    void ShowTotal(const std::string& name);
    void ShowFieldSet(const std::string& name);
    //! Takes the grid's selection as what it edits.
    void FollowSelection();
    //! Fills the fields from the definition being edited.
    void Reload();

    //! What it edits: "total", "fieldset" or "" (only the view), and its name.
    const std::string& SubjectKind() const { return m_kind; }
    const std::string& SubjectName() const { return m_name; }

    //! The colours offered in the colour menus, "#RRGGBB".
    static const std::vector<std::string>& Swatches();

private:
    //! Applies EDIT to a copy of the definition; LOOKONLY edits (font, colours) repaint
    //! without a query when the view on show is the one edited.
    void Apply(const std::function<void(PivotDefinition&)>& edit, bool lookOnly);
    //! Applies EDIT to the style of the subject.
    void ApplyStyle(const std::function<void(PivotTextStyle&)>& edit);
    QToolButton* ColourButton(const QString& objectName, const QString& tip, bool fill);
    void SetSubject(const std::string& kind, const std::string& name);

    PivotSession* m_session;
    PivotTableWidget* m_table;
    std::string m_kind;
    std::string m_name;
    bool m_pinned = false;
    int m_row = -1;
    int m_column = -1;
    QLabel* m_subject;
    QLineEdit* m_caption;
    QComboBox* m_numberFormat;
    QComboBox* m_font;
    QSpinBox* m_fontSize;
    QToolButton* m_bold;
    QToolButton* m_italic;
    QToolButton* m_textColour;
    QToolButton* m_fillColour;
    QLineEdit* m_title;
    QCheckBox* m_rowGrandTotals;
    QCheckBox* m_columnGrandTotals;
};

} // namespace pivot
