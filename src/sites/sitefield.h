#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>

// The text fields of the site file: fixed-width byte arrays holding a text and a zero terminator.
// Bytes after the terminator are kept as they are, so that a record is written back exactly as read.
namespace sitefield
{

// The bytes before the terminator (the whole width when there is none).
QByteArray storedBytes(const char *field, qsizetype width);
// UTF-8 when the bytes are valid UTF-8; otherwise CP949, the code page older installations wrote.
QString decode(const QByteArray &bytes);
// The UTF-8 form of `text`, cut on a character boundary so that it fits `width - 1` bytes.
QByteArray fit(const QString &text, qsizetype width);

template <std::size_t N> QByteArray bytes(const std::array<char, N> &field)
{
    return storedBytes(field.data(), qsizetype(N));
}

template <std::size_t N> QString text(const std::array<char, N> &field)
{
    return decode(bytes(field));
}

// Clears the field to its full width and stores `value`.
template <std::size_t N> void setText(std::array<char, N> &field, const QString &value)
{
    const QByteArray encoded = fit(value, qsizetype(N));
    field.fill(0);
    std::copy(encoded.begin(), encoded.end(), field.begin());
}

// Whether storing `value` would change what the field holds. A text that the field shows
// already (also one read as CP949) is no change.
template <std::size_t N> bool differs(const std::array<char, N> &field, const QString &value)
{
    return text(field) != value && bytes(field) != fit(value, qsizetype(N));
}

} // namespace sitefield
