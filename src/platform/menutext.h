#pragma once

#include <QString>

// A menu text with its access key: the English text gets "&" before the key letter; a translated
// one, whose letters differ, gets the key in brackets the way Korean menus show it. A "\t" and what
// follows it (the key shown beside the command) stay at the end.
[[nodiscard]] QString menuText(const char *english, char key);
