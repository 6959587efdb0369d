#pragma once

#include "engine/serverfeatures.h"
#include "engine/servertypes.h"
#include "engine/streamhash.h"
#include "engine/socketaddress.h"
#include "engine/tlscertificate.h"
#include "engine/tlschannel.h"
#include "engine/tlscontext.h"
#include "platform/latestpost.h"
#include "platform/uithread.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

inline constexpr int replyBufferSize = 20480;

// A running transfer's bytes done and the size they count against; the text is made on the
// window thread, only for the values shown.
struct TransferProgress {
    qint64 done = 0;
    qint64 total = 0;
    bool inTitle = false;
};

// What the engine reports to whoever runs it, and the one question it asks. The read-outs and the
// question arrive on the window thread; connectionLost on the thread that found the break (the
// worker or the window thread). The default does nothing.
class EngineHost
{
public:
    EngineHost() = default;
    EngineHost(const EngineHost &) = delete;
    EngineHost &operator=(const EngineHost &) = delete;
    virtual ~EngineHost() { *alive_ = false; }
    // Runs the call on the window thread if the host still exists when it gets there: a host that
    // goes while a read-out or a question is on its way (a stopped worker, a closed session)
    // receives nothing. The result is the call's, or the default when the host had gone.
    template <typename T>
    T callOnWindow(std::function<T(EngineHost &)> call);
    void postToWindow(std::function<void(EngineHost &)> call);
    // A running transfer's bytes: by default its bytes/percent text, and the title while
    // minimised.
    virtual void transferProgress(const TransferProgress &progress);
    // The status bar's two read-outs of a running transfer, and the title while minimised.
    virtual void progressText(const QString &) {}
    virtual void rateText(const QString &) {}
    virtual void windowTitle(const QString &) {}
    // The password of a login without a stored one; nullopt when the user cancelled.
    virtual std::optional<QString> askPassword() { return std::nullopt; }
    // The control connection broke: the session above repairs its own state (keep-alive, cursor).
    virtual void connectionLost() {}
    // The server's certificate did not verify: true when the user trusts it (or trusted it
    // before). Nothing more goes to the server until this returns.
    virtual bool acceptCertificate(const CertificateFacts &) { return false; }
    // Whether the control connection and the data connections are encrypted, after each login.
    virtual void encryptionChanged(bool /*control*/, bool /*data*/) {}

private:
    // Written and read on the window thread only, where hosts end and posted calls run.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

template <typename T>
T EngineHost::callOnWindow(std::function<T(EngineHost &)> call)
{
    return uithread::call<T>([this, alive = alive_, call = std::move(call)] { return *alive ? call(*this) : T(); });
}

inline void EngineHost::postToWindow(std::function<void(EngineHost &)> call)
{
    uithread::post([this, alive = alive_, call = std::move(call)] {
        if (*alive)
            call(*this);
    });
}

// What the engine needs from the user's preferences, copied in by whoever starts a job, so that the
// engine never reads a settings store.
struct EngineOptions {
    QByteArray anonymousPassword;
    QString asciiExtensions;
    bool bell = true;
    // A listing longer than this is no folder but a server streaming without end: it is cut.
    qint64 listingLineLimit = 5'000'000;
    qint64 listingByteLimit = qint64(512) << 20;
    // Binary files move through the kernel's sendfile and splice where it allows; off, they take
    // the byte loop everywhere.
    bool zeroCopy = true;
    // Uploads to a server on this machine take the byte loop even so: over loopback, sendfile
    // leaves the kernel's receive work to the server's process, which then halves the rate.
    bool byteLoopToThisMachine = true;
    // A download gets the server's modified time, an upload is given the local one (MFMT).
    bool keepFileTimes = false;
};

// One FTP control connection and what the engine knows about it: its sockets, the reply being
// read, the server's family, the transfer in progress. Passed to every engine function. The flags
// both threads touch are atomic; sockets are closed by the window thread only after the worker has
// been stopped and joined.
struct FtpConnection {
    FtpConnection();
    FtpConnection(const FtpConnection &) = delete;
    FtpConnection &operator=(const FtpConnection &) = delete;

    // Sockets, -1 when absent.
    std::atomic<int> controlSocket{-1};
    std::atomic<int> dataSocket{-1};
    std::atomic<int> listenSocket{-1};
    SocketAddress serverAddress;
    SocketAddress localControlAddress;

    std::atomic<bool> connected{false};
    std::atomic<bool> abortRequested{false};
    // A queue transfer runs (progress is shown, a short download is reported).
    std::atomic<bool> transferRunning{false};

