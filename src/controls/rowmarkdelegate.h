#pragma once

#include "controls/foldercomparison.h"

#include <QStyledItemDelegate>

#include <functional>

class QPalette;

// Paints the rows of a file list that a folder comparison marked: the row in a tint of the theme's
// selection colour, and an emblem on the name's icon that says which kind of difference it is, so
// that the mark does not rest on colour alone. The emblem's meaning shows as the row's tooltip.
class RowMarkDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using MarkOf = std::function<RowMark(const QModelIndex &index)>;
    RowMarkDelegate(MarkOf markOf, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The theme's selection colour over its list background, as strong as the list's text still
    // reads on it at 4.5:1.
    [[nodiscard]] static QColor tint(const QPalette &palette);
    // What the mark says, for the tooltip; empty for a row that is the same on both sides.
    [[nodiscard]] static QString markText(RowMark mark);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    void paintEmblem(QPainter *painter, const QRect &icon, RowMark mark, const QPalette &palette) const;

    MarkOf markOf_;
};
