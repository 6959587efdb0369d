#include "sites/sitefolder.h"

#include "sites/sitebytes.h"
#include "sites/sitefield.h"

#include "platform/uitext.h"

SiteFolder SiteFolder::make(int index)
{
    SiteFolder folder;
    folder.index = index;
    folder.setName(UiText::tr("Folder"));
    return folder;
}

QByteArray SiteFolder::toBytes() const
{
    QByteArray out(size, '\0');
    sitebytes::putInt(out, 0, index);
    sitebytes::putArray(out, 4, folderName);
    return out;
}

SiteFolder SiteFolder::fromBytes(const char *bytes)
{
    SiteFolder folder;
    folder.index = sitebytes::getInt(bytes, 0);
    sitebytes::getArray(bytes, 4, folder.folderName);
    return folder;
}

QString SiteFolder::name() const
{
    return sitefield::text(folderName);
}

void SiteFolder::setName(const QString &name)
{
    sitefield::setText(folderName, name);
}
