#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <cstring>

// Little-endian integers and raw byte fields at fixed offsets of a record.
namespace sitebytes
{

inline void putInt(QByteArray &out, qsizetype offset, std::int32_t value)
{
    const auto bits = std::uint32_t(value);
    for (int i = 0; i < 4; ++i)
        out[offset + i] = char((bits >> (8 * i)) & 0xFF);
}

inline std::int32_t getInt(const char *in, qsizetype offset)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= std::uint32_t(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return std::int32_t(bits);
}

template <std::size_t N> void putArray(QByteArray &out, qsizetype offset, const std::array<char, N> &field)
{
    std::memcpy(out.data() + offset, field.data(), N);
}

template <std::size_t N> void getArray(const char *in, qsizetype offset, std::array<char, N> &field)
{
    std::memcpy(field.data(), in + offset, N);
}

// Copies the text of a field up to its terminator (at most the field's width); the rest stays zero.
template <std::size_t N> void getText(const char *in, qsizetype offset, std::array<char, N> &field)
{
    field.fill(0);
    const char *start = in + offset;
    const void *end = std::memchr(start, 0, N);
    std::memcpy(field.data(), start, end ? size_t(static_cast<const char *>(end) - start) : N);
}

} // namespace sitebytes
