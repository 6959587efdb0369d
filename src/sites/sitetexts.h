#pragma once

#include <QString>

// Dialog labels. Until the shared table of dialog texts exists they show as written here.
inline QString uiText(const char *text)
{
    return QString::fromUtf8(text);
}
