#include "control/pivot/PivotMemberFilterPopup.h"

#include "control/pivot/PivotMemberCheckModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace pivot {

PivotMemberFilterPopup::PivotMemberFilterPopup(
    const QString& caption, const olap::adomd::Level& topLevel, const PivotMemberFilter& filter, QWidget* parent)
    : QDialog(parent), m_model(new PivotMemberCheckModel(topLevel, filter, this)), m_search(new QLineEdit(this)),
      m_selectAll(new QCheckBox(tr("(Select all)"), this)), m_tree(new QTreeView(this)), m_note(new QLabel(this)),
      m_topRow(new QWidget(this)), m_topMode(new QComboBox(m_topRow)), m_topCount(new QSpinBox(m_topRow)),
      m_topBy(new QComboBox(m_topRow)), m_conditionKind(new QComboBox(this)), m_conditionText(new QLineEdit(this)),
      m_conditionBy(new QComboBox(this)), m_conditionValue(new QDoubleSpinBox(this)),
      m_conditionAnd(new QLabel(tr("and"), this)), m_conditionValue2(new QDoubleSpinBox(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("memberFilterPopup"));
    setWindowTitle(tr("Filter %1").arg(caption));
    m_search->setObjectName(QStringLiteral("memberSearchEdit"));
    m_search->setPlaceholderText(tr("Search"));
    m_search->setClearButtonEnabled(true);
    m_selectAll->setObjectName(QStringLiteral("selectAllCheck"));
    m_tree->setObjectName(QStringLiteral("memberTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setModel(m_model);
    m_note->setObjectName(QStringLiteral("filterNoteLabel"));
    m_note->setWordWrap(true);
    m_buttons->setObjectName(QStringLiteral("filterButtons"));
    m_topMode->setObjectName(QStringLiteral("topModeCombo"));
    m_topMode->addItem(tr("All items"), static_cast<int>(PivotTopFilter::Mode::None));
    m_topMode->addItem(tr("Top"), static_cast<int>(PivotTopFilter::Mode::Top));
    m_topMode->addItem(tr("Bottom"), static_cast<int>(PivotTopFilter::Mode::Bottom));
    m_topCount->setObjectName(QStringLiteral("topCountSpin"));
    m_topCount->setRange(1, 1000000);
    m_topCount->setValue(10);
    m_topBy->setObjectName(QStringLiteral("topByCombo"));
    auto* topLayout = new QHBoxLayout(m_topRow);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(m_topMode);
    topLayout->addWidget(m_topCount);
    topLayout->addWidget(new QLabel(tr("by"), m_topRow));
    topLayout->addWidget(m_topBy, 1);
    m_topRow->hide();
    const auto enableTop = [this] {
        const bool on = m_topMode->currentData().toInt() != static_cast<int>(PivotTopFilter::Mode::None);
        m_topCount->setEnabled(on);
        m_topBy->setEnabled(on);
    };
    connect(m_topMode, &QComboBox::currentIndexChanged, this, enableTop);
    enableTop();
    using Kind = PivotConditionFilter::Kind;
    m_conditionKind->setObjectName(QStringLiteral("conditionKindCombo"));
    const std::pair<Kind, QString> kinds[]
        = {{Kind::None, tr("No label or value filter")}, {Kind::CaptionBeginsWith, tr("Caption begins with")},
            {Kind::CaptionNotBeginsWith, tr("Caption does not begin with")},
            {Kind::CaptionContains, tr("Caption contains")}, {Kind::CaptionNotContains, tr("Caption does not contain")},
            {Kind::CaptionEquals, tr("Caption equals")}, {Kind::CaptionNotEquals, tr("Caption does not equal")},
            {Kind::ValueGreater, tr("Total greater than")}, {Kind::ValueLess, tr("Total less than")},
            {Kind::ValueBetween, tr("Total between")}, {Kind::ValueNotBetween, tr("Total not between")}};
    for (const auto& [kind, text] : kinds)
        m_conditionKind->addItem(text, static_cast<int>(kind));
    m_conditionText->setObjectName(QStringLiteral("conditionTextEdit"));
    m_conditionText->setPlaceholderText(tr("Text (case aside)"));
    m_conditionBy->setObjectName(QStringLiteral("conditionByCombo"));
    for (QDoubleSpinBox* spin : {m_conditionValue, m_conditionValue2}) {
        spin->setRange(-1e15, 1e15);
        spin->setDecimals(4);
        spin->setGroupSeparatorShown(true);
    }
    m_conditionValue->setObjectName(QStringLiteral("conditionValueSpin"));
    m_conditionValue2->setObjectName(QStringLiteral("conditionValue2Spin"));
    auto* valueRow = new QHBoxLayout;
    valueRow->setContentsMargins(0, 0, 0, 0);
    valueRow->addWidget(m_conditionBy, 1);
    valueRow->addWidget(m_conditionValue);
    valueRow->addWidget(m_conditionAnd);
    valueRow->addWidget(m_conditionValue2);
    connect(m_conditionKind, &QComboBox::currentIndexChanged, this, &PivotMemberFilterPopup::SyncCondition);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_selectAll);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_note);
    layout->addWidget(m_topRow);
    layout->addWidget(m_conditionKind);
    layout->addWidget(m_conditionText);
    layout->addLayout(valueRow);
    layout->addWidget(m_buttons);
    resize(320, 440);
    SyncCondition();

    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->SetSearch(text);
        Sync();
    });
    connect(m_selectAll, &QCheckBox::clicked, this, [this] {
        // A click checks everything listed unless everything is in already.
        m_model->SetAllChecked(m_model->AllState() != Qt::Checked);
        m_tree->viewport()->update();
    });
    connect(m_model, &PivotMemberCheckModel::checksChanged, this, &PivotMemberFilterPopup::Sync);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Sync();
}

