#include "sessionreset.h"

#include "engine/controlconnection.h"
#include "engine/login.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/durations.h"
#include "platform/workerstop.h"
#include "session/engineoptions.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/worker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <arpa/inet.h>
#include <atomic>
#include <memory>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testsupport
{

namespace
{

// The controller of the running case.
std::unique_ptr<SessionController> &ownController()
{
    static std::unique_ptr<SessionController> controller;
    return controller;
}

// Controllers of earlier cases, closed but kept: the engine's throttled progress posts name the
// connection they report on, and one may still be due after its case ended.
std::vector<std::unique_ptr<SessionController>> &retiredControllers()
{
    static std::vector<std::unique_ptr<SessionController>> retired;
    return retired;
}

// Newest first, while the application still exists.
void endControllers()
{
    ownController().reset();
    auto &retired = retiredControllers();
    while (!retired.empty())
        retired.pop_back();
}

// What the closing of a controller leaves of its session: no worker, no socket, no open file.
void closeController(SessionController &controller)
{
    controller.worker().join();
    workerstop::clear();
    Session &s = controller.session();
    s.views = {};
    s.host = nullptr;
    s.dataSocket = CloseSocketAbortive(s, s.dataSocket);
    s.listenSocket = CloseSocketAbortive(s, s.listenSocket);
    s.controlSocket = CloseSocketAbortive(s, s.controlSocket);
    (void)CloseLocalFiles(s);
}

} // namespace

SessionController &freshController()
{
    SessionController &controller = nextController();
    durations::resetForTest();
    // One connection unless the case asks for more: a scripted server answers one at a time.
    appSettings().simultaneousTransfers = 1;
    return controller;
}

SessionController &nextController()
{
    if (ownController()) {
        closeController(*ownController());
        retiredControllers().push_back(std::move(ownController()));
    }
    // Calls the last job posted still run now, and find their controller closed.
    QCoreApplication::processEvents();
    static const bool ended = (qAddPostRoutine(endControllers), true);
    (void)ended;
    ownController() = std::make_unique<SessionController>(appSettings());
    return *ownController();
}

SessionController &controller()
{
    return ownController() ? *ownController() : freshController();
}

TransferInputs startingTransfer()
{
    Session &s = controller().session();
    s.options = engineOptions(appSettings());
    s.jobOptions = jobOptions(appSettings());
    return transferInputs(s.views);
}

struct LogRecorder::Shared {
    mutable std::mutex mutex;
    QList<Line> lines;
};

LogRecorder::LogRecorder() : shared_(std::make_shared<Shared>())
{
    QCoreApplication::processEvents(); // lines of an earlier case go to the earlier sink
    setLogSink([shared = shared_](const QString &text, LogColor color) {
        std::lock_guard lock(shared->mutex);
        shared->lines.append({text, color});
    });
}

LogRecorder::~LogRecorder()
{
    setLogSink(nullptr);
}

QList<LogRecorder::Line> LogRecorder::lines() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->lines;
}

QStringList LogRecorder::texts(LogColor color) const
{
    QCoreApplication::processEvents();
    QStringList found;
    for (const auto &line : lines())
        if (line.color == color)
            found << line.text;
    return found;
}

bool LogRecorder::contains(const QString &text, LogColor color) const
{
    return lines().contains({text, color});
}

bool LogRecorder::waitFor(const QString &text, LogColor color, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!contains(text, color)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void LogRecorder::clear()
{
    std::lock_guard lock(shared_->mutex);
    shared_->lines.clear();
}

bool logInToTestServer(quint16 port)
{
    Session &s = controller().session();
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = port;
    s.userName = QString::fromLatin1(FtpServer::user);
    s.password = QString::fromLatin1(FtpServer::password);
    s.anonymousLogin = false;
    s.passive = true;
    s.currentType = 'A';
    s.controlSocket = Login(s, s.login());
    s.connected = s.controlSocket >= 0;
    return s.connected;
}

int connectControl(quint16 port)
{
    return connectControl(controller().session(), port);
}

int connectControl(Session &s, quint16 port)
{
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = port;
    const int socket = OpenConnection(s, s.serverHost, s.port, "ftp", "tcp");
    if (socket < 0)
        return -1;
    s.controlSocket = socket;
    (void)ReadReply(s);
    s.connected = true;
    return socket;
}

quint16 closedLoopbackPort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                       ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0;
    ::close(probe);
    return bound ? ntohs(address.sin_port) : 0;
}

bool runOnWorker(const std::function<void()> &work, int timeoutMs)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        workerstop::beginWorker();
        try {
            work();
        } catch (const WorkerStopped &) {
        }
        workerstop::endWorker();
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, timeoutMs);
    if (!finished)
        workerstop::request();
    worker.join();
    QCoreApplication::processEvents();
    return finished;
}

} // namespace testsupport
