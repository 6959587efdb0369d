#pragma once

#include <QByteArray>

#include <memory>
#include <optional>

struct evp_md_ctx_st;

// The hash algorithms a server may offer for a file, strongest first.
enum class HashAlgorithm { Sha256, Sha1, Md5, Crc32 };

// The name servers use for it ("SHA-256", "CRC32").
[[nodiscard]] QByteArray hashAlgorithmName(HashAlgorithm algorithm);
// Hex digits in its digest.
[[nodiscard]] int hashHexLength(HashAlgorithm algorithm);

// A file's hash built from its bytes as they cross the data connection, so that the file is never
// read a second time. A resumed transfer first takes the part already there from the file itself.
// The digests come from OpenSSL, whose SHA-256 uses the processor's own instructions: about ten
// times the speed of a portable one, which would otherwise cap a fast transfer.
class StreamHash
{
public:
    explicit StreamHash(HashAlgorithm algorithm);

    [[nodiscard]] HashAlgorithm algorithm() const { return algorithm_; }
    // Starts over: a transfer that begins again from byte 0 must not count the bytes before.
    void reset();
    void add(const char *data, qint64 length);
    // The first `length` bytes of the open file, read at their offsets (the file position does not
    // move). False, and the hash unusable, when the file holds fewer or cannot be read.
    bool addFileHead(int fd, qint64 length);
    // The digest in lower-case hex; nothing once a read of the file failed.
    [[nodiscard]] std::optional<QByteArray> hex() const;

private:
    struct ContextFree {
        void operator()(evp_md_ctx_st *context) const;
    };
    HashAlgorithm algorithm_;
    std::unique_ptr<evp_md_ctx_st, ContextFree> context_;
    quint32 crc_ = 0xFFFFFFFFu;
    bool broken_ = false;
};
