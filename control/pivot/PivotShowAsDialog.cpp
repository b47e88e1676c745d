#include "control/pivot/PivotShowAsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pivot {

namespace {

constexpr const char* kPrevious = "Previous";
constexpr const char* kNext = "Next";

} // namespace

PivotShowAsDialog::PivotShowAsDialog(PivotShowAs::Mode mode, const PivotShowAs& current,
    const std::vector<Choice>& fieldSets, MemberList members, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_members(std::move(members))
{
    setObjectName(QStringLiteral("showAsDialog"));
    QString label = QString::fromStdString(PivotShowAs::Label(mode));
    if (label.endsWith(QStringLiteral("...")))
        label.chop(3);
    setWindowTitle(tr("Show Values As (%1)").arg(label));

    auto* form = new QFormLayout;
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("baseFieldCombo"));
    for (const auto& [caption, uniqueName] : fieldSets)
        m_field->addItem(QString::fromStdString(caption), QString::fromStdString(uniqueName));
    if (const int at = m_field->findData(QString::fromStdString(current.baseFieldSet)); at >= 0)
        m_field->setCurrentIndex(at);
    form->addRow(tr("Base &field:"), m_field);

    if (PivotShowAs::NeedsBaseItem(mode)) {
        m_item = new QComboBox(this);
        m_item->setObjectName(QStringLiteral("baseItemCombo"));
        form->addRow(tr("Base &item:"), m_item);
        FillItems();
        const QString wanted = current.item == PivotShowAs::Item::Named ? QString::fromStdString(current.baseMember)
            : current.item == PivotShowAs::Item::Next                   ? QString::fromLatin1(kNext)
                                                                        : QString::fromLatin1(kPrevious);
        if (const int at = m_item->findData(wanted); at >= 0)
            m_item->setCurrentIndex(at);
        connect(m_field, &QComboBox::currentIndexChanged, this, [this] { FillItems(); });
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_field->count() > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    if (m_field->count() == 0) {
        auto* none = new QLabel(tr("Place a field on the rows or columns to compare along it."), this);
        none->setWordWrap(true);
        layout->addWidget(none);
    }
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PivotShowAsDialog::FillItems()
{
    if (!m_item)
        return;
    m_item->clear();
    m_item->addItem(tr("(previous)"), QString::fromLatin1(kPrevious));
    m_item->addItem(tr("(next)"), QString::fromLatin1(kNext));
    const std::string fieldSet = m_field->currentData().toString().toStdString();
    if (m_members && !fieldSet.empty()) {
        for (const auto& [caption, uniqueName] : m_members(fieldSet))
            m_item->addItem(QString::fromStdString(caption), QString::fromStdString(uniqueName));
    }
}

PivotShowAs PivotShowAsDialog::Result() const
{
    PivotShowAs result;
    result.mode = m_mode;
    result.baseFieldSet = m_field->currentData().toString().toStdString();
    if (m_item)
        result.SetItemText(m_item->currentData().toString().toStdString());
    return result;
}

} // namespace pivot
