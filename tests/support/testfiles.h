#pragma once

#include <QByteArray>
#include <QString>

// Files and contents for the transfer tests, which compare what arrived with what was sent.
namespace testsupport
{

// Bytes that no line-end conversion or off-by-one leaves unchanged: a xorshift sequence, the same
// for the same seed.
QByteArray randomBytes(int size, quint32 seed = 2463534242u);

// The file's contents, or "<missing>" (never equal to a real sample) when it cannot be read.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace testsupport