PivotMemberFilter PivotMemberFilterPopup::Filter() const
{
    return m_model->Filter();
}

void PivotMemberFilterPopup::SetTopChoices(
    const PivotTopFilter& top, const std::vector<std::pair<std::string, QString>>& totals)
{
    m_topBy->clear();
    for (const auto& [name, caption] : totals)
        m_topBy->addItem(caption, QString::fromStdString(name));
    m_topRow->setVisible(!totals.empty());
    const int by = m_topBy->findData(QString::fromStdString(top.byTotal));
    const bool active = top.IsActive() && by >= 0;
    m_topMode->setCurrentIndex(m_topMode->findData(static_cast<int>(active ? top.mode : PivotTopFilter::Mode::None)));
    if (active) {
        m_topCount->setValue(top.count);
        m_topBy->setCurrentIndex(by);
    }
}

PivotTopFilter PivotMemberFilterPopup::TopFilter() const
{
    PivotTopFilter top;
    if (m_topBy->count() == 0)
        return top;
    top.mode = static_cast<PivotTopFilter::Mode>(m_topMode->currentData().toInt());
    top.count = m_topCount->value();
    top.byTotal = m_topBy->currentData().toString().toStdString();
    if (top.mode == PivotTopFilter::Mode::None)
        return {};
    return top;
}

void PivotMemberFilterPopup::SetConditionChoices(
    const PivotConditionFilter& condition, const std::vector<std::pair<std::string, QString>>& totals)
{
    m_conditionBy->clear();
    for (const auto& [name, caption] : totals)
        m_conditionBy->addItem(caption, QString::fromStdString(name));
    // Value filters need a total to read.
    for (int i = 0; i < m_conditionKind->count(); ++i) {
        const auto kind = static_cast<PivotConditionFilter::Kind>(m_conditionKind->itemData(i).toInt());
        const PivotConditionFilter probe {kind, {}, {}, 0, 0};
        if (probe.IsValue())
            qobject_cast<QStandardItemModel*>(m_conditionKind->model())->item(i)->setEnabled(!totals.empty());
    }
    const int by = m_conditionBy->findData(QString::fromStdString(condition.byTotal));
    const bool active = condition.IsLabel() || (condition.IsActive() && by >= 0);
    m_conditionKind->setCurrentIndex(
        m_conditionKind->findData(static_cast<int>(active ? condition.kind : PivotConditionFilter::Kind::None)));
    m_conditionText->setText(QString::fromStdString(condition.text));
    if (by >= 0)
        m_conditionBy->setCurrentIndex(by);
    m_conditionValue->setValue(condition.value);
    m_conditionValue2->setValue(condition.value2);
    SyncCondition();
}

PivotConditionFilter PivotMemberFilterPopup::Condition() const
{
    PivotConditionFilter condition;
    condition.kind = static_cast<PivotConditionFilter::Kind>(m_conditionKind->currentData().toInt());
    if (condition.IsLabel()) {
        condition.text = m_conditionText->text().toStdString();
    } else if (condition.IsValue()) {
        condition.byTotal = m_conditionBy->currentData().toString().toStdString();
        condition.value = m_conditionValue->value();
        if (condition.kind == PivotConditionFilter::Kind::ValueBetween
            || condition.kind == PivotConditionFilter::Kind::ValueNotBetween)
            condition.value2 = m_conditionValue2->value();
    }
    return condition.IsActive() ? condition : PivotConditionFilter {};
}

void PivotMemberFilterPopup::SyncCondition()
{
    PivotConditionFilter condition;
    condition.kind = static_cast<PivotConditionFilter::Kind>(m_conditionKind->currentData().toInt());
    const bool between = condition.kind == PivotConditionFilter::Kind::ValueBetween
        || condition.kind == PivotConditionFilter::Kind::ValueNotBetween;
    m_conditionText->setVisible(condition.IsLabel());
    m_conditionBy->setVisible(condition.IsValue());
    m_conditionValue->setVisible(condition.IsValue());
    m_conditionAnd->setVisible(between);
    m_conditionValue2->setVisible(between);
}

void PivotMemberFilterPopup::Sync()
{
    m_selectAll->setCheckState(m_model->AllState());
    bool nothing = false;
    m_model->Filter(&nothing);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!nothing);
    QString note;
    if (nothing)
        note = tr("Select at least one item.");
    else if (m_model->MatchesCut())
        note = tr("Not all items shown: the first %1 matches are listed. Refine the search.")
                   .arg(PivotMemberCheckModel::MaxMatches());
    else
        note = tr("%1 of %2 selected").arg(m_model->CheckedTopCount()).arg(m_model->TopCount());
    m_note->setText(note);
}

} // namespace pivot
