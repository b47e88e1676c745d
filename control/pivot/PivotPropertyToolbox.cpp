#include "control/pivot/PivotPropertyToolbox.h"

#include "control/pivot/PivotCommandEdit.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/model/PivotDefinition.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace pivot {

namespace {

// Number formats offered; the first keeps the cube's own.
const char* const kFormats[] = {"#,#", "#,##0", "#,##0.00", "0", "0.0%", "0.00%", "Currency", "Standard"};

QIcon Swatch(const QString& colour)
{
    QPixmap picture(14, 14);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(0x70, 0x70, 0x70));
    if (colour.isEmpty()) {
        painter.setBrush(Qt::white);
        painter.drawRect(0, 0, 13, 13);
        painter.setPen(QPen(QColor(0xc6, 0x3d, 0x32), 1.5));
        painter.drawLine(1, 12, 12, 1);
    } else {
        painter.setBrush(QColor(colour));
        painter.drawRect(0, 0, 13, 13);
    }
    return QIcon(picture);
}

} // namespace

const std::vector<std::string>& PivotPropertyToolbox::Swatches()
{
    static const std::vector<std::string> colours {"#000000", "#ffffff", "#7f7f7f", "#c00000", "#ff0000", "#ffc000",
        "#ffff00", "#92d050", "#00b050", "#00b0f0", "#0070c0", "#002060", "#7030a0", "#fde9d9", "#ebf1de", "#dce6f1"};
    return colours;
}

