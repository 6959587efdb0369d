#include "engine/streamhash.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace
{

// The CRC-32 of zip and Ethernet (reflected, polynomial 0xEDB88320), which XCRC answers with.
const std::array<quint32, 256> &crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

std::optional<QCryptographicHash::Algorithm> qtAlgorithm(HashAlgorithm algorithm)
{
    switch (algorithm) {
    case HashAlgorithm::Sha256:
        return QCryptographicHash::Sha256;
    case HashAlgorithm::Sha1:
        return QCryptographicHash::Sha1;
    case HashAlgorithm::Md5:
        return QCryptographicHash::Md5;
    case HashAlgorithm::Crc32:
        break;
    }
    return std::nullopt;
}

} // namespace

QByteArray hashAlgorithmName(HashAlgorithm algorithm)
{
    switch (algorithm) {
    case HashAlgorithm::Sha256:
        return "SHA-256";
    case HashAlgorithm::Sha1:
        return "SHA-1";
    case HashAlgorithm::Md5:
        return "MD5";
    case HashAlgorithm::Crc32:
        break;
    }
    return "CRC32";
}

int hashHexLength(HashAlgorithm algorithm)
{
    switch (algorithm) {
    case HashAlgorithm::Sha256:
        return 64;
    case HashAlgorithm::Sha1:
        return 40;
    case HashAlgorithm::Md5:
        return 32;
    case HashAlgorithm::Crc32:
        break;
    }
    return 8;
}

StreamHash::StreamHash(HashAlgorithm algorithm) : algorithm_(algorithm)
{
    if (const auto qt = qtAlgorithm(algorithm))
        hash_.emplace(*qt);
}

void StreamHash::reset()
{
    if (hash_)
        hash_->reset();
    crc_ = 0xFFFFFFFFu;
    broken_ = false;
}

void StreamHash::add(const char *data, qint64 length)
{
    if (length <= 0)
        return;
    if (hash_) {
        hash_->addData(QByteArrayView(data, length));
        return;
    }
    const auto &table = crcTable();
    quint32 c = crc_;
    for (qint64 i = 0; i < length; ++i)
        c = table[(c ^ quint8(data[i])) & 0xFF] ^ (c >> 8);
    crc_ = c;
}

bool StreamHash::addFileHead(int fd, qint64 length)
{
    std::vector<char> block(size_t(std::min<qint64>(length, 1 << 20)));
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, block.data(), size_t(std::min<qint64>(qint64(block.size()), length - done)),
                                  off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            broken_ = true;
            return false;
        }
        add(block.data(), n);
        done += n;
    }
    return true;
}

std::optional<QByteArray> StreamHash::hex() const
{
    if (broken_)
        return std::nullopt;
    if (hash_)
        return hash_->result().toHex();
    return QByteArray::number(crc_ ^ 0xFFFFFFFFu, 16).rightJustified(8, '0');
}
