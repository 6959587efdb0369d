#include "engine/transferloops.h"

#include "engine/controlconnection.h"
#include "engine/lineends.h"
#include "engine/transfertexts.h"
#include "engine/uploadprogress.h"
#include "engine/watchdog.h"
#include "engine/zerocopy.h"
#include "platform/log.h"
#include "platform/socketwait.h"
#include "platform/workerstop.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{

// Milliseconds of a clock that only runs forward: a change of the system time during a transfer
// must not make its rate negative or infinite.
qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The rate read-out of one transfer, refreshed about once a second.
class RateClock
{
public:
    explicit RateClock(FtpConnection &connection) : connection_(connection), start_(nowMs()), lastRefresh_(start_)
    {
        connection.transferStart = double(start_) / 1000.0;
    }

    void refresh(qint64 sent, qint64 remaining, bool kilobytes)
    {
        const qint64 now = nowMs();
        if (now - lastRefresh_ < 1000)
            return;
        lastRefresh_ = now;
        ShowTransferRate(connection_, RateText(sent, remaining, now - start_, kilobytes));
    }

    // Ends the clock and returns the elapsed milliseconds.
    qint64 finish()
    {
        const qint64 end = nowMs();
        connection_.transferEnd = double(end) / 1000.0;
        connection_.transferElapsed = double(end - start_) / 1000.0;
        return end - start_;
    }

private:
    FtpConnection &connection_;
    qint64 start_;
    qint64 lastRefresh_;
};

// The handle is shared with the abort and disconnect paths (CloseLocalFiles), which may already
// have closed it; whoever takes it out of the record closes it.
void closeSharedFile(std::atomic<int> &handle, std::atomic<bool> &open)
{
    open = false;
    const int fd = handle.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

// The byte loops' two ends on the data connection: one block received, one block sent.
long receiveBlock(FtpConnection &connection, int dataSocket, char *buffer, size_t length)
{
    return ReceiveSome(connection, dataSocket, buffer, length);
}

bool sendBlock(FtpConnection &connection, int dataSocket, const char *data, qint64 length, qint64 doneBefore)
{
    return SendAll(connection, dataSocket, data, length, doneBefore) == length;
}

// A download shows its progress while the queue runs; a listing, also one the queue's run makes,
// is no file of the queue and would leave its byte count behind as the file's.
bool showsProgress(const FtpConnection &connection)
{
    return connection.transferRunning && !connection.listingTransfer;
}

constexpr size_t tlsBlockSize = 32 * 1024;
// An upload's bytes are copied twice, into the block and into the socket: a block that stays in
// the processor's cache between the two cost half the processor time of a 256 KiB one, measured.
constexpr size_t uploadBlockSize = 64 * 1024;

void setCork(int socket, bool on)
{
    const int value = on ? 1 : 0;
    (void)setsockopt(socket, IPPROTO_TCP, TCP_CORK, &value, sizeof value);
}

// The transfer's hash, started afresh; a resumed transfer's hash first takes the part that is
// already on the other side, read from the local file.
StreamHash *startHash(FtpConnection &connection, int fd, qint64 offset)
{
    StreamHash *const hash = connection.transferHash;
    if (hash) {
        hash->reset();
        if (offset > 0)
            (void)hash->addFileHead(fd, offset);
    }
    return hash;
}

} // namespace

void ShowTransferProgress(FtpConnection &connection, qint64 done)
{
    if (connection.progressWatcher)
        connection.progressWatcher(done, connection.transferTotalSize);
    connection.progressPost.set({done, connection.transferTotalSize, connection.showProgressInTitle});
}

void ShowTransferRate(FtpConnection &connection, const QString &text)
{
    connection.ratePost.set(text);
}

