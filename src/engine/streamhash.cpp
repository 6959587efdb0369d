#include "engine/streamhash.h"

#include <openssl/evp.h>

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

const EVP_MD *digestOf(HashAlgorithm algorithm)
{
    switch (algorithm) {
    case HashAlgorithm::Sha256:
        return EVP_sha256();
    case HashAlgorithm::Sha1:
        return EVP_sha1();
    case HashAlgorithm::Md5:
        return EVP_md5();
    case HashAlgorithm::Crc32:
        break;
    }
    return nullptr;
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

void StreamHash::ContextFree::operator()(evp_md_ctx_st *context) const
{
    EVP_MD_CTX_free(context);
}

StreamHash::StreamHash(HashAlgorithm algorithm) : algorithm_(algorithm)
{
    if (digestOf(algorithm))
        context_.reset(EVP_MD_CTX_new());
    reset();
}

void StreamHash::reset()
{
    // A context that cannot be set up makes no claim rather than a wrong one.
    broken_ = digestOf(algorithm_) && (!context_ || EVP_DigestInit_ex(context_.get(), digestOf(algorithm_), nullptr) != 1);
    crc_ = 0xFFFFFFFFu;
}

void StreamHash::add(const char *data, qint64 length)
{
    if (length <= 0 || broken_)
        return;
    if (context_) {
        broken_ = EVP_DigestUpdate(context_.get(), data, size_t(length)) != 1;
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
    if (!context_)
        return QByteArray::number(crc_ ^ 0xFFFFFFFFu, 16).rightJustified(8, '0');
    // Finished on a copy: the running hash stays as it is.
    const std::unique_ptr<evp_md_ctx_st, ContextFree> copy(EVP_MD_CTX_new());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!copy || EVP_MD_CTX_copy_ex(copy.get(), context_.get()) != 1 ||
        EVP_DigestFinal_ex(copy.get(), digest, &length) != 1)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
}
