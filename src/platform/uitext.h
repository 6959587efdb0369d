#pragma once

#include <QString>

// Interim: menu and dialog texts in English until the text tables of both languages hold them.
inline QString uiText(const char *english) { return QString::fromUtf8(english); }
