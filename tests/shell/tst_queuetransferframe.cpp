// A folder tree down from a real server through the main window: the queue pane's items, the
// Transfer command, the existing-file question answered in its dialog, and both panes back where
// they were at the end.
#include "testfiles.h"
#include "framesession.h"
#include "fakenotifications.h"
#include "ftpserver.h"
#include "guitest.h"
#include "sessionreset.h"

#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"
#include "session/session.h"
#include "shell/existingfiledialog.h"
#include "shell/unverifiedresumedialog.h"
#include "session/sessioncontroller.h"
#include "shell/desktopnotifier.h"
#include "shell/mainframe.h"
#include "shell/progressstatusbar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using testsupport::connectFrame;
using testsupport::readFile;
using testsupport::runQueue;

namespace
{

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A window logged in to a fresh server, two files of its /pub queued for download into `local`.
struct TwoFilesQueued {
    testsupport::FtpServer server;
    QTemporaryDir local;
    guitest::ModalWatcher watcher;
    CMainFrame frame;

    void start()
    {
        QVERIFY(server.isRunning());
        frame.show();
        connectFrame(frame, server);
        writeFile(server.root() + "/pub/a.bin", QByteArray(300000, 'a'));
        writeFile(server.root() + "/pub/b.bin", QByteArray(200000, 'b'));
        const QByteArray home = QFile::encodeName(local.path());
        TransferQueue *queue = frame.queuePane()->queue();
        (void)queue->AddQueueItem({"/pub/a.bin", "300,000", home, QueueItem::Download, false}, false);
        (void)queue->AddQueueItem({"/pub/b.bin", "200,000", home, QueueItem::Download, false}, false);
    }
};

} // namespace

