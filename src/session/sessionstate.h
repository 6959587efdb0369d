#pragma once

#include "platform/event.h"
#include "session/jobcode.h"
#include "engine/servertypes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <netinet/in.h>
#include <thread>

inline constexpr int replyBufferSize = 20480;

// The one record of the FTP session, shared by the window thread and the worker. The flags both
// threads touch are atomic; the text fields are written only while no job runs; sockets are
// closed by the window thread only after the worker has been stopped and joined.
struct SessionState {
    // Sockets, -1 when absent.
    std::atomic<int> controlSocket{-1};
    std::atomic<int> dataSocket{-1};
    std::atomic<int> listenSocket{-1};
    sockaddr_in serverAddress{};
    sockaddr_in localControlAddress{};

    // Flags.
    std::atomic<bool> connected{false};
    std::atomic<bool> busy{false};
    std::atomic<bool> abortRequested{false};
    std::atomic<bool> transferRunning{false};
    std::atomic<bool> listingRunning{false};
    std::atomic<bool> waitCursor{false};
    std::atomic<bool> refreshAfterJob{false};

    // The job.
    std::atomic<JobCode> jobCode{JobCode::None};
    std::thread workerThread;
    Event jobDoneEvent;

    // The server.
    std::atomic<ServerKind> serverKind{ServerKind::Generic};
    std::atomic<bool> trailingSlashDirs{false};
    char currentType = 'A';
    std::atomic<bool> passive{true};
    int replyTimeoutSeconds = 500;
    std::atomic<int> lastReplyCode{0};
    int replyDepth = 0;
    std::array<char, replyBufferSize> replyBuffer{};
    std::array<char, replyBufferSize> commandBuffer{};

    // The login.
    QString serverHost;
    QString userName;
    QString password;
    int port = 0;
    QString initialRemotePath;
    QString initialLocalPath;
    bool anonymousLogin = false;
    bool relativePaths = false;
    // The directory to list, or the whole command line of the user-command and attribute jobs.
    QByteArray commandArgument;

    // The transfer. Sizes and offsets are 64-bit: a resumed file over 2 GiB must stay whole.
    std::atomic<bool> resumeRequested{false};
    std::atomic<std::int64_t> resumeOffset{0};
    std::atomic<std::int64_t> transferTotalSize{0};
    std::atomic<bool> listingTransfer{false};
    std::atomic<bool> uploadFileOpen{false};
    std::atomic<int> uploadFile{-1};
    std::atomic<bool> downloadFileOpen{false};
    std::atomic<int> downloadFile{-1};
    double transferStart = 0;
    double transferEnd = 0;
    double transferElapsed = 0;
    std::atomic<bool> showProgressInTitle{false};

    // The listing parser.
    int nameColumn = 0;
    bool koreanDates = false;
    bool debugListing = false;

    // The reply text last read (the line in replyBuffer).
    QByteArray replyText() const;
};

SessionState &session();
