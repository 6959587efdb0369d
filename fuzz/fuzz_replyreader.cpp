// The reply reader on a control connection whose server sends the fuzz bytes in pieces and then
// closes: every read must end, take at least one byte, keep the line within its buffer and leave
// what follows a complete reply unread.
//
// The connection is simulated in this process: the target defines recv and poll, which answer for
// the one descriptor it hands to the reader and pass every other call to the kernel. A server on a
// socket pair needed a thread and a system call per byte of a long line; here a piece "arrives"
// exactly when the reader has taken everything before it and waits, so every split point of the
// input is reached on purpose rather than by the scheduler.
#include "engine/controlconnection.h"
#include "fuzzcheck.h"
#include "platform/durations.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

constexpr qsizetype lineLimit = replyBufferSize - 1;

// What the server has sent so far and what the reader has taken of it.
struct Wire {
    int fd = -1;
    QByteArray bytes;
    std::vector<qsizetype> pieceEnds; // where each piece of the delivery ends, in order
    size_t pieces = 0;                // pieces delivered
    qsizetype delivered = 0;
    qsizetype taken = 0;
    int waits = 0;

    bool owns(int descriptor) const { return fd >= 0 && descriptor == fd; }
    void deliverNext()
    {
        if (pieces < pieceEnds.size())
            delivered = pieceEnds[pieces++];
    }
};

Wire wire;

bool isResult(int result)
{
    return result == -1 || result == 550 || (result >= 0 && result <= 5);
}

struct Expected {
    int result = 0;
    QByteArray text;
    qsizetype lineBytes = 0;
};

// When the bytes begin with a whole one-line reply ("250 text" and a line feed), what the first
// read must give: its class (550 as itself) and the line without its line end and trailing blanks.
std::optional<Expected> firstReply(const QByteArray &bytes)
{
    const qsizetype lf = bytes.indexOf('\n');
    // Short enough for the first look at the socket; EXOS lines over 80 bytes follow other rules.
    if (lf < 4 || lf >= 80)
        return std::nullopt;
    QByteArray line = bytes.first(lf);
    const auto digit = [&](int i) { return line[i] >= '0' && line[i] <= '9'; };
    if (line.contains('\0') || line[0] < '1' || line[0] > '5' || !digit(1) || !digit(2) || line[3] != ' ')
        return std::nullopt;
    while (line.size() > 2 && (line.endsWith('\r') || line.endsWith(' ')))
        line.chop(1);
    const int code = line.first(3).toInt();
    return Expected{code == 550 ? 550 : code / 100, line, lf + 1};
}

} // namespace

// The reader's receive (always with MSG_DONTWAIT): the delivered bytes, "would block" when it has
// taken them all, 0 once the server has sent everything and closed.
extern "C" ssize_t recv(int fd, void *buffer, size_t length, int flags)
{
    if (!wire.owns(fd))
        return ssize_t(::syscall(SYS_recvfrom, fd, buffer, length, flags, nullptr, nullptr));
    FUZZ_CHECK(flags & MSG_DONTWAIT);
    if (wire.taken == wire.delivered) {
        if (wire.delivered == wire.bytes.size())
            return 0;
        errno = EAGAIN;
        return -1;
    }
    const size_t count = std::min(length, size_t(wire.delivered - wire.taken));
    std::memcpy(buffer, wire.bytes.constData() + wire.taken, count);
    if (!(flags & MSG_PEEK))
        wire.taken += qsizetype(count);
    return ssize_t(count);
}

// The reader waits only when it has taken every delivered byte: the next piece arrives.
extern "C" int poll(struct pollfd *fds, nfds_t count, int timeout)
{
    if (count == 0 || !wire.owns(fds[0].fd))
        return int(::syscall(SYS_poll, fds, count, timeout));
    FUZZ_CHECK(fds[0].events & POLLIN);
    FUZZ_CHECK(wire.taken == wire.delivered && wire.delivered < wire.bytes.size());
    ++wire.waits;
    wire.deliverNext();
    for (nfds_t i = 0; i < count; ++i)
        fds[i].revents = 0;
    fds[0].revents = POLLIN;
    return 1;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    using namespace std::chrono_literals;
    // Nothing here waits on a clock, but a wait that slipped through must not last 30 s.
    durations::setForTest(durations::Kind::UiCommandReply, 2s);
    durations::setForTest(durations::Kind::Watchdog, 2s);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    static constexpr ServerKind kinds[] = {ServerKind::Generic, ServerKind::Exos, ServerKind::UnixListing,
                                           ServerKind::Microsoft};
    const ServerKind kind = kinds[data[0] & 3];
    const bool loggedIn = data[0] & 4;
    // data[0] & 8: the pieces arrive one by one, each when the reader waits for it; otherwise
    // all of them are there before the first read.
    const bool split = data[0] & 8;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2));

    // A real descriptor, so that the shutdown, linger and close of a broken connection act on
    // something of ours; its data never comes from the kernel.
    static int pair[2] = {-1, -1};
    if (pair[0] == -1 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        std::abort();
    wire = Wire{};
    wire.fd = ::dup(pair[0]);
    if (wire.fd < 0)
        std::abort();
    wire.bytes = bytes;
    qsizetype end = 0;
    for (const QByteArray &piece : fuzzcheck::pieces(bytes, data[1]))
        wire.pieceEnds.push_back(end += piece.size());
    if (split)
        wire.deliverNext();
    else
        wire.delivered = bytes.size(), wire.pieces = wire.pieceEnds.size();

    FtpConnection c;
    c.controlSocket = wire.fd;
    c.serverKind = kind;
    c.connected = loggedIn;
    const std::optional<Expected> expected = firstReply(bytes);
    int reads = 0;
    for (;;) {
        QByteArray reply;
        const qsizetype before = wire.taken;
        const int result = ReadReply(c, &reply);
        ++reads;
        if (reads == 1 && expected) {
            FUZZ_CHECK(result == expected->result);
            FUZZ_CHECK(reply == expected->text);
            // The next reply (or a data burst) stays on the connection.
            FUZZ_CHECK(wire.taken == expected->lineBytes);
        }
        FUZZ_CHECK(isResult(result));
        FUZZ_CHECK(c.replyDepth == 0);
        const qsizetype length = qsizetype(strnlen(c.replyBuffer.data(), c.replyBuffer.size()));
        FUZZ_CHECK(length <= lineLimit);
        FUZZ_CHECK(!reply.contains('\0'));
        FUZZ_CHECK(reply.size() <= lineLimit);
        FUZZ_CHECK(wire.taken <= wire.delivered);
        // Each read takes at least one byte off the connection until it ends: the reads are
        // bounded by the input's length, however the server breaks its lines.
        FUZZ_CHECK(reads <= bytes.size() + 1);
        FUZZ_CHECK(wire.taken > before || c.connectionEnded || c.controlSocket == -1 || result == -1);
        // A protocol error or a lost session closes the connection itself.
        if (result == -1 || c.connectionEnded || c.controlSocket == -1)
            break;
    }
    // Only a reader that saw no more bytes coming waited for a piece.
    FUZZ_CHECK(wire.waits <= qsizetype(wire.pieceEnds.size()));
    if (c.controlSocket != -1)
        ::close(wire.fd);
    wire.fd = -1;
    return 0;
}
