#include "control/pivot/PivotShowAsMenu.h"

#include "control/pivot/model/PivotShowAsEdit.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

#include <set>

namespace pivot {

QString PivotShowAsMenu::ActionName(PivotShowAs::Mode mode)
{
    const std::string name = PivotShowAs::ModeName(mode);
    return QStringLiteral("showAs%1Action").arg(name.empty() ? QStringLiteral("Normal") : QString::fromStdString(name));
}

std::vector<PivotShowAsDialog::Choice> PivotShowAsMenu::ShownMembers(
    const PivotLayout& layout, const std::string& fieldSet)
{
    std::vector<PivotShowAsDialog::Choice> members;
    std::set<std::string> seen;
    const std::string prefix = fieldSet + ".";
    for (const PivotAxisLayout* axis : {&layout.Rows(), &layout.Columns()}) {
        for (const PivotHeaderCell& cell : axis->Cells()) {
            if (cell.kind == PivotHeaderCell::Kind::Member && cell.uniqueName.starts_with(prefix)
                && seen.insert(cell.uniqueName).second)
                members.emplace_back(cell.caption, cell.uniqueName);
        }
    }
    return members;
}

QMenu* PivotShowAsMenu::Add(QMenu* menu, const PivotDefinition& definition, const std::string& totalName,
    const EditFunction& edit, const PivotShowAsDialog::MemberList& members, QWidget* dialogParent)
{
    QMenu* sub = menu->addMenu(QMenu::tr("Show Values As"));
    sub->setObjectName(QStringLiteral("showValuesAsMenu"));
    const PivotTotal* total = definition.FindTotal(totalName);
    const PivotShowAs current = total ? total->showAs : PivotShowAs();
    // The field sets a mode can compare or walk along.
    std::vector<PivotShowAsDialog::Choice> fieldSets;
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column}) {
        for (const PivotFieldSet& fieldSet : definition.Axis(axis)) {
            if (!fieldSet.IncludedFields().empty())
                fieldSets.emplace_back(
                    fieldSet.caption.empty() ? fieldSet.uniqueName : fieldSet.caption, fieldSet.uniqueName);
        }
    }
    const QPointer<QWidget> parent(dialogParent);
    for (PivotShowAs::Mode mode : PivotShowAs::Modes()) {
        QAction* action = sub->addAction(QString::fromStdString(PivotShowAs::Label(mode)));
        action->setObjectName(ActionName(mode));
        action->setCheckable(true);
        action->setChecked(current.mode == mode);
        action->setEnabled(total != nullptr);
        if (mode == PivotShowAs::Mode::Normal || mode == PivotShowAs::Mode::PercentOfParentColumnTotal)
            sub->addSeparator();
        if (!PivotShowAs::NeedsBaseField(mode)) {
            QObject::connect(action, &QAction::triggered, sub, [edit, totalName, mode] {
                PivotShowAs showAs;
                showAs.mode = mode;
                edit([=](PivotDefinition& d) { return PivotShowAsEdit::Apply(d, totalName, showAs); });
            });
            continue;
        }
        QObject::connect(action, &QAction::triggered, sub, [=] {
            auto* dialog = new PivotShowAsDialog(mode, current, fieldSets, members, parent);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(dialog, &QDialog::accepted, dialog, [edit, totalName, dialog] {
                const PivotShowAs showAs = dialog->Result();
                edit([=](PivotDefinition& d) { return PivotShowAsEdit::Apply(d, totalName, showAs); });
            });
            dialog->open();
        });
    }
    return sub;
}

} // namespace pivot
