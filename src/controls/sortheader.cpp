#include "controls/sortheader.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace
{

// A 9 by 9 black triangle, pointing up for ascending and down for descending.
QIcon arrowIcon(bool ascending)
{
    QPixmap pixmap(9, 9);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QPolygon triangle = ascending ? QPolygon({QPoint(4, 1), QPoint(8, 7), QPoint(0, 7)})
                                        : QPolygon({QPoint(0, 1), QPoint(8, 1), QPoint(4, 7)});
    painter.drawPolygon(triangle);
    return QIcon(pixmap);
}

} // namespace

SortHeader::SortHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), ascendingArrow_(arrowIcon(true)),
      descendingArrow_(arrowIcon(false))
{
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void SortHeader::ClearArrows()
{
    if (QAbstractItemModel *m = model()) {
        for (int i = 0; i < count(); ++i)
            if (m->headerData(i, Qt::Horizontal, Qt::DecorationRole).isValid())
                m->setHeaderData(i, Qt::Horizontal, QVariant(), Qt::DecorationRole);
    }
    arrowItem_ = -1;
}

void SortHeader::SetArrow(int item, bool ascending)
{
    if (QAbstractItemModel *m = model())
        m->setHeaderData(item, Qt::Horizontal, ascending ? ascendingArrow_ : descendingArrow_,
                         Qt::DecorationRole);
    arrowItem_ = item;
    arrowAscending_ = ascending;
}
