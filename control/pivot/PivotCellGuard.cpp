#include "control/pivot/PivotCellGuard.h"

#include "control/pivot/PivotTableWidget.h"

#include "olap/adomd/CubeDef.h"
#include "olap/adomd/Member.h"

#include <QDebug>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace pivot {

PivotCellGuard::PivotCellGuard(PivotTableWidget* table) : QObject(table), m_table(table), m_session(table->Session())
{
    m_session->SetGuard([this](const PivotDefinition& definition) { return Check(definition); });
}

PivotCellGuard::~PivotCellGuard()
{
    if (m_session)
        m_session->SetGuard({});
}

void PivotCellGuard::SetThreshold(double cells)
{
    m_threshold = std::max(1.0, cells);
}

std::optional<PivotCellEstimate> PivotCellGuard::Estimate(const PivotDefinition& definition) const
{
    if (!m_cube)
        return std::nullopt;
    const auto cube = m_cube;
    PivotCellEstimate::Sizes sizes;
    sizes.levelSize = [cube](const std::string& name) -> std::optional<double> {
        try {
            if (const auto* level = cube->FindLevel(name))
                return static_cast<double>(level->Members().size());
        } catch (const std::exception& e) {
            qWarning() << "pivot: the size of level" << QString::fromStdString(name) << "is unknown:" << e.what();
        }
        return std::nullopt;
    };
    sizes.childCount = [cube](const std::string& name) -> std::optional<double> {
        try {
            if (const auto* member = cube->FindMember(name))
                return static_cast<double>(
                    std::max<long>(member->ChildCount(), static_cast<long>(member->Children().size())));
        } catch (const std::exception&) {
            // The level average stands in for it.
        }
        return std::nullopt;
    };
    return PivotCellEstimate::Of(definition, sizes);
}

PivotCellGuard::Answer PivotCellGuard::Check(const PivotDefinition& definition)
{
    const auto estimate = Estimate(definition);
    if (!estimate || estimate->cells <= m_threshold)
        return Answer::Continue;
    m_lastQuestion = QString::fromStdString(PivotCellEstimate::Text(estimate->cells)) + QLatin1Char('.');
    const Answer answer = AskUser(m_lastQuestion);
    if (answer == Answer::AddFilter && !estimate->largestFieldSet.empty()) {
        // The popup opens once the session holds the change, so it filters the new layout.
        const QString name = QString::fromStdString(estimate->largestFieldSet);
        QTimer::singleShot(0, m_table, [table = m_table, name] { table->OpenFilter(name); });
    }
    return answer;
}

PivotCellGuard::Answer PivotCellGuard::AskUser(const QString& text)
{
    if (m_asker)
        return m_asker(text);
    QMessageBox box(QMessageBox::Warning, tr("Large layout"), text, QMessageBox::NoButton, m_table);
    box.setObjectName(QStringLiteral("cellGuardBox"));
    box.setInformativeText(tr("Showing this layout may take long and use much memory. "
                              "A filter on the largest field shows fewer cells."));
    QPushButton* proceed = box.addButton(tr("Continue"), QMessageBox::AcceptRole);
    QPushButton* filter = box.addButton(tr("Add Filter"), QMessageBox::ActionRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(filter);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == proceed)
        return Answer::Continue;
    if (box.clickedButton() == filter)
        return Answer::AddFilter;
    return Answer::Cancel;
}

} // namespace pivot
