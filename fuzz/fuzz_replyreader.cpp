// The reply reader on a control connection whose server sends the fuzz bytes in pieces and then
// closes: every read must end, take at least one byte, and keep the line within its buffer.
#include "engine/controlconnection.h"
#include "fuzzcheck.h"
#include "platform/durations.h"

#include <cstring>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr qsizetype lineLimit = 4000;

void serve(int socket, std::vector<QByteArray> pieces)
{
    for (const QByteArray &piece : pieces) {
        if (::send(socket, piece.constData(), size_t(piece.size()), MSG_NOSIGNAL) < 0)
            break;
        std::this_thread::yield();
    }
    ::close(socket);
}

bool isResult(int result)
{
    return result == -1 || result == 550 || (result >= 0 && result <= 5);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    using namespace std::chrono_literals;
    // The window thread's wait for a reply: long enough for the writer, short when it stalls.
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
    // data[0] & 8: the pieces arrive one by one, from another thread.
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2));

    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        std::abort();
    // Split delivery needs a server on its own thread; most inputs are written whole up front,
    // which is many times faster and reaches the same code apart from the waits.
    std::vector<QByteArray> pieces = fuzzcheck::pieces(bytes, data[1]);
    std::thread server;
    if ((data[0] & 8) || bytes.size() > 65536)
        server = std::thread(serve, ends[1], std::move(pieces));
    else
        serve(ends[1], std::move(pieces));

    FtpConnection c;
    c.controlSocket = ends[0];
    c.serverKind = kind;
    c.connected = loggedIn;
    int reads = 0;
    for (;;) {
        QByteArray reply;
        const int result = ReadReply(c, &reply);
        ++reads;
        FUZZ_CHECK(isResult(result));
        FUZZ_CHECK(c.replyDepth == 0);
        const qsizetype length = qsizetype(strnlen(c.replyBuffer.data(), c.replyBuffer.size()));
        FUZZ_CHECK(length <= lineLimit);
        FUZZ_CHECK(!reply.contains('\0'));
        FUZZ_CHECK(reply.size() <= lineLimit);
        // Each read takes at least one byte off the connection until it ends: the reads are
        // bounded by the input's length, however the server breaks its lines.
        FUZZ_CHECK(reads <= bytes.size() + 1);
        if (result == -1 || c.connectionEnded)
            break;
    }
    // The reader's end goes first, so that a server still sending fails instead of waiting.
    ::close(ends[0]);
    if (server.joinable())
        server.join();
    return 0;
}
