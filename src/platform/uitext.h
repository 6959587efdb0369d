#pragma once

#include <QString>

// The texts of menus, dialogs and labels, keyed by their English wording. In Korean the table's
// translation is returned; in English, or for a text the table lacks, the English text itself.
QString uiText(const char *english);

// The Korean table as it is, for the check that it holds no key twice.
struct UiTextEntry {
    const char *english;
    const char *korean;
};
struct UiTextTable {
    const UiTextEntry *entries;
    int count;
};
UiTextTable uiTextTable();
