#pragma once

#include "control/pivot/model/PivotConditionFilter.h"
#include "control/pivot/model/PivotMemberFilter.h"
#include "control/pivot/model/PivotTopFilter.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QComboBox;
class QSpinBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTreeView;

namespace olap::adomd {
class Level;
}

namespace pivot {

class PivotMemberCheckModel;

//! The member filter of one field set: a search box, a Select all box (partly checked when
//! some members are in), the members as a check tree with partly checked parents, how many
//! are in, and OK / Cancel. The tree is virtual, so a large level opens at once; a search
//! lists at most a thousand hits and says when there are more. OK is refused while no
//! member is in, since the view would show nothing. Below the list, the field set can keep
//! only its top or bottom N members by a total, and a label filter (caption begins with,
//! contains, equals, or not) or a value filter (a total greater than, less than, between or
//! not between bounds).
class PivotMemberFilterPopup : public QDialog {
    Q_OBJECT
public:
    //! The members under TOPLEVEL (the field set's first shown level), checked as FILTER says.
    PivotMemberFilterPopup(const QString& caption, const olap::adomd::Level& topLevel, const PivotMemberFilter& filter,
        QWidget* parent = nullptr);

    //! The filter the checks give (no filter when every member is in).
    PivotMemberFilter Filter() const;
    //! Offers a top or bottom N filter by one of TOTALS (name, caption), set as TOP says.
    //! Without totals the choice stays hidden.
    void SetTopChoices(const PivotTopFilter& top, const std::vector<std::pair<std::string, QString>>& totals);
    //! The top or bottom N filter chosen (mode None for "all items").
    PivotTopFilter TopFilter() const;
    //! Offers label filters, and value filters by one of TOTALS (name, caption), set as
    //! CONDITION says.
    void SetConditionChoices(
        const PivotConditionFilter& condition, const std::vector<std::pair<std::string, QString>>& totals);
    //! The label or value filter chosen (kind None for none).
    PivotConditionFilter Condition() const;
    QComboBox* ConditionKind() const { return m_conditionKind; }
    QLineEdit* ConditionText() const { return m_conditionText; }
    QComboBox* ConditionBy() const { return m_conditionBy; }
    QDoubleSpinBox* ConditionValue() const { return m_conditionValue; }
    QDoubleSpinBox* ConditionValue2() const { return m_conditionValue2; }
    QComboBox* TopMode() const { return m_topMode; }
    QSpinBox* TopCount() const { return m_topCount; }
    QComboBox* TopBy() const { return m_topBy; }
    PivotMemberCheckModel* Model() const { return m_model; }
    QTreeView* Tree() const { return m_tree; }
    QCheckBox* SelectAll() const { return m_selectAll; }
    QLineEdit* SearchEdit() const { return m_search; }
    QLabel* Note() const { return m_note; }
    QDialogButtonBox* Buttons() const { return m_buttons; }

private:
    void Sync();
    void SyncCondition();

    PivotMemberCheckModel* m_model;
    QLineEdit* m_search;
    QCheckBox* m_selectAll;
    QTreeView* m_tree;
    QLabel* m_note;
    QWidget* m_topRow;
    QComboBox* m_topMode;
    QSpinBox* m_topCount;
    QComboBox* m_topBy;
    QComboBox* m_conditionKind;
    QLineEdit* m_conditionText;
    QComboBox* m_conditionBy;
    QDoubleSpinBox* m_conditionValue;
    QLabel* m_conditionAnd;
    QDoubleSpinBox* m_conditionValue2;
    QDialogButtonBox* m_buttons;
};

} // namespace pivot
