#include "uikit/CXHtmlItemDelegate.h"

#include "uikit/CXHtmlMarkup.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

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
    QString plain;
    for (const CXHtmlMarkup::Run& run : runs)
        plain += run.lineBreak ? QStringLiteral("\n") : run.text;
    opt.text = plain;
    QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    textRect.adjust(margin, 0, -margin, 0);
    const QSize need = CXHtmlMarkup::Measure(runs, opt.font);
    const QVariant background = index.data(kTextBackgroundRole);
    if (background.canConvert<QColor>() && background.value<QColor>().isValid()) {
        QRect back = textRect;
        back.setWidth(std::min(textRect.width(), need.width()));
        painter->fillRect(back, background.value<QColor>());
    }

    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    QColor color = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const QVariant textColor = index.data(kTextColorRole);
    if (!selected && textColor.canConvert<QColor>() && textColor.value<QColor>().isValid())
        color = textColor.value<QColor>();
    if (index.data(kDisabledRole).toBool() || (opt.state & QStyle::State_Enabled) == 0)
        color = opt.palette.color(QPalette::Disabled, QPalette::Text);
    QList<CXHtmlMarkup::Run> drawn = runs;
    if (selected || index.data(kDisabledRole).toBool()) {
        for (CXHtmlMarkup::Run& run : drawn)
            run.color = QColor();
    }
    CXHtmlMarkup::Draw(painter, textRect, drawn, opt.font, color);
}

QSize CXHtmlItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QList<CXHtmlMarkup::Run> runs = CXHtmlMarkup::Parse(opt.text);
    QString plain;
    for (const CXHtmlMarkup::Run& run : runs)
        plain += run.lineBreak ? QStringLiteral("\n") : run.text;
    opt.text = plain;
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
    const QSize need = CXHtmlMarkup::Measure(runs, opt.font);
    const QSize plainSize = QFontMetrics(opt.font).size(0, plain);
    size.rwidth() += std::max(0, need.width() - plainSize.width());
    return size;
}
