#include "controls/fileiconimages.h"

#include "platform/fileicons.h"

#include <QFileIconProvider>
#include <QHash>

QIcon iconForIndex(int index)
{
    if (index < 0)
        return QIcon();
    static QHash<int, QIcon> icons;
    auto it = icons.constFind(index);
    if (it != icons.constEnd())
        return *it;
    const fileicons::IconName name = fileicons::iconName(index);
    static const QFileIconProvider provider;
    const QIcon fallback =
        provider.icon(name.folder ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
    QIcon icon = QIcon::fromTheme(name.themeName, QIcon::fromTheme(name.genericName, fallback));
    icons.insert(index, icon);
    return icon;
}
