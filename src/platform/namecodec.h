#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

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

// A site may name the character set its server uses; an empty name means automatic, as above.
// A name this build cannot convert is treated as automatic too.
[[nodiscard]] bool isKnownCharset(QByteArrayView charset);
// True when such a site's names are read as UTF-8 where valid: automatic, or UTF-8 named.
[[nodiscard]] bool readsUtf8(QByteArrayView charset);
// The character sets offered for a site, by the names its settings store.
[[nodiscard]] const QList<QByteArray> &offeredCharsets();
[[nodiscard]] QString decodeName(QByteArrayView bytes, QByteArrayView charset);
// The bytes a typed name goes to the server as: UTF-8 when automatic. Nothing when the character
// set cannot represent the name, so that no substitute bytes name something the user did not type.
[[nodiscard]] std::optional<QByteArray> encodeName(const QString &name, QByteArrayView charset);

// Control characters written out as "\x1b" (U+2028 and U+2029 as "\u2028"), so that text from a
// server can neither put raw control bytes on the screen nor break a line where it has none. With
// `keepLineFeeds` a "\n" stays as it is. Text without such characters comes back as it is.
[[nodiscard]] QString escapeControls(const QString &text, bool keepLineFeeds = false);
// The name as the lists show it: decoded, control characters escaped. `exact` is set to whether
// the UTF-8 form of the shown text gives back `bytes`; when it does not, keep the bytes.
[[nodiscard]] QString displayName(QByteArrayView bytes, bool *exact, Legacy legacy = Legacy::FromLocale);
// The same in a site's character set.
[[nodiscard]] QString displayName(QByteArrayView bytes, bool *exact, QByteArrayView charset);

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
