#include "shell/toolbaricons.h"

#include "platform/commandids.h"
#include "shell/programresources.h"

#include <QApplication>
#include <QStandardPaths>

namespace
{

struct ThemeIcon {
    int id;
    const char *name;
};

// Names of the freedesktop icon naming standard, so that every theme has them.
constexpr ThemeIcon themeIcons[] = {
    {cmd::SiteManager, "network-server"},
    {cmd::Connect, "network-transmit-receive"},
    {cmd::Disconnect, "network-offline"},
    {cmd::Preference, "preferences-system"},
    {cmd::Upload, "go-up"},
    {cmd::Download, "go-down"},
    {cmd::TransferQueue, "media-playback-start"},
    {cmd::Abort, "process-stop"},
    {cmd::Refresh, "view-refresh"},
    {cmd::Rename, "insert-text"},
    {cmd::ChangeAttribute, "document-properties"},
    {cmd::Delete, "edit-delete"},
    {cmd::DeleteSubfolder, "user-trash"},
    {cmd::MoveTo, "go-jump"},
    {cmd::NewFolder, "folder-new"},
    {cmd::UserCommand, "utilities-terminal"},
    {cmd::SyncBrowsing, "media-playlist-repeat"},
    {cmd::CompareFolders, "edit-find-replace"},
    {cmd::BinaryMode, "application-x-executable"},
    {cmd::AsciiMode, "text-x-generic"},
    {cmd::AutoMode, "system-run"},
};

} // namespace

QString toolbarIconName(int commandId)
{
    for (const ThemeIcon &icon : themeIcons) {
        if (icon.id == commandId)
            return QString::fromLatin1(icon.name);
    }
    return {};
}

QIcon toolbarIcon(int commandId)
{
    const QString name = toolbarIconName(commandId);
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}

void installDesktopIcons()
{
    // A platform without a desktop theme (offscreen, eglfs, a bare Wayland compositor) may
    // neither search the XDG icon folders nor name a theme, and without a theme name the fallback
    // theme is never consulted. hicolor is the base theme every desktop has.
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList dataIcons = QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
    for (const QString &folder : dataIcons) {
        if (!paths.contains(folder))
            paths.append(folder);
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(QString::fromLatin1(fallbackIconTheme));
    QApplication::setWindowIcon(programIcon());
}
