#include "queue/queueprogressdelegate.h"

#include "queue/queuemodel.h"

#include <QApplication>
#include <QPainter>

std::optional<QStyleOptionProgressBar> QueueProgressDelegate::barFor(const QModelIndex &index, const QRect &rect)
{
    const QVariant percent = index.data(QueueModel::PercentRole);
    if (!percent.isValid())
        return std::nullopt;
    QStyleOptionProgressBar bar;
    bar.rect = rect.adjusted(1, 1, -1, -1);
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = percent.toInt();
    bar.text = index.data(Qt::DisplayRole).toString();
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state = QStyle::State_Enabled | QStyle::State_Horizontal;
    return bar;
}

void QueueProgressDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    std::optional<QStyleOptionProgressBar> bar = barFor(index, option.rect);
    if (!bar) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The row's background and selection as for any cell, the bar over it.
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.text.clear();
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, option.widget);
    bar->fontMetrics = option.fontMetrics;
    bar->palette = option.palette;
    bar->direction = option.direction;
    // A narrow column keeps the bytes, which come first, and cuts the rest.
    bar->text = option.fontMetrics.elidedText(bar->text, Qt::ElideRight, bar->rect.width() - 4);
    style->drawControl(QStyle::CE_ProgressBar, &*bar, painter, option.widget);
}
