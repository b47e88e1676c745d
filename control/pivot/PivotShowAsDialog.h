#pragma once

#include "control/pivot/model/PivotShowAs.h"

#include <QDialog>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;

namespace pivot {

//! Asks for the base field (and, for a difference, the base item) of a show-as mode that
//! compares or walks along a field set. Object name "showAsDialog"; its combo boxes are
//! "baseFieldCombo" and "baseItemCombo".
class PivotShowAsDialog : public QDialog {
    Q_OBJECT
public:
    //! Caption and unique name of a field set or member.
    using Choice = std::pair<std::string, std::string>;
    //! The members to offer as base items of a field set (by its unique name).
    using MemberList = std::function<std::vector<Choice>(const std::string& fieldSet)>;

    //! For mode MODE of CURRENT's total; FIELDSETS are the field sets on the rows and columns.
    PivotShowAsDialog(PivotShowAs::Mode mode, const PivotShowAs& current, const std::vector<Choice>& fieldSets,
        MemberList members, QWidget* parent = nullptr);

    //! The setting as chosen.
    PivotShowAs Result() const;

private:
    void FillItems();

    PivotShowAs::Mode m_mode;
    MemberList m_members;
    QComboBox* m_field = nullptr;
    QComboBox* m_item = nullptr;
};

} // namespace pivot
