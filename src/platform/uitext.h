#pragma once

#include <QCoreApplication>
#include <QString>

// The texts of menus, dialogs and labels, in one translation context keyed by their English
// wording: UiText::tr("&File"). Called qualified, so the translation tools file every call under
// this context wherever it stands; menuText and withAccessKey are read by them as tr.
class UiText
{
    Q_DECLARE_TR_FUNCTIONS(UiText)

public:
    // A menu text with its access key: the English text gets "&" before the key letter; a
    // translated one, whose letters differ, gets the key in brackets the way Korean menus show it.
    // A "\t" and what follows it (the key shown beside the command) stay at the end.
    [[nodiscard]] static QString menuText(const char *english, char key);

    // A label or button text with a keyboard access key, as menuText, with the bracketed key of a
    // translation placed before a closing ":" or "...".
    [[nodiscard]] static QString withAccessKey(const char *english, char key);
};
