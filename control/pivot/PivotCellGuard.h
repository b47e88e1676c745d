#pragma once

#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotCellEstimate.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace olap::adomd {
class CubeDef;
}

namespace pivot {

class PivotTableWidget;

//! Asks before a layout the user made is queried when it would bring too many cells: the
//! estimate (PivotCellEstimate) reads the level sizes of the table's cube, and above the
//! threshold (1,000,000 cells unless set) the user chooses Continue, Add Filter (the change
//! stays in the areas and the member filter of the field set with the most members opens)
//! or Cancel (the change is dropped). Installed as the session's guard by the table.
class PivotCellGuard : public QObject {
    Q_OBJECT
public:
    static constexpr double kDefaultThreshold = 1e6;
    using Answer = PivotSession::GuardAnswer;
    //! Puts the question TEXT to the user; a test answers it instead.
    using Asker = std::function<Answer(const QString& text)>;

    explicit PivotCellGuard(PivotTableWidget* table);
    //! Takes the guard off the session (the session may outlive the table).
    ~PivotCellGuard() override;

    //! The cube whose level sizes the estimate reads; without one nothing is asked.
    void SetCube(std::shared_ptr<const olap::adomd::CubeDef> cube) { m_cube = std::move(cube); }
    //! The most cells a layout may bring without a question (at least 1).
    void SetThreshold(double cells);
    double Threshold() const { return m_threshold; }
    void SetAsker(Asker asker) { m_asker = std::move(asker); }

    //! The estimate of DEFINITION over the cube, or nothing when a level size is unknown.
    std::optional<PivotCellEstimate> Estimate(const PivotDefinition& definition) const;
    //! The guard's answer for DEFINITION (Continue below the threshold).
    Answer Check(const PivotDefinition& definition);
    //! The question last put ("" before any).
    const QString& LastQuestion() const { return m_lastQuestion; }

private:
    Answer AskUser(const QString& text);

    PivotTableWidget* m_table;
    QPointer<PivotSession> m_session;
    std::shared_ptr<const olap::adomd::CubeDef> m_cube;
    double m_threshold = kDefaultThreshold;
    Asker m_asker;
    QString m_lastQuestion;
};

} // namespace pivot
