// Driver of bench/ui-stall.sh: the real main window, offscreen, against a local server. A 1 ms
// timer beats on the window thread; the longest gap between two beats is the longest time the
// window could not answer. Measured while the window connects and lists a large folder (the rows
// loaded, sorted and cached) and while the queue downloads a large file with its progress posted
// to the status bar, while the listed rows are sorted again by header clicks, and while the folder
// comparison marks them against a local folder holding every other one of their names.
#include "controls/listcomparison.h"
#include "controls/sortlistctrl.h"
#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "queue/queuemodel.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"
#include "session/queueitem.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

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

    Session &s = frame.controller()->session();
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
    emit frame.controller()->stateChanged();
    frame.action(cmd::Connect)->trigger();
    const SortListModel *model = frame.remotePane()->list()->listModel();
    if (!runUntil([&] { return model->rowCount() >= rows && !s.busy() && !s.waitCursor; }, 600000)) {
        std::fprintf(stderr, "the listing did not arrive (%d rows)\n", model->rowCount());
        return 1;
    }
    const double listedMs = clock.nsecsElapsed() / 1e6;
    settle(300);
    const double listingStall = meter.longestMs();
    const double steady = statusMegabytes("VmRSS:"), peak = statusMegabytes("VmHWM:");
    std::printf("listing: %d rows shown in %.0f ms; memory before %.0f MB, after %.0f MB, peak %.0f MB\n",
                model->rowCount(), listedMs, before, steady, peak);

    // Header clicks on the listed rows, one for each kind of column: the longest gap of each
    // until its new order shows.
    double resortStall = 0;
    CSortListCtrl *list = frame.remotePane()->list();
    for (const int column : {1, 2, 0, 1}) {
        meter.reset();
        clock.restart();
        list->SortByColumn(column);
        if (!runUntil([&] { return !model->sortPending(); }, 60000)) {
            std::fprintf(stderr, "the sort of column %d did not arrive\n", column);
            return 1;
        }
        settle(50);
        resortStall = std::max(resortStall, meter.longestMs());
        std::printf("resort: column %d of %d rows shown sorted after %.0f ms, longest gap %.0f ms\n", column,
                    model->rowCount(), clock.nsecsElapsed() / 1e6, meter.longestMs());
    }

    // The comparison with every other remote name present locally, a tenth of them with another
    // size: the longest gap from the toggle until the marks show.
    double compareStall = 0;
    {
        const QString folder = QFileInfo(args[5]).absolutePath() + QStringLiteral("/compare");
        QDir().mkpath(folder);
        int made = 0;
        for (int row = 0; row < model->rowCount(); row += 2) {
            QFile file(folder + QLatin1Char('/') + model->text(row, 0));
            if (model->isFolder(row) || !file.open(QIODevice::WriteOnly))
                continue;
            if (row % 20 == 0)
                file.write("x");
            ++made;
        }
        frame.localPane()->ShowFolder(QFile::encodeName(folder));
        settle(300);
        ListComparison *comparison = frame.remotePane()->comparison();
        meter.reset();
        clock.restart();
        frame.action(cmd::CompareFolders)->trigger();
        if (!runUntil([&] { return !comparison->pending(); }, 120000)) {
            std::fprintf(stderr, "the comparison did not arrive\n");
            return 1;
        }
        const double comparedMs = clock.nsecsElapsed() / 1e6;
        settle(50);
        compareStall = meter.longestMs();
        int marked = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            marked += comparison->markOf(frame.remotePane()->list(), row) != RowMark::Same;
        std::printf("compare: %d local files against %d remote rows, %d remote rows marked after %.0f ms, "
                    "longest gap %.0f ms\n",
                    made, model->rowCount(), marked, comparedMs, compareStall);
        frame.action(cmd::CompareFolders)->trigger();
    }

    double transferStall = 0;
    if (args[6] == QLatin1String("1")) {
        // Through the queue, as the user would: the job enters the folder, lists it, downloads.
        const QFileInfo local(args[5]);
        QueueItem item;
        item.name = "/" + args[3].toUtf8();
        item.sizeText = QByteArray::number(size);
        item.destination = QFile::encodeName(local.absolutePath());
        item.direction = QueueItem::Download;
        QueueModel *queue = frame.queuePane()->model();
        frame.queuePane()->queue()->AddQueueItem(item, true);
        const QString target = local.absolutePath() + QLatin1Char('/') + args[3];
        meter.reset();
        clock.restart();
        QMetaObject::invokeMethod(frame.action(cmd::TransferQueue), &QAction::trigger, Qt::QueuedConnection);
        if (!runUntil([&] { return queue->size() == 0 && !s.busy(); }, qEnvironmentVariableIntValue("STALL_TIMEOUT_MS") ? qEnvironmentVariableIntValue("STALL_TIMEOUT_MS") : 600000)) {
            std::fprintf(stderr, "the queue did not finish\n");
            if (auto *log = qobject_cast<QPlainTextEdit *>(frame.logPane()))
                std::fprintf(stderr, "%s\n", qPrintable(log->toPlainText().right(2000)));
            return 1;
        }
        transferStall = meter.longestMs();
        std::printf("transfer: queue of one, %lld bytes in %.0f ms\n",
                    static_cast<long long>(QFile(target).size()), clock.nsecsElapsed() / 1e6);
    }
    std::printf("stall listing %.0f ms transfer %.0f ms resort %.0f ms compare %.0f ms\n", listingStall,
                transferStall, resortStall, compareStall);
    std::fflush(stdout);
    frame.controller()->disconnect();
    return 0;
}
