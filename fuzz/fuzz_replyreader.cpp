// The reply reader on a control connection whose server sends the fuzz bytes in pieces and then
// closes: every read must end, take at least one byte, and keep the line within its buffer.
#include "engine/controlconnection.h"
#include "fuzzcheck.h"
#include "platform/durations.h"

#include <cstring>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr qsizetype lineLimit = replyBufferSize - 1;

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

struct Expected {
    int result = 0;
    QByteArray text;
};

// When the bytes begin with a whole one-line reply ("250 text" and a line feed), what the first
// read must give: its class (550 as itself) and the line without its line end and trailing blanks.
std::optional<Expected> firstReply(const QByteArray &bytes)
{
    const qsizetype lf = bytes.indexOf('\n');
    // Short enough for the first look at the socket; EXOS lines over 80 bytes follow other rules.
    if (lf < 4 || lf > 80)
        return std::nullopt;
    QByteArray line = bytes.first(lf);
    const auto digit = [&](int i) { return line[i] >= '0' && line[i] <= '9'; };
    if (line.contains('\0') || line[0] < '1' || line[0] > '5' || !digit(1) || !digit(2) || line[3] != ' ')
        return std::nullopt;
    while (line.size() > 2 && (line.endsWith('\r') || line.endsWith(' ')))
        line.chop(1);
    const int code = line.first(3).toInt();
    return Expected{code == 550 ? 550 : code / 100, line};
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
    const std::optional<Expected> expected = firstReply(bytes);
    int reads = 0;
    for (;;) {
        QByteArray reply;
        const int result = ReadReply(c, &reply);
        ++reads;
        if (reads == 1 && expected) {
            FUZZ_CHECK(result == expected->result);
            FUZZ_CHECK(reply == expected->text);
        }
        FUZZ_CHECK(isResult(result));
        FUZZ_CHECK(c.replyDepth == 0);
        const qsizetype length = qsizetype(strnlen(c.replyBuffer.data(), c.replyBuffer.size()));
        FUZZ_CHECK(length <= lineLimit);
        FUZZ_CHECK(!reply.contains('\0'));
        FUZZ_CHECK(reply.size() <= lineLimit);
        // Each read takes at least one byte off the connection until it ends: the reads are
        // bounded by the input's length, however the server breaks its lines.
        FUZZ_CHECK(reads <= bytes.size() + 1);
        // A protocol error or a lost session closes the connection itself.
        if (result == -1 || c.connectionEnded || c.controlSocket == -1)
            break;
    }
    // The reader's end goes first, so that a server still sending fails instead of waiting.
    if (c.controlSocket != -1)
        ::close(ends[0]);
    if (server.joinable())
        server.join();
    return 0;
}
