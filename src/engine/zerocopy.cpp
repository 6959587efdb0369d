#include "engine/zerocopy.h"

#include "platform/socketwait.h"
#include "platform/workerstop.h"

#include <cerrno>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace
{

// One sendfile call is asked for this much; a non-blocking socket takes what its buffer holds.
constexpr size_t sendChunk = size_t(16) << 20;
// Large enough that one splice takes all a fast sender put in the receive buffer meanwhile.
constexpr int pipeCapacity = 1 << 20;

// The socket does not block for the length of the scope: every wait goes through socketwait,
// which a stop request interrupts, and never into a kernel call that nothing ends.
class NonBlocking
{
public:
    explicit NonBlocking(int socket) : socket_(socket), flags_(::fcntl(socket, F_GETFL))
    {
        if (changes())
            (void)::fcntl(socket_, F_SETFL, flags_ | O_NONBLOCK);
    }
    ~NonBlocking()
    {
        if (changes())
            (void)::fcntl(socket_, F_SETFL, flags_);
    }
    NonBlocking(const NonBlocking &) = delete;
    NonBlocking &operator=(const NonBlocking &) = delete;

private:
    bool changes() const { return flags_ >= 0 && !(flags_ & O_NONBLOCK); }
    int socket_;
    int flags_;
};

// The pipe a splice passes the pages through; closed on every way out, a stop included.
class Pipe
{
public:
    Pipe()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        out_ = ends[0];
        in_ = ends[1];
        // A smaller pipe only means more calls: the default is kept when the kernel refuses.
        (void)::fcntl(in_, F_SETPIPE_SZ, pipeCapacity);
        const int size = ::fcntl(in_, F_GETPIPE_SZ);
        capacity_ = size > 0 ? size_t(size) : 0;
    }
    ~Pipe()
    {
        if (in_ >= 0)
            ::close(in_);
        if (out_ >= 0)
            ::close(out_);
    }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;

    bool isOpen() const { return in_ >= 0 && capacity_ > 0; }
    int in() const { return in_; }
    int out() const { return out_; }
    size_t capacity() const { return capacity_; }

private:
    int in_ = -1;
    int out_ = -1;
    size_t capacity_ = 0;
};

bool refused(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// The file would not take a splice: the bytes already in the pipe go with plain writes, so that
// the byte loop finds the file complete up to what the socket gave. Returns 0 or the errno of
// the write that failed.
int drainPipe(int pipe, int file, qint64 pending, const zerocopy::Progress &progress)
{
    std::vector<char> buffer(size_t(std::min<qint64>(pending, pipeCapacity)));
    while (pending > 0) {
        const ssize_t n = ::read(pipe, buffer.data(), size_t(std::min<qint64>(pending, qint64(buffer.size()))));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return EIO; // the pipe holds what was spliced into it: it cannot come up short
        if (!zerocopy::writeAll(file, buffer.data(), n))
            return errno;
        pending -= n;
        progress(n);
    }
    return 0;
}

} // namespace

bool canUseZeroCopy(const FtpConnection &connection, char type)
{
    // The kernel cannot encrypt: a protected data connection goes through TLS block by block.
    // A hash or a piece of the file needs every byte to pass through the program.
    return type == 'I' && connection.options.zeroCopy && !connection.listingTransfer && !connection.dataProtected &&
           !connection.dataTls && !connection.transferHash && connection.receiveLimit < 0;
}

bool canSendWithoutCopy(const FtpConnection &connection, char type, int dataSocket)
{
    if (!canUseZeroCopy(connection, type))
        return false;
    if (!connection.options.byteLoopToThisMachine)
        return true;
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(dataSocket, reinterpret_cast<sockaddr *>(&peer), &length) != 0)
        return true;
    if (peer.ss_family == AF_INET) {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(&peer);
        return (ntohl(v4->sin_addr.s_addr) >> 24) != 127;
    }
    if (peer.ss_family == AF_INET6) {
        const in6_addr &v6 = reinterpret_cast<const sockaddr_in6 *>(&peer)->sin6_addr;
        const bool mappedLoopback = IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
        return !IN6_IS_ADDR_LOOPBACK(&v6) && !mappedLoopback;
    }
    return true;
}

namespace zerocopy
{

bool writeAll(int fd, const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, size_t(length));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        length -= n;
    }
    return true;
}

Sent sendFile(int socket, int file, const Progress &progress)
{
    const NonBlocking nonBlocking(socket);
    for (;;) {
        workerstop::throwIfRequested();
        const ssize_t n = ::sendfile(socket, file, nullptr, sendChunk);
        if (n > 0) {
            progress(n);
            continue;
        }
        if (n == 0)
            return {true};
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (socketwait::writable(socket) == socketwait::Result::Ready)
                continue;
        }
        // Refused, or a failure of the file or the socket: the byte loop goes on from here and,
        // when the failure persists, reports it as it reports its own.
        return {false};
    }
}

Received receiveFile(FtpConnection &connection, int socket, int file, const Progress &progress)
{
    Received result;
    Pipe pipe;
    if (!pipe.isOpen()) {
        result.handOver = true;
        return result;
    }
    const NonBlocking nonBlocking(socket);
    bool fileTookSplice = false;
    while (!connection.abortRequested) {
        workerstop::throwIfRequested();
        const ssize_t n = ::splice(socket, nullptr, pipe.in(), nullptr, pipe.capacity(), SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (socketwait::readable(socket) == socketwait::Result::Ready)
                    continue;
                result.last = -1;
                return result;
            }
            // Nothing was taken off the socket: the byte loop receives all of it.
            result.handOver = refused(errno);
            result.last = result.handOver ? 0 : -1;
            return result;
        }
        result.last = long(n);
        if (n == 0)
            return result;
        qint64 pending = n;
        while (pending > 0) {
            const ssize_t m = ::splice(pipe.out(), nullptr, file, nullptr, size_t(pending), SPLICE_F_MOVE);
            if (m > 0) {
                fileTookSplice = true;
                pending -= m;
                progress(m);
                continue;
            }
            if (m < 0 && errno == EINTR)
                continue;
            if (m < 0 && refused(errno) && !fileTookSplice) {
                result.writeError = drainPipe(pipe.out(), file, pending, progress);
                result.handOver = result.writeError == 0;
                return result;
            }
            // What the pipe still holds never reaches the file: the file ends where the disk
            // stopped taking bytes.
            result.writeError = m == 0 ? ENOSPC : errno;
            return result;
        }
    }
    return result;
}

} // namespace zerocopy
