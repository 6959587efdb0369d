#pragma once

#include <QByteArray>
#include <QString>

// Remote file names travel as bytes. For display they are decoded as UTF-8 when they are valid
// UTF-8, otherwise in the legacy code page of the user's locale (CP949 for Korean, Latin-1
// otherwise), so that names written by old servers stay readable.
namespace namecodec
{

enum class Legacy { FromLocale, Cp949, Latin1 };

[[nodiscard]] bool isValidUtf8(QByteArrayView bytes);
[[nodiscard]] QString decodeName(QByteArrayView bytes, Legacy legacy = Legacy::FromLocale);
// Decodes CP949 bytes; bytes that are not CP949 come out as replacement characters.
[[nodiscard]] QString decodeCp949(QByteArrayView bytes);

// Control characters written out as "\x1b" (U+2028 and U+2029 as "\u2028"), so that text from a
// server can neither put raw control bytes on the screen nor break a line where it has none. With
// `keepLineFeeds` a "\n" stays as it is. Text without such characters comes back as it is.
[[nodiscard]] QString escapeControls(const QString &text, bool keepLineFeeds = false);
// The name as the lists show it: decoded, control characters escaped. `exact` is set to whether
// the UTF-8 form of the shown text gives back `bytes`; when it does not, keep the bytes.
[[nodiscard]] QString displayName(QByteArrayView bytes, bool *exact, Legacy legacy = Legacy::FromLocale);

// A field of a one-line, ";"-separated record: control bytes and ";" as "%XX" (upper-case hex),
// and "%" as "%25" where it would otherwise read as such an escape. Every other byte stays, so a
// field without them is written unchanged, and a field written before there were escapes
// ("50%off", "a%20b") reads as itself.
[[nodiscard]] QByteArray escapeField(QByteArrayView bytes);
// The same, appended to `out`: a record is made without a buffer per field.
void appendEscapedField(QByteArray &out, QByteArrayView bytes);
// Undoes escapeField; a "%" that starts no escape it writes is read as itself.
[[nodiscard]] QByteArray unescapeField(QByteArrayView field);

} // namespace namecodec
