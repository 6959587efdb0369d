#include "queue/queueicons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include <array>

namespace queueicons
{
namespace
{

// Drawn once: the file or folder picture of the style, and an arrow beside it pointing the way
// the item goes (up to the server, down from it).
QIcon draw(bool folder, bool download)
{
    QPixmap pixmap(27, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const QIcon base = QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    base.paint(&painter, QRect(0, 0, 16, 16));
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    if (download) {
        arrow.moveTo(18, 8);
        arrow.lineTo(26, 8);
        arrow.lineTo(22, 14);
    } else {
        arrow.moveTo(18, 8);
        arrow.lineTo(26, 8);
        arrow.lineTo(22, 2);
    }
    arrow.closeSubpath();
    painter.fillPath(arrow, download ? QColor(0, 90, 200) : QColor(0, 150, 60));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

int indexForParameter(int itemParameter)
{
    const bool folder = (itemParameter & 0xF0) != 0;
    const bool download = (itemParameter & 1) != 0;
    return (download ? 2 : 0) + (folder ? 0 : 1);
}

QIcon icon(int index)
{
    static const std::array<QIcon, 4> icons = {draw(true, false), draw(false, false), draw(true, true),
                                               draw(false, true)};
    return index >= 0 && index < 4 ? icons[size_t(index)] : QIcon();
}

} // namespace queueicons
