#include "sites/siteimages.h"

#include <QApplication>
#include <QStyle>

namespace siteimages
{

QIcon folder()
{
    QStyle *style = QApplication::style();
    QIcon icon;
    const QSize size(16, 16);
    icon.addPixmap(style->standardIcon(QStyle::SP_DirClosedIcon).pixmap(size), QIcon::Normal);
    icon.addPixmap(style->standardIcon(QStyle::SP_DirOpenIcon).pixmap(size), QIcon::Selected);
    return icon;
}

QIcon site()
{
    return QApplication::style()->standardIcon(QStyle::SP_DriveNetIcon);
}

} // namespace siteimages
