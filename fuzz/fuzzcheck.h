#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A broken property stops the run like a crash does, so that libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace fuzzcheck
{

// Cuts `bytes` into pieces whose lengths come from `seed`, so that one input also decides where
// the reads of the program see a line end.
inline std::vector<QByteArray> pieces(const QByteArray &bytes, std::uint32_t seed)
{
    std::vector<QByteArray> out;
    qsizetype at = 0;
    while (at < bytes.size()) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length = qsizetype((seed >> 16) % 97) + 1;
        out.push_back(bytes.mid(at, length));
        at += length;
    }
    return out;
}

// FNV-1a: picks the inputs that also take a slower road, the same ones on every run.
inline std::uint32_t hash(const std::uint8_t *data, std::size_t size)
{
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

inline qsizetype lineCount(const QByteArray &bytes)
{
    return bytes.count('\n') + 1;
}

// A private folder for the files a target writes, made once per process; in memory where the
// system has it, since the site list's fsync on a disk would cost more than the parsing.
inline const QString &scratchFolder()
{
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/tidewell-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/tidewell-fuzz-XXXXXX"));
    static const QString path = folder.isValid() ? folder.path() : (std::abort(), QString());
    return path;
}

} // namespace fuzzcheck
