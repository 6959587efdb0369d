#pragma once

#include <QIcon>
#include <QString>

// The toolbar's pictures come from the desktop's icon theme, by the freedesktop names, so that
// they match the other programs on the desktop.
QIcon toolbarIcon(int commandId);
// The theme name of a command's picture, or an empty text for a command without one.
QString toolbarIconName(int commandId);

// The theme searched when the desktop's own theme lacks a name, or no theme is set at all (a
// bare X session, a window manager without a desktop). It is a dependency of the program.
inline constexpr const char *fallbackIconTheme = "Adwaita";
// Names the fallback theme and gives the program its own window icon. Called at start-up.
void installDesktopIcons();
