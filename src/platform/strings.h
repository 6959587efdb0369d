#pragma once

#include <QString>

// The program's texts, looked up by numeric id in the table of the user's language
// (English or Korean), compiled into the program.
enum class Language { English, Korean };

// Follows the locale at start; tests may switch it.
Language currentLanguage();
void setLanguage(Language language);

// The text of `id`, or an empty text when the table has none.
QString loadString(int id);

// Both tables as they are, for the check that they hold the same ids and conversions.
struct StringEntry {
    int id;
    const char *text;
};
struct StringTable {
    const StringEntry *entries;
    int count;
};
StringTable stringTable(Language language);
