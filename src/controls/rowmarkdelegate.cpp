#include "controls/rowmarkdelegate.h"

#include "platform/contrast.h"
#include "platform/uitext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QToolTip>

RowMarkDelegate::RowMarkDelegate(MarkOf markOf, QObject *parent)
    : QStyledItemDelegate(parent), markOf_(std::move(markOf))
{
}

QColor RowMarkDelegate::tint(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor accent = palette.color(QPalette::Highlight);
    const QColor text = palette.color(QPalette::Text);
    for (int percent = 40; percent > 0; percent -= 5) {
        const auto mix = [percent](int over, int under) { return (over * percent + under * (100 - percent)) / 100; };
        const QColor blended(mix(accent.red(), base.red()), mix(accent.green(), base.green()),
                             mix(accent.blue(), base.blue()));
        if (contrastRatio(text, blended) >= 4.5)
            return blended;
    }
    return base;
}

QString RowMarkDelegate::markText(RowMark mark)
{
    switch (mark) {
    case RowMark::OnlyHere:
        return UiText::tr("Only on this side");
    case RowMark::SizeDiffers:
        return UiText::tr("The size differs");
    case RowMark::Newer:
        return UiText::tr("Newer on this side");
    case RowMark::Older:
        return UiText::tr("Newer on the other side");
    case RowMark::Same:
        break;
    }
    return {};
}

void RowMarkDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (markOf_(index) != RowMark::Same)
        option->backgroundBrush = tint(option->palette);
}

void RowMarkDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const RowMark mark = markOf_(index);
    if (mark == RowMark::Same || index.column() != 0)
        return;
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &item, item.widget);
    if (!icon.isValid())
        icon = QRect(option.rect.topLeft(), option.decorationSize);
    paintEmblem(painter, icon, mark, option.palette);
}

void RowMarkDelegate::paintEmblem(QPainter *painter, const QRect &icon, RowMark mark, const QPalette &palette) const
{
    // On the lower right of the icon, as desktops put emblems: a disc in the text colour with a
    // sign in the list's background colour.
    const int side = std::max(8, icon.height() * 3 / 4);
    const QRectF disc(icon.right() + 1 - side + 2, icon.bottom() + 1 - side, side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(palette.color(QPalette::Base), 1));
    painter->setBrush(palette.color(QPalette::Text));
    painter->drawEllipse(disc);
    const QColor sign = palette.color(QPalette::Base);
    const qreal u = side / 8.0;
    const QPointF c = disc.center();
    QPainterPath path;
    switch (mark) {
    case RowMark::OnlyHere: // a plus
        path.addRect(QRectF(c.x() - 2.5 * u, c.y() - 0.6 * u, 5 * u, 1.2 * u));
        path.addRect(QRectF(c.x() - 0.6 * u, c.y() - 2.5 * u, 1.2 * u, 5 * u));
        break;
    case RowMark::SizeDiffers: // two bars: "not the same"
        path.addRect(QRectF(c.x() - 2.5 * u, c.y() - 1.8 * u, 5 * u, 1.2 * u));
        path.addRect(QRectF(c.x() - 2.5 * u, c.y() + 0.6 * u, 5 * u, 1.2 * u));
        break;
    case RowMark::Newer: // pointing up
        path.moveTo(c.x(), c.y() - 2.5 * u);
        path.lineTo(c.x() + 2.5 * u, c.y() + 1.8 * u);
        path.lineTo(c.x() - 2.5 * u, c.y() + 1.8 * u);
        path.closeSubpath();
        break;
    case RowMark::Older: // pointing down
        path.moveTo(c.x(), c.y() + 2.5 * u);
        path.lineTo(c.x() + 2.5 * u, c.y() - 1.8 * u);
        path.lineTo(c.x() - 2.5 * u, c.y() - 1.8 * u);
        path.closeSubpath();
        break;
    case RowMark::Same:
        break;
    }
    painter->setPen(Qt::NoPen);
    painter->setBrush(sign);
    painter->drawPath(path);
    painter->restore();
}

bool RowMarkDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    if (event && event->type() == QEvent::ToolTip && index.isValid()) {
        const QString text = markText(markOf_(index));
        if (!text.isEmpty()) {
            QToolTip::showText(event->globalPos(), text, view);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