bool SendFromFile(FtpConnection &connection, int dataSocket, const QString &localPath, bool binary)
{
    if (dataSocket == -1 || !connection.connected)
        return false;

    const int fd = ::open(QFile::encodeName(localPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        AppendLog(LogColor::Error, TextId::CannotOpenLocalFile);
        connection.beepIfEnabled();
        return false;
    }
    const bool resuming = connection.resumeRequested;
    const qint64 offset = resuming ? qint64(connection.resumeOffset) : 0;
    if (resuming && ::lseek(fd, off_t(offset), SEEK_SET) < 0) {
        ::close(fd);
        AppendLog(LogColor::Error, TextId::CannotOpenLocalFile);
        connection.beepIfEnabled();
        return false;
    }
    connection.uploadFile = fd;
    connection.uploadFileOpen = true;
    StreamHash *const hash = startHash(connection, fd, offset);

    qint64 done = offset;
    const qint64 remaining = connection.transferTotalSize - offset;
    ShowTransferProgress(connection, done);
    RateClock clock(connection);
    // SendAll shows the progress after every piece it sends.
    const uploadprogress::Scope progress([&connection](qint64 bytesDone) { ShowTransferProgress(connection, bytesDone); });

    // Corked, the kernel puts full segments on the wire whatever the size of each send.
    setCork(dataSocket, true);
    bool sentAll = true;
    bool reachedEnd = false;
    if (canSendWithoutCopy(connection, binary ? 'I' : 'A', dataSocket)) {
        reachedEnd = zerocopy::sendFile(dataSocket, fd, [&](qint64 moved) {
                         done += moved;
                         ShowTransferProgress(connection, done);
                         clock.refresh(done - offset, remaining, done - offset > 1024);
                     }).reachedEnd;
    }
    // Through TLS, blocks of a few records: the bytes are encrypted while still in the cache they
    // were read into, which costs less processor time than large blocks.
    const size_t blockSize = connection.dataTls ? tlsBlockSize : uploadBlockSize;
    std::vector<char> buffer(reachedEnd ? 0 : blockSize);
    // Type A goes in the network form of text, its LF line ends as CR LF.
    std::vector<char> text(binary || reachedEnd ? 0 : 2 * blockSize);
    while (!reachedEnd) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            // The server must not keep a short file as if it were whole.
            AppendLog(LogColor::Error, TextId::CannotOpenLocalFile);
            connection.beepIfEnabled();
            sentAll = false;
            break;
        }
        if (n == 0)
            break;
        if (hash)
            hash->add(buffer.data(), n);
        const char *wire = buffer.data();
        qint64 wireLength = n;
        if (!binary) {
            wireLength = EncodeNetworkText(buffer.data(), n, text.data());
            wire = text.data();
        }
        if (!sendBlock(connection, dataSocket, wire, wireLength, done)) {
            sentAll = false; // only off the worker: there a failed send ends the job
            break;
        }
        done += n;
        const qint64 sent = done - offset;
        clock.refresh(sent, remaining, sent > 1024);
    }
    setCork(dataSocket, false); // sends what is left at once
    const qint64 elapsed = clock.finish();
    connection.transferDone = done;
    closeSharedFile(connection.uploadFile, connection.uploadFileOpen);
    AppendLog(StatisticsLine(true, done - offset, elapsed), LogColor::Status);
    return sentAll;
}

