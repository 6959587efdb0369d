#pragma once

#include <QStyleOptionProgressBar>
#include <QStyledItemDelegate>

#include <optional>

// Draws the Status cell of a queue row in transfer as a progress bar that carries the row's text
// (bytes, rate, time left); every other cell as usual.
class QueueProgressDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The bar the cell shows in `rect`, or nullopt for a cell without one.
    [[nodiscard]] static std::optional<QStyleOptionProgressBar> barFor(const QModelIndex &index, const QRect &rect);
};
