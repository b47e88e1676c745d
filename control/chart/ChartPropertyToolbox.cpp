#include "control/chart/ChartPropertyToolbox.h"

#include "control/chart/ChartTypeTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace chart {

ChartPropertyToolbox::ChartPropertyToolbox(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("chartPropertyToolbox"));
    setFrameShape(QFrame::StyledPanel);
    auto* outer = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* caption = new QLabel(tr("Chart properties"), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setText(QStringLiteral("\u00d7"));
    close->setToolTip(tr("Close the property toolbox"));
    close->setAutoRaise(true);
    header->addWidget(caption, 1);
    header->addWidget(close);
    outer->addLayout(header);

    auto* form = new QFormLayout;
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("titleEdit"));
    m_title->setPlaceholderText(tr("(the view's title)"));
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("typeCombo"));
    for (int number = 0; number < ChartTypeTable::Count(); ++number)
        m_type->addItem(QString::fromStdString(ChartTypeTable::Name(*ChartTypeTable::FromNumber(number))), number);
    m_legend = new QCheckBox(tr("Show legend"), this);
    m_legend->setObjectName(QStringLiteral("legendCheck"));
    m_font = new QFontComboBox(this);
    m_font->setObjectName(QStringLiteral("fontCombo"));
    m_size = new QDoubleSpinBox(this);
    m_size->setObjectName(QStringLiteral("fontSizeSpin"));
    m_size->setRange(0, 72);
    m_size->setDecimals(1);
    m_size->setSpecialValueText(tr("Default"));
    form->addRow(tr("&Title:"), m_title);
    form->addRow(tr("T&ype:"), m_type);
    form->addRow(QString(), m_legend);
    form->addRow(tr("&Font:"), m_font);
    form->addRow(tr("&Size:"), m_size);
    outer->addLayout(form);
    outer->addStretch(1);

    connect(close, &QToolButton::clicked, this, &ChartPropertyToolbox::closeRequested);
    connect(m_title, &QLineEdit::editingFinished, this, &ChartPropertyToolbox::Report);
    connect(m_type, &QComboBox::currentIndexChanged, this, &ChartPropertyToolbox::Report);
    connect(m_legend, &QCheckBox::toggled, this, &ChartPropertyToolbox::Report);
    connect(m_font, &QFontComboBox::currentFontChanged, this, &ChartPropertyToolbox::Report);
    connect(m_size, &QDoubleSpinBox::valueChanged, this, &ChartPropertyToolbox::Report);
}

void ChartPropertyToolbox::Show(const ChartDefinition& definition)
{
    m_shown = definition;
    const QSignalBlocker blockTitle(m_title);
    const QSignalBlocker blockType(m_type);
    const QSignalBlocker blockLegend(m_legend);
    const QSignalBlocker blockFont(m_font);
    const QSignalBlocker blockSize(m_size);
    m_title->setText(QString::fromStdString(definition.title));
    m_type->setCurrentIndex(m_type->findData(ChartTypeTable::Number(definition.type)));
    m_legend->setChecked(definition.hasLegend);
    m_font->setCurrentFont(QFont(QString::fromStdString(definition.defaultFont)));
    m_size->setValue(definition.fontSize);
}

void ChartPropertyToolbox::Report()
{
    ChartDefinition changed = m_shown;
    changed.title = m_title->text().toStdString();
    if (const std::optional<ChartType> type = ChartTypeTable::FromNumber(m_type->currentData().toInt()))
        changed.type = *type;
    changed.hasLegend = m_legend->isChecked();
    // The font box shows the nearest installed family; only a choice of the user changes it.
    if (sender() == m_font)
        changed.defaultFont = m_font->currentFont().family().toStdString();
    changed.fontSize = m_size->value();
    if (changed == m_shown)
        return;
    m_shown = changed;
    emit edited(changed);
}

} // namespace chart
