#pragma once

#include <QIcon>

// The 22 x 22 toolbar images, drawn by the program so that they look the same on every desktop.
QIcon toolbarIcon(int commandId);