class TestQueueTransferFrame : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        guitest::clearSettings();
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().afterTransferAction = 0;
    }
    void cleanupTestCase() { testsupport::freshController(); }

    void treeDownThroughTheWindow()
    {
        appSettings().retryCount = 0;
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        writeFile(server.root() + "/pub/one.bin", "first file");
        writeFile(server.root() + "/pub/deep/two.bin", "second");
        QTemporaryDir local;
        writeFile(local.path() + "/pub/one.bin", "old");

        // Every dialog of the start (the Site Manager) is closed; the existing-file question is
        // answered with Overwrite.
        QStringList asked;
        guitest::ModalWatcher watcher([&asked](QWidget *dialog) {
            if (auto *question = qobject_cast<ExistingFileDialog *>(dialog)) {
                asked << question->messageLabel()->text();
                question->overwriteButton()->click();
            } else if (auto *other = qobject_cast<QDialog *>(dialog)) {
                other->reject();
            }
        });
        CMainFrame frame;
        frame.show();
        connectFrame(frame, server);
        Session &s = frame.controller()->session();

        const QByteArray home = QFile::encodeName(local.path());
        QVERIFY(frame.localPane()->ShowFolder(home));
        (void)frame.queuePane()->queue()->AddQueueItem({"/pub", {}, home, QueueItem::Download, true}, false);
        runQueue(frame);
        if (QTest::currentTestFailed())
            return;

        QCOMPARE(asked, QStringList{"The file one.bin already exists."});
        QCOMPARE(readFile(local.path() + "/pub/one.bin"), QByteArray("first file"));
        QCOMPARE(readFile(local.path() + "/pub/deep/two.bin"), QByteArray("second"));
        QCOMPARE(frame.queuePane()->queue()->queueCount(), 0);
        // The job puts the folder back in a call it posts just before it ends.
        QTRY_COMPARE(frame.localPane()->currentFolder(), home);
        QTRY_COMPARE(frame.remotePane()->currentPath(), QByteArray("/"));
        QVERIFY(!s.transferRunning);
    }

    // A part left by an earlier run, through the window: when the server's file changed, nothing
    // is appended and the question offers only a fresh download; when it did not, Resume is
    // offered as verified and the file completes from the part.
    void partialFileThroughTheWindow_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::newRow("server's file changed") << true;
        QTest::newRow("server's file unchanged") << false;
    }
    void partialFileThroughTheWindow()
    {
        QFETCH(bool, changed);
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        const QByteArray now = testsupport::randomBytes(300000, 7);
        const QByteArray before = changed ? testsupport::randomBytes(300000, 8) : now;
        writeFile(server.root() + "/pub/c.bin", now);
        QTemporaryDir local;
        writeFile(local.path() + "/c.bin", before.left(100000));

        QStringList asked;
        guitest::ModalWatcher watcher([&asked](QWidget *dialog) {
            if (auto *again = qobject_cast<UnverifiedResumeDialog *>(dialog)) {
                asked << QStringLiteral("again");
                again->againButton()->click();
            } else if (auto *question = qobject_cast<ExistingFileDialog *>(dialog)) {
                asked << question->resumeButton()->text();
                question->resumeButton()->click();
            } else if (auto *other = qobject_cast<QDialog *>(dialog)) {
                other->reject();
            }
        });
        CMainFrame frame;
        frame.show();
        connectFrame(frame, server);
        (void)frame.queuePane()->queue()->AddQueueItem(
            {"/pub/c.bin", "300,000", QFile::encodeName(local.path()), QueueItem::Download, false}, false);
        runQueue(frame);
        if (QTest::currentTestFailed())
            return;

        QCOMPARE(asked, QStringList{changed ? QStringLiteral("again") : QStringLiteral("Resume (verified)")});
        QCOMPARE(readFile(local.path() + "/c.bin"), now);
        QCOMPARE(frame.queuePane()->queue()->queueCount(), 0);
    }

    // The folder the run lists again at its end is no file of the queue: once the job has ended
    // the status bar holds no byte count.
    void readoutsGoWhenTheRunEnds()
    {
        TwoFilesQueued run;
        run.start();
        if (QTest::currentTestFailed())
            return;
        CMainFrame &frame = run.frame;

        frame.action(cmd::TransferQueue)->trigger();
        testsupport::waitForRunEnd(frame);
        QCOMPARE(readFile(run.local.path() + "/b.bin"), QByteArray(200000, 'b'));
        QTRY_COMPARE(frame.remotePane()->currentPath(), QByteArray("/"));
        QTest::qWait(200);
        QCOMPARE(frame.progressBar()->progressText().trimmed(), QString());
        QCOMPARE(frame.progressBar()->rateText().trimmed(), QString());
    }

    // The same run while another window is in front: the run's bar counts the files from the
    // start, every file's end reaches the queue, the bars go with the job, and the desktop is
    // told what was transferred.
    void progressAndNoticeThroughTheWindow()
    {
        testsupport::PrivateBus bus;
        std::unique_ptr<testsupport::FakeNotifications> service;
        if (bus.isRunning()) {
            service = std::make_unique<testsupport::FakeNotifications>(bus.connect(QStringLiteral("service")),
                                                                       testsupport::FakeNotifications::Mode::Answer);
            QVERIFY(service->registered());
        }
        TwoFilesQueued run;
        run.start();
        if (QTest::currentTestFailed())
            return;
        CMainFrame &frame = run.frame;
        if (bus.isRunning())
            frame.notifier()->setBus(bus.connect(QStringLiteral("client")));
        frame.setRunNoticeAfter(0);
        QSignalSpy ended(frame.queuePane()->queue(), &TransferQueue::progressEnded);
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!frame.isActiveWindow());

        frame.action(cmd::TransferQueue)->trigger();
        QCOMPARE(frame.progressBar()->runText(), QStringLiteral("0 of 2 files, 0 of 500,000 bytes"));
        testsupport::waitForRunEnd(frame);

        // The end of the job reaches the window after the flag.
        QTRY_COMPARE(frame.progressBar()->runText(), QString());
        QCOMPARE(readFile(run.local.path() + "/a.bin"), QByteArray(300000, 'a'));
        // Two connections may finish the files in either order.
        QCOMPARE(ended.count(), 2);
        QList<qint64> endedSizes{ended.at(0).at(1).toLongLong(), ended.at(1).at(1).toLongLong()};
        std::sort(endedSizes.begin(), endedSizes.end());
        QCOMPARE(endedSizes, (QList<qint64>{200000, 300000}));
        QVERIFY(frame.progressBar()->findChild<QProgressBar *>(QStringLiteral("fileBar"))->isHidden());
        QVERIFY(frame.progressBar()->findChild<QProgressBar *>(QStringLiteral("runBar"))->isHidden());

        if (!bus.isRunning())
            QSKIP(qPrintable(QStringLiteral("no private bus for the notice: ") + bus.failure()));
        QTRY_COMPARE(service->notices.size(), 1);
        QCOMPARE(service->notices.at(0).summary, QStringLiteral("Transfer finished"));
        QCOMPARE(service->notices.at(0).body, QStringLiteral("2 files transferred (500,000 bytes)."));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestQueueTransferFrame)
#include "tst_queuetransferframe.moc"