bool ReceiveToFile(FtpConnection &connection, int dataSocket, const QString &localPath, bool binary, bool *writeFailed)
{
    if (writeFailed)
        *writeFailed = false;
    if (dataSocket == -1 || !connection.connected)
        return false;
    // No time limit while data arrives: the transfer may take hours.
    watchdog::stop();
    connection.abortRequested = false;

    const QByteArray path = QFile::encodeName(localPath);
    // A piece goes into a file of its own, from its first byte.
    const qint64 limit = connection.receiveLimit;
    const bool resuming = connection.resumeRequested && limit < 0;
    const qint64 offset = resuming ? qint64(connection.resumeOffset) : 0;
    int fd;
    if (resuming) {
        // Cut at the offset: bytes of an older, longer copy must not trail behind the new end.
        // Read as well when the hash must take the part already there.
        fd = ::open(path.constData(), (connection.transferHash ? O_RDWR : O_WRONLY) | O_CLOEXEC);
        if (fd < 0 || ::ftruncate(fd, off_t(offset)) != 0 || ::lseek(fd, off_t(offset), SEEK_SET) < 0) {
            if (fd >= 0)
                ::close(fd);
            AppendLog(LogColor::Error, TextId::CannotOpenLocalFile);
            return false;
        }
    } else {
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            AppendLog(LogColor::Error, TextId::CannotCreateLocalFile);
            return false;
        }
    }
    connection.downloadFile = fd;
    connection.downloadFileOpen = true;
    StreamHash *const hash = startHash(connection, fd, offset);

    qint64 done = offset;
    const qint64 remaining = connection.transferTotalSize - offset;
    RateClock clock(connection);
    // Type A arrives in the network form of text; the file gets LF line ends. A listing is kept
    // as the server sent it.
    const bool decodeText = !binary && !connection.listingTransfer;
    bool pendingCr = false;
    ssize_t last = 0;
    bool received = false;
    int writeError = 0;
    qint64 lines = 0;
    connection.listingCut = false;
    bool byteLoop = true;
    if (canUseZeroCopy(connection, binary ? 'I' : 'A')) {
        const zerocopy::Received moved = zerocopy::receiveFile(connection, dataSocket, fd, [&](qint64 bytes) {
            received = true;
            done += bytes;
            if (showsProgress(connection)) {
                ShowTransferProgress(connection, done);
                clock.refresh(done - offset, remaining, done > 1024);
            }
        });
        byteLoop = moved.handOver;
        last = moved.last;
        writeError = moved.writeError;
    }
    std::vector<char> buffer(byteLoop ? transferBlockSize : 0);
    std::vector<char> text(decodeText ? transferBlockSize + 1 : 0);
    while (byteLoop && !connection.abortRequested) {
        const size_t wanted = limit < 0 ? buffer.size() : size_t(std::min<qint64>(qint64(buffer.size()), limit - done));
        if (wanted == 0)
            break;
        last = receiveBlock(connection, dataSocket, buffer.data(), wanted);
        if (last <= 0)
            break;
        received = true;
        if (connection.listingTransfer) {
            lines += std::count(buffer.data(), buffer.data() + last, '\n');
            if (lines > connection.options.listingLineLimit || done + last > connection.options.listingByteLimit) {
                AppendLog(LogColor::Error, TextId::ListingCut, long(lines), long(done + last));
                connection.listingCut = true;
                break;
            }
        }
        const char *bytes = buffer.data();
        qint64 length = last;
        if (decodeText) {
            length = DecodeNetworkText(buffer.data(), last, text.data(), pendingCr);
            bytes = text.data();
        }
        if (!zerocopy::writeAll(fd, bytes, length)) {
            writeError = errno;
            break;
        }
        if (hash)
            hash->add(bytes, length);
        done += last;
        if (showsProgress(connection)) {
            ShowTransferProgress(connection, done);
            clock.refresh(done - offset, remaining, done > 1024);
        }
    }
    if (writeError == 0 && FlushNetworkText(text.data(), pendingCr) == 1) {
        if (!zerocopy::writeAll(fd, "\r", 1))
            writeError = errno;
        else if (hash)
            hash->add("\r", 1);
    }
    const qint64 elapsed = clock.finish();
    connection.transferDone = done;
    closeSharedFile(connection.downloadFile, connection.downloadFileOpen);

    if (writeError != 0) {
        // What reached the disk stays: it is what a later resume continues from.
        AppendLog(LogColor::Error, TextId::CannotWriteLocalFile,
                  qt_error_string(writeError).toUtf8().constData());
        if (writeFailed)
            *writeFailed = true;
        connection.beepIfEnabled();
    } else if (!connection.abortRequested && connection.transferRunning && !connection.listingTransfer && limit < 0 &&
               done < connection.transferTotalSize) {
        // The server ended the data connection before the size it listed: the part stays for a resume.
        AppendLog(LogColor::Error, TextId::DataConnectionClosedEarly, long(done),
                  long(connection.transferTotalSize.load()));
    }
    if (last < 0 && !received) {
        connection.beepIfEnabled();
        return false;
    }
    if (!connection.listingTransfer)
        AppendLog(StatisticsLine(false, done - offset, elapsed), LogColor::Status);
    return true;
}
