// Driver of bench/ui-stall.sh: the real main window, offscreen, against a local server. A 1 ms
// timer beats on the window thread; the longest gap between two beats is the longest time the
// window could not answer. Measured while the window connects and lists a large folder (the rows
// loaded, sorted and cached) and while the engine downloads a large file with its progress posted
// to the status bar, as a transfer does.
#include "controls/sortlistctrl.h"
#include "engine/dataconnection.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/workerstop.h"
#include "session/sessioncontroller.h"
#include "session/sessionstate.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>

namespace
{

class StallMeter
{
public:
    StallMeter()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, clock_.nsecsElapsed());
            clock_.restart();
        });
        clock_.start();
        timer_.start();
    }
    void reset()
    {
        clock_.restart();
        longest_ = 0;
    }
    double longestMs() const { return std::max(longest_, clock_.nsecsElapsed()) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

double statusMegabytes(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Runs the window's events until `done` holds or the time is up.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KALO"));
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    const QStringList args = app.arguments();
    if (args.size() != 7) {
        std::fprintf(stderr, "usage: uistall port rows remote-name size local-path transfer(0|1)\n");
        return 2;
    }
    const int rows = args[2].toInt();
    const qint64 size = args[4].toLongLong();

    // Questions at start-up (the Site Manager) are answered No.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    dismiss.start(20);

    CMainFrame frame;
    frame.resize(1000, 700);
    frame.show();
    settle(500);
    const double before = statusMegabytes("VmRSS:");

    SessionState &s = session();
    appSettings().soundEffects = 0;
    s.serverHost = QStringLiteral("127.0.0.1");
    s.port = args[1].toInt();
    s.anonymousLogin = true;
    s.userName = QStringLiteral("anonymous");
    s.password = QStringLiteral("bench@");
    s.passive = true;
    s.initialRemotePath.clear();

    // The machine's own share: the longest gap while the window has nothing to do. On a loaded
    // machine the scheduler alone makes gaps of this size in every phase.
    StallMeter meter;
    settle(2000);
    std::printf("idle: longest gap %.0f ms\n", meter.longestMs());
    meter.reset();
    QElapsedTimer clock;
    clock.start();
    frame.updateCommandStates();
    frame.action(cmd::Connect)->trigger();
    const SortListModel *model = frame.remotePane()->list()->listModel();
    if (!runUntil([&] { return model->rowCount() >= rows && !s.busy && !s.waitCursor; }, 600000)) {
        std::fprintf(stderr, "the listing did not arrive (%d rows)\n", model->rowCount());
        return 1;
    }
    const double listedMs = clock.nsecsElapsed() / 1e6;
    settle(300);
    const double listingStall = meter.longestMs();
    const double steady = statusMegabytes("VmRSS:"), peak = statusMegabytes("VmHWM:");
    std::printf("listing: %d rows shown in %.0f ms; memory before %.0f MB, after %.0f MB, peak %.0f MB\n",
                model->rowCount(), listedMs, before, steady, peak);

    double transferStall = 0;
    if (args[6] == QLatin1String("1")) {
        frame.controller()->stopKeepAlive();
        s.busy = true;
        std::atomic<bool> finished{false};
        int result = 0;
        meter.reset();
        clock.restart();
        std::thread worker([&] {
            workerstop::beginWorker();
            try {
                s.transferRunning = true;
                s.transferTotalSize = size;
                result = RetrieveFile(s, "RETR " + args[3].toUtf8(), args[5], 'I');
            } catch (const WorkerStopped &) {
            }
            s.transferRunning = false;
            workerstop::endWorker();
            finished = true;
        });
        runUntil([&] { return finished.load(); }, 600000);
        worker.join();
        transferStall = meter.longestMs();
        s.busy = false;
        std::printf("transfer: reply %d, %lld bytes in %.0f ms\n", result,
                    static_cast<long long>(QFile(args[5]).size()), clock.nsecsElapsed() / 1e6);
    }
    std::printf("stall listing %.0f ms transfer %.0f ms\n", listingStall, transferStall);
    std::fflush(stdout);
    frame.controller()->disconnect();
    return 0;
}
