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

} // namespace namecodec