PivotPropertyToolbox::PivotPropertyToolbox(PivotSession* session, PivotTableWidget* table, QWidget* parent)
    : QFrame(parent), m_session(session), m_table(table)
{
    setObjectName(QStringLiteral("pivotPropertyToolbox"));
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    auto* head = new QHBoxLayout;
    auto* heading = new QLabel(tr("Properties"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* close = new QToolButton(this);
    close->setObjectName(QStringLiteral("toolboxClose"));
    close->setText(QStringLiteral("\u00d7"));
    close->setAutoRaise(true);
    close->setToolTip(tr("Close the property toolbox"));
    connect(close, &QToolButton::clicked, this, [this] {
        m_table->SetPanelVisible(PivotTableWidget::Panel::PropertyToolbox, false);
        emit m_table->panelToggled(PivotTableWidget::Panel::PropertyToolbox, false);
    });
    head->addWidget(heading, 1);
    head->addWidget(close);
    layout->addLayout(head);

    m_subject = new QLabel(this);
    m_subject->setObjectName(QStringLiteral("toolboxSubject"));
    m_subject->setWordWrap(true);
    layout->addWidget(m_subject);

    auto* form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    m_caption = new QLineEdit(this);
    m_caption->setObjectName(QStringLiteral("toolboxCaption"));
    form->addRow(tr("&Caption:"), m_caption);
    connect(m_caption, &QLineEdit::editingFinished, this, [this] {
        const std::string caption = m_caption->text().toStdString();
        Apply(
            [&](PivotDefinition& d) {
                if (m_kind == "total") {
                    for (PivotTotal& total : d.totals) {
                        if (total.name == m_name)
                            total.caption = caption;
                    }
                } else if (PivotFieldSet* fieldSet = d.FindFieldSet(m_name)) {
                    fieldSet->caption = caption;
                }
            },
            false);
    });

    m_numberFormat = new QComboBox(this);
    m_numberFormat->setObjectName(QStringLiteral("toolboxNumberFormat"));
    m_numberFormat->setEditable(true);
    m_numberFormat->addItem(tr("(cube's format)"), QString());
    for (const char* format : kFormats)
        m_numberFormat->addItem(QLatin1String(format), QLatin1String(format));
    form->addRow(tr("&Number format:"), m_numberFormat);
    auto applyFormat = [this] {
        const int index = m_numberFormat->findText(m_numberFormat->currentText());
        const QString format = index >= 0 ? m_numberFormat->itemData(index).toString() : m_numberFormat->currentText();
        Apply(
            [&](PivotDefinition& d) {
                for (PivotTotal& total : d.totals) {
                    if (total.name == m_name)
                        total.numberFormat = format.toStdString();
                }
            },
            false);
    };
    connect(m_numberFormat, &QComboBox::activated, this, applyFormat);
    connect(m_numberFormat->lineEdit(), &QLineEdit::editingFinished, this, applyFormat);

    m_font = new QComboBox(this);
    m_font->setObjectName(QStringLiteral("toolboxFont"));
    m_font->addItem(tr("(grid font)"), QString());
    for (const QString& family : QFontDatabase::families())
        m_font->addItem(family, family);
    form->addRow(tr("&Font:"), m_font);
    connect(m_font, &QComboBox::activated, this, [this](int index) {
        const std::string family = m_font->itemData(index).toString().toStdString();
        ApplyStyle([&](PivotTextStyle& style) { style.fontName = family; });
    });

    auto* fontRow = new QHBoxLayout;
    m_fontSize = new QSpinBox(this);
    m_fontSize->setObjectName(QStringLiteral("toolboxFontSize"));
    m_fontSize->setRange(0, 72);
    m_fontSize->setSpecialValueText(tr("Default"));
    connect(m_fontSize, &QSpinBox::valueChanged, this,
        [this](int size) { ApplyStyle([&](PivotTextStyle& style) { style.fontSize = size; }); });
    m_bold = new QToolButton(this);
    m_bold->setObjectName(QStringLiteral("toolboxBold"));
    m_bold->setText(QStringLiteral("B"));
    m_bold->setToolTip(tr("Bold"));
    m_bold->setCheckable(true);
    QFont boldFont = m_bold->font();
    boldFont.setBold(true);
    m_bold->setFont(boldFont);
    connect(m_bold, &QToolButton::toggled, this,
        [this](bool on) { ApplyStyle([&](PivotTextStyle& style) { style.bold = on; }); });
    m_italic = new QToolButton(this);
    m_italic->setObjectName(QStringLiteral("toolboxItalic"));
    m_italic->setText(QStringLiteral("I"));
    m_italic->setToolTip(tr("Italic"));
    m_italic->setCheckable(true);
    QFont italicFont = m_italic->font();
    italicFont.setItalic(true);
    m_italic->setFont(italicFont);
    connect(m_italic, &QToolButton::toggled, this,
        [this](bool on) { ApplyStyle([&](PivotTextStyle& style) { style.italic = on; }); });
    m_textColour = ColourButton(QStringLiteral("toolboxTextColour"), tr("Text colour"), false);
    m_fillColour = ColourButton(QStringLiteral("toolboxFillColour"), tr("Fill colour"), true);
    fontRow->addWidget(m_fontSize, 1);
    fontRow->addWidget(m_bold);
    fontRow->addWidget(m_italic);
    fontRow->addWidget(m_textColour);
    fontRow->addWidget(m_fillColour);
    form->addRow(tr("Size:"), fontRow);
    layout->addLayout(form);

    auto* viewHeading = new QLabel(tr("View"), this);
    viewHeading->setFont(bold);
    layout->addWidget(viewHeading);
    auto* viewForm = new QFormLayout;
    viewForm->setContentsMargins(0, 0, 0, 0);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("toolboxTitle"));
    viewForm->addRow(tr("&Title:"), m_title);
    connect(m_title, &QLineEdit::editingFinished, this, [this] {
        const std::string title = m_title->text().toStdString();
        Apply([&](PivotDefinition& d) { d.titleCaption = title; }, false);
    });
    layout->addLayout(viewForm);
    m_rowGrandTotals = new QCheckBox(tr("Grand totals of the &rows"), this);
    m_rowGrandTotals->setObjectName(QStringLiteral("toolboxRowGrandTotals"));
    m_columnGrandTotals = new QCheckBox(tr("Grand totals of the c&olumns"), this);
    m_columnGrandTotals->setObjectName(QStringLiteral("toolboxColumnGrandTotals"));
    connect(m_rowGrandTotals, &QCheckBox::toggled, this,
        [this](bool on) { Apply([&](PivotDefinition& d) { d.rowGrandTotals = on; }, false); });
    connect(m_columnGrandTotals, &QCheckBox::toggled, this,
        [this](bool on) { Apply([&](PivotDefinition& d) { d.columnGrandTotals = on; }, false); });
    layout->addWidget(m_rowGrandTotals);
    layout->addWidget(m_columnGrandTotals);
    layout->addStretch(1);

    connect(m_session, &PivotSession::definitionChanged, this, &PivotPropertyToolbox::Reload);
    connect(m_session, &PivotSession::layoutChanged, this, &PivotPropertyToolbox::Reload);
    Reload();
}

QToolButton* PivotPropertyToolbox::ColourButton(const QString& objectName, const QString& tip, bool fill)
{
    auto* button = new QToolButton(this);
    button->setObjectName(objectName);
    button->setToolTip(tip);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    menu->setObjectName(objectName + QStringLiteral("Menu"));
    auto choose = [this, fill](const std::string& colour) {
        ApplyStyle([&](PivotTextStyle& style) { (fill ? style.fillColor : style.textColor) = colour; });
    };
    QAction* automatic = menu->addAction(Swatch(QString()), tr("Automatic"));
    automatic->setObjectName(QStringLiteral("automaticColour"));
    connect(automatic, &QAction::triggered, this, [choose] { choose({}); });
    for (const std::string& colour : Swatches()) {
        const QString name = QString::fromStdString(colour);
        QAction* action = menu->addAction(Swatch(name), name);
        action->setObjectName(QStringLiteral("colour") + name);
        connect(action, &QAction::triggered, this, [choose, colour] { choose(colour); });
    }
    QAction* more = menu->addAction(tr("More colours\u2026"));
    more->setObjectName(QStringLiteral("moreColours"));
    connect(more, &QAction::triggered, this, [this, choose, tip] {
        const QColor colour = QColorDialog::getColor(Qt::white, this, tip);
        if (colour.isValid())
            choose(colour.name().toStdString());
    });
    button->setMenu(menu);
    return button;
}

void PivotPropertyToolbox::SetSubject(const std::string& kind, const std::string& name)
{
    m_kind = kind;
    m_name = name;
    Reload();
}

void PivotPropertyToolbox::ShowTotal(const std::string& name)
{
    m_pinned = true;
    m_row = m_table->Grid()->CurrentRow();
    m_column = m_table->Grid()->CurrentColumn();
    SetSubject("total", name);
}

void PivotPropertyToolbox::ShowFieldSet(const std::string& name)
{
    m_pinned = true;
    m_row = m_table->Grid()->CurrentRow();
    m_column = m_table->Grid()->CurrentColumn();
    SetSubject("fieldset", name);
}

void PivotPropertyToolbox::FollowSelection()
{
    // A new layout reports the selection again; a subject chosen by ShowTotal or
    // ShowFieldSet stays until the current cell really moves.
    const int row = m_table->Grid()->CurrentRow();
    const int column = m_table->Grid()->CurrentColumn();
    // (A first current cell, after a view without one, is no move either.)
    const bool moved = m_row >= 0 && (row != m_row || column != m_column);
    m_row = row;
    m_column = column;
    if (m_pinned && !moved)
        return;
    m_pinned = false;
    const PivotSelectionTarget target = m_table->SelectionTarget();
    switch (target.kind) {
    case PivotSelectionTarget::Kind::Total:
    case PivotSelectionTarget::Kind::Value:
        if (const PivotTotal* total = PivotCommandEdit::TargetTotal(m_session->Definition(), target))
            SetSubject("total", total->name);
        else
            SetSubject({}, {});
        break;
    case PivotSelectionTarget::Kind::FieldSet:
    case PivotSelectionTarget::Kind::Member:
        SetSubject("fieldset", target.fieldSet);
        break;
    case PivotSelectionTarget::Kind::None:
        SetSubject({}, {});
        break;
    }
}

void PivotPropertyToolbox::Reload()
{
    const PivotDefinition& d = m_session->Definition();
    const PivotTotal* total = m_kind == "total" ? d.FindTotal(m_name) : nullptr;
    const PivotFieldSet* fieldSet = m_kind == "fieldset" ? d.FindFieldSet(m_name) : nullptr;
    const PivotTextStyle none;
    const PivotTextStyle& style = total ? total->style : (fieldSet ? fieldSet->style : none);
    const QSignalBlocker b1(m_caption), b2(m_numberFormat), b3(m_font), b4(m_fontSize), b5(m_bold), b6(m_italic),
        b7(m_title), b8(m_rowGrandTotals), b9(m_columnGrandTotals);
    if (total)
        m_subject->setText(
            tr("Total: %1").arg(QString::fromStdString(total->caption.empty() ? total->name : total->caption)));
    else if (fieldSet)
        m_subject->setText(
            tr("Field: %1")
                .arg(QString::fromStdString(fieldSet->caption.empty() ? fieldSet->uniqueName : fieldSet->caption)));
    else
        m_subject->setText(tr("Select a total or a field to change its look."));
    const bool any = total || fieldSet;
    m_caption->setEnabled(any);
    m_caption->setText(QString::fromStdString(total ? total->caption : (fieldSet ? fieldSet->caption : std::string())));
    m_numberFormat->setEnabled(total != nullptr);
    if (total) {
        const QString format = QString::fromStdString(total->numberFormat);
        const int index = m_numberFormat->findData(format);
        if (index >= 0)
            m_numberFormat->setCurrentIndex(index);
        else
            m_numberFormat->setEditText(format);
    } else {
        m_numberFormat->setCurrentIndex(0);
    }
    for (QWidget* w :
        std::initializer_list<QWidget*> {m_font, m_fontSize, m_bold, m_italic, m_textColour, m_fillColour})
        w->setEnabled(any);
    const int fontIndex = m_font->findData(QString::fromStdString(style.fontName));
    m_font->setCurrentIndex(fontIndex >= 0 ? fontIndex : 0);
    m_fontSize->setValue(style.fontSize);
    m_bold->setChecked(style.bold);
    m_italic->setChecked(style.italic);
    m_textColour->setIcon(Swatch(QString::fromStdString(style.textColor)));
    m_fillColour->setIcon(Swatch(QString::fromStdString(style.fillColor)));
    m_title->setText(QString::fromStdString(d.titleCaption));
    m_rowGrandTotals->setChecked(d.rowGrandTotals);
    m_columnGrandTotals->setChecked(d.columnGrandTotals);
}

void PivotPropertyToolbox::Apply(const std::function<void(PivotDefinition&)>& edit, bool lookOnly)
{
    PivotDefinition definition = m_session->Definition();
    edit(definition);
    if (definition == m_session->Definition())
        return;
    const bool onShow
        = !m_session->IsWorking() && m_session->HasLayout() && m_session->Definition() == m_session->ShownDefinition();
    if (lookOnly && onShow)
        m_session->ShowLayout(std::move(definition), PivotLayout(m_session->Layout()));
    else
        m_session->SetDefinition(std::move(definition));
}

void PivotPropertyToolbox::ApplyStyle(const std::function<void(PivotTextStyle&)>& edit)
{
    Apply(
        [&](PivotDefinition& d) {
            if (m_kind == "total") {
                for (PivotTotal& total : d.totals) {
                    if (total.name == m_name)
                        edit(total.style);
                }
            } else if (PivotFieldSet* fieldSet = d.FindFieldSet(m_name)) {
                edit(fieldSet->style);
            }
        },
        true);
}

} // namespace pivot
