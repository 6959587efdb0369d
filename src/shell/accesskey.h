#pragma once

#include <QString>

// A label or button text from the text table with a keyboard access key. The English text gets
// "&" before the key letter; a translation, whose letters differ, gets the key in brackets the
// way Korean dialogs show it, before a closing ":" or "...".
QString withAccessKey(const char *english, char key);
