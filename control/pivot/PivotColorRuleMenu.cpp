#include "control/pivot/PivotColorRuleMenu.h"

#include <QAction>
#include <QMenu>

namespace pivot {

QMenu* PivotColorRuleMenu::Add(
    QMenu* menu, const PivotDefinition& definition, const std::string& totalName, EditFunction edit)
{
    QMenu* sub = menu->addMenu(QMenu::tr("Conditional formatting"));
    sub->setObjectName(QStringLiteral("colorRuleMenu"));
    const PivotColorRule* current = definition.FindColorRule(totalName);
    auto add
        = [&](const QString& text, const char* objectName, std::function<bool(PivotDefinition&)> change, bool checked) {
              QAction* action = sub->addAction(text);
              action->setObjectName(QString::fromLatin1(objectName));
              action->setCheckable(true);
              action->setChecked(checked);
              QObject::connect(action, &QAction::triggered, sub, [edit, change = std::move(change)] { edit(change); });
              return action;
          };
    const auto kinds = {std::pair {PivotColorRule::Kind::ColorScale2, "colorScale2Action"},
        std::pair {PivotColorRule::Kind::ColorScale3, "colorScale3Action"},
        std::pair {PivotColorRule::Kind::DataBar, "dataBarAction"}};
    for (const auto& [kind, objectName] : kinds) {
        const QString text = kind == PivotColorRule::Kind::ColorScale2 ? QMenu::tr("Colour scale, red to green")
            : kind == PivotColorRule::Kind::ColorScale3                ? QMenu::tr("Colour scale, red, yellow, green")
                                                                       : QMenu::tr("Data bar");
        add(
            text, objectName,
            [totalName, newKind = kind](PivotDefinition& d) {
                // A change of kind keeps the rule's colours and its totals switch.
                PivotColorRule rule;
                if (const PivotColorRule* old = d.FindColorRule(totalName))
                    rule = *old;
                rule.total = totalName;
                rule.kind = newKind;
                d.SetColorRule(rule);
                return true;
            },
            current && current->kind == kind);
    }
    sub->addSeparator();
    add(
        QMenu::tr("Include subtotals and grand totals"), "colorRuleTotalsAction",
        [totalName](PivotDefinition& d) {
            const PivotColorRule* old = d.FindColorRule(totalName);
            if (!old)
                return false;
            PivotColorRule rule = *old;
            rule.includeTotals = !rule.includeTotals;
            d.SetColorRule(rule);
            return true;
        },
        current && current->includeTotals)
        ->setEnabled(current != nullptr);
    QAction* clear = sub->addAction(QMenu::tr("Clear rule"));
    clear->setObjectName(QStringLiteral("clearColorRuleAction"));
    clear->setEnabled(current != nullptr);
    QObject::connect(clear, &QAction::triggered, sub,
        [edit, totalName] { edit([totalName](PivotDefinition& d) { return d.ClearColorRule(totalName); }); });
    return sub;
}

} // namespace pivot
