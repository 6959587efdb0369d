#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringView>

#include <limits>

// Date-time values of file lists as one sortable number, and their display texts in the user's
// locale. A key counts minutes from 30 December 1899 00:00, the "zero" value that a listing line
// without a recognisable date carries.
namespace datetimetext
{

using Key = qint64;
inline constexpr Key invalidKey = std::numeric_limits<qint64>::min();
inline constexpr Key zeroKey = 0;

[[nodiscard]] Key makeKey(QDate date, int hour, int minute);

// Date and time; the date alone at midnight; the time alone for the zero value; empty when invalid.
// The year is always shown with four digits so that the text reads back unambiguously.
[[nodiscard]] QString format(Key key);

// Reads back a text made by format() in the same locale; invalidKey when it does not parse.
[[nodiscard]] Key parseDisplayed(QStringView text);

} // namespace datetimetext
