#pragma once

#include <QStyledItemDelegate>

//! Draws item texts that hold the markup of CXHtmlMarkup: the item's
//! background, check box and icon as the style draws them, then the text
//! runs. Items may carry these roles:
//! - kTextColorRole (QColor): default colour of the text;
//! - kTextBackgroundRole (QColor): background behind the text;
//! - kDisabledRole (bool): text drawn in the disabled colour;
//! - kSeparatorRole (bool): the item is drawn as a horizontal line.
//! A text wider than its cell ends in an ellipsis, and its tooltip is then
//! the whole text without markup. Coloured text is drawn dark (or light)
//! enough to stay readable on the item's background.
class CXHtmlItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kTextColorRole = Qt::UserRole + 0x100;
    static constexpr int kTextBackgroundRole = Qt::UserRole + 0x101;
    static constexpr int kDisabledRole = Qt::UserRole + 0x102;
    static constexpr int kSeparatorRole = Qt::UserRole + 0x103;

    explicit CXHtmlItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    //! Shows the whole text as tooltip when the cell shows it elided.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;
    //! Whether the item's text does not fit its cell (option as the view paints it).
    bool IsElided(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    //! The rectangle the text runs are drawn into.
    QRect TextRect(const QStyleOptionViewItem& opt, const QString& plain) const;
};