    // The server.
    std::atomic<ServerKind> serverKind{ServerKind::Generic};
    std::atomic<bool> trailingSlashDirs{false};
    char currentType = 'A';
    std::atomic<bool> passive{true};
    std::atomic<int> lastReplyCode{0};
    // A command went out and its reply has not been read: a job stopped now leaves that reply on
    // the connection, and whoever stopped it must read it before the next command.
    std::atomic<bool> awaitingReply{false};
    // Lines of the reply being read; raised only for the length of a read.
    int replyDepth = 0;
    // Set when a receive found the connection closed or broken, so that the reply reader stops
    // instead of waiting for the rest of a multi-line reply that can never come.
    bool connectionEnded = false;
    std::array<char, replyBufferSize> replyBuffer{};
    std::array<char, replyBufferSize> commandBuffer{};

    // The transfer. Sizes and offsets are 64-bit: a resumed file over 2 GiB must stay whole.
    std::atomic<bool> resumeRequested{false};
    std::atomic<std::int64_t> resumeOffset{0};
    std::atomic<std::int64_t> transferTotalSize{0};
    // Bytes of the last transfer that crossed the data connection, the resume offset included:
    // less than transferTotalSize means the server ended it early.
    std::atomic<std::int64_t> transferDone{0};
    std::atomic<bool> listingTransfer{false};
    // Set by the receive loop when a listing passed the limits of the options.
    bool listingCut = false;
    std::atomic<bool> uploadFileOpen{false};
    std::atomic<int> uploadFile{-1};
    std::atomic<bool> downloadFileOpen{false};
    std::atomic<int> downloadFile{-1};
    double transferStart = 0;
    double transferEnd = 0;
    double transferElapsed = 0;
    std::atomic<bool> showProgressInTitle{false};
    // The hash the byte loops feed with the file's bytes of the transfer (null: none is made).
    // Set and taken back by whoever runs the transfer; while set, the kernel's copy paths stay
    // unused, since the bytes must pass through the program.
    StreamHash *transferHash = nullptr;
    // A download of a piece: at most this many bytes from the resume offset, into a new file,
    // after which the data connection is closed (negative: the whole file, as usual).
    qint64 receiveLimit = -1;
    // Told the bytes done and the size of every progress read-out, on the thread of the transfer
    // and before the read-out is posted: the item of a queue being transferred follows it. Set
    // and cleared by whoever runs the transfer, on that thread, around one transfer.
    std::function<void(qint64 done, qint64 total)> progressWatcher;

    // The server's FEAT reply of this login (empty before the login and for a server without one).
    ServerFeatures features;
    // EPSV was refused or unusable on this connection: not asked again until the next login.
    std::atomic<bool> extendedPassiveFailed{false};
    // MLSD failed on this connection: listings take LIST until the next login.
    std::atomic<bool> machineListingFailed{false};
    // The last listing downloaded is MLSD's, not LIST's.
    bool machineListing = false;
    // The listing is for the pane to show, and may be MLSD's. A walk through a tree lists with
    // LIST: servers that follow links in MLSD hide them, and the walk must see a link to refuse
    // a loop or a way out of the tree.
    bool machineListingWanted = false;
    // Where this connection's listings go; empty: the program's one listing file. A connection
    // that lists while the session's lists too needs a file of its own.
    QString listingFile;
    // When set, every line of the replies read goes here too (the FEAT reply is read from its lines).
    QList<QByteArray> *replyLines = nullptr;

    // The listing parser's findings, kept for the connection.
    int nameColumn = 0;
    bool koreanDates = false;

    EngineOptions options;
    EngineHost *host = nullptr;

    // The read-outs of a running transfer on their way to the host, a few a second. They belong to
    // the connection: one still queued when the connection is gone is dropped, and two connections
    // never overwrite each other's.
    LatestPost<TransferProgress> progressPost;
    LatestPost<QString> ratePost;

    // TLS: the settings and newest session of this login, the channels over the control and the
    // data socket (null when that socket is plain), whether data connections are to be encrypted
    // (PROT P accepted), and the control connection's certificate, which every data connection
    // must present as well. Made and dropped by the worker, or by the window thread after it
    // stopped the worker, like the sockets.
    std::unique_ptr<TlsContext> tls;
    std::unique_ptr<TlsChannel> controlTls;
    std::unique_ptr<TlsChannel> dataTls;
    std::atomic<bool> dataProtected{false};
    // The last login ended for a reason another attempt cannot mend: the user refused the
    // certificate, or the server refused TLS that the site requires. No retry follows.
    std::atomic<bool> tlsRefused{false};
    QString tlsHost;
    QByteArray tlsFingerprint;

    // The reply line last read (the line in replyBuffer).
    [[nodiscard]] QByteArray replyText() const;
    // The failure sound, when the options allow it.
    void beepIfEnabled() const;
};
