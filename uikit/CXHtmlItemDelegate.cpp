#include "uikit/CXHtmlItemDelegate.h"

#include "uikit/CXContrast.h"
#include "uikit/CXHtmlMarkup.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace {

QString PlainOf(const QList<CXHtmlMarkup::Run>& runs)
{
    QString plain;
    for (const CXHtmlMarkup::Run& run : runs)
        plain += run.lineBreak ? QStringLiteral("\n") : run.text;
    return plain;
}

} // namespace

CXHtmlItemDelegate::CXHtmlItemDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
}

void CXHtmlItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();

    if (index.data(kSeparatorRole).toBool()) {
        opt.text.clear();
        opt.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration
            | QStyleOptionViewItem::HasCheckIndicator);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const int y = opt.rect.center().y();
        painter->save();
        painter->setPen(opt.palette.color(QPalette::Mid));
        painter->drawLine(opt.rect.left() + 2, y, opt.rect.right() - 2, y);
        painter->restore();
        return;
    }

    const QString markup = opt.text;
    const QList<CXHtmlMarkup::Run> runs = CXHtmlMarkup::Parse(markup);
    const QString plain = PlainOf(runs);
    const QRect textRect = TextRect(opt, plain);
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const QSize need = CXHtmlMarkup::Measure(runs, opt.font);
    const QVariant background = index.data(kTextBackgroundRole);
    const bool hasBackground = background.canConvert<QColor>() && background.value<QColor>().isValid();
    if (hasBackground) {
        QRect back = textRect;
        back.setWidth(std::min(textRect.width(), need.width()));
        painter->fillRect(back, background.value<QColor>());
    }

    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    const bool disabled = index.data(kDisabledRole).toBool() || (opt.state & QStyle::State_Enabled) == 0;
    QColor color = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QVariant textColor = index.data(kTextColorRole);
    if (!selected && textColor.canConvert<QColor>() && textColor.value<QColor>().isValid())
        color = textColor.value<QColor>();
    QList<CXHtmlMarkup::Run> drawn = runs;
    if (selected || disabled) {
        for (CXHtmlMarkup::Run& run : drawn)
            run.color = QColor();
    }
    if (disabled) {
        color = opt.palette.color(QPalette::Disabled, QPalette::Text);
    } else if (!selected) {
        // Names keep their colour's hue, but light colours (dodgerblue on
        // white) are darkened until they can be read.
        const QColor back = hasBackground ? background.value<QColor>() : opt.palette.color(QPalette::Base);
        color = CXContrast::Readable(color, back);
        for (CXHtmlMarkup::Run& run : drawn) {
            if (run.color.isValid())
                run.color = CXContrast::Readable(run.color, back);
        }
    }
    if (need.width() > textRect.width())
        drawn = CXHtmlMarkup::Elide(drawn, opt.font, textRect.width());
    CXHtmlMarkup::Draw(painter, textRect, drawn, opt.font, color);
}

QRect CXHtmlItemDelegate::TextRect(const QStyleOptionViewItem& opt, const QString& plain) const
{
    QStyleOptionViewItem measured = opt;
    measured.text = plain;
    QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();
    QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &measured, opt.widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    textRect.adjust(margin, 0, -margin, 0);
    return textRect;
}

bool CXHtmlItemDelegate::IsElided(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (index.data(kSeparatorRole).toBool())
        return false;
    const QList<CXHtmlMarkup::Run> runs = CXHtmlMarkup::Parse(opt.text);
    return CXHtmlMarkup::Measure(runs, opt.font).width() > TextRect(opt, PlainOf(runs)).width();
}

bool CXHtmlItemDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (!index.isValid() || !IsElided(option, index)) {
        QToolTip::hideText();
        return true;
    }
    const QString plain = PlainOf(CXHtmlMarkup::Parse(index.data(Qt::DisplayRole).toString()));
    QToolTip::showText(event->globalPos(),
        QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(plain.toHtmlEscaped()), view->viewport(),
        option.rect);
    return true;
}

QSize CXHtmlItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QList<CXHtmlMarkup::Run> runs = CXHtmlMarkup::Parse(opt.text);
    const QString plain = PlainOf(runs);
    opt.text = plain;
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
    const QSize need = CXHtmlMarkup::Measure(runs, opt.font);
    const QSize plainSize = QFontMetrics(opt.font).size(0, plain);
    size.rwidth() += std::max(0, need.width() - plainSize.width());
    return size;
}
