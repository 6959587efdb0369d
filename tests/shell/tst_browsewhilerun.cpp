// The remote pane while a queue run moves files, through the main window against a real server
// whose data moves slowly: folders changed and made on the session's connection while the run
// goes on beside it, the run's files whole at its end, and Disconnect in the middle of both.
#include "framesession.h"
#include "ftpserver.h"
#include "guitest.h"
#include "sessionreset.h"
#include "testfiles.h"

#include "panes/newfolderdialog.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "queue/queuewnd.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/transferqueue.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <unistd.h>

using testsupport::readFile;
using testsupport::rowNames;

namespace
{

constexpr int fileCount = 4;
constexpr int fileSize = 120000;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray fileBytes(int number)
{
    return testsupport::randomBytes(fileSize, quint32(number + 11));
}

// The sockets this process holds open.
int openSockets()
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System)) {
        char target[64] = {};
        const QByteArray path = QFile::encodeName(fds.filePath(fd));
        if (::readlink(path.constData(), target, sizeof target - 1) > 0 && qstrncmp(target, "socket:", 7) == 0)
            ++count;
    }
    return count;
}

// A window logged in to a slow server, the files of its /pub queued for download and /other
// there to browse to, the New Folder dialog answered with `newFolder`.
// The tester's login to `server`, which the window connects with as it starts.
LoginFields testerLogin(const testsupport::FtpServer &server)
{
    LoginFields login;
    login.serverHost = QStringLiteral("127.0.0.1");
    login.port = server.port();
    login.userName = QString::fromLatin1(testsupport::FtpServer::user);
    login.password = QString::fromLatin1(testsupport::FtpServer::password);
    login.anonymousLogin = false;
    return login;
}

struct SlowRun {
    explicit SlowRun(const QString &limit) : server(testsupport::FtpServer::Limit{limit}), frame(nullptr, testerLogin(server))
    {
        watcher = std::make_unique<guitest::ModalWatcher>([this](QWidget *dialog) {
            if (auto *named = qobject_cast<NewFolderDialog *>(dialog)) {
                named->nameEdit()->setText(newFolder);
                named->accept();
            } else if (auto *question = qobject_cast<QMessageBox *>(dialog)) {
                // Abort asks before it ends a transfer.
                question->button(QMessageBox::Yes)->click();
            } else if (auto *other = qobject_cast<QDialog *>(dialog)) {
                other->reject();
            }
        });
    }

    void start()
    {
        QVERIFY(server.isRunning());
        frame.show();
        const Session &s = frame.controller()->session();
        QTRY_VERIFY_WITH_TIMEOUT(s.connected && !s.busy() && !s.waitCursor, 10000);
        QTRY_COMPARE(frame.remotePane()->currentPath(), QByteArray("/"));
        writeFile(server.root() + "/other/here.txt", "here");
        const QByteArray home = QFile::encodeName(local.path());
        TransferQueue *queue = frame.queuePane()->queue();
        for (int number = 1; number <= fileCount; ++number) {
            const QByteArray name = "f" + QByteArray::number(number) + ".bin";
            writeFile(server.root() + "/pub/" + QString::fromLatin1(name), fileBytes(number));
            (void)queue->AddQueueItem({"/pub/" + name, "120,000", home, QueueItem::Download, false}, false);
        }
        // The window's own jobs after the login may still hold the session a moment; the command
        // does nothing meanwhile.
        const SessionController &controller = *frame.controller();
        const auto started = [&] {
            if (!controller.transferRunning() && !controller.busy())
                frame.action(cmd::TransferQueue)->trigger();
            return controller.transferRunning();
        };
        QTRY_VERIFY_WITH_TIMEOUT(started(), 10000);
    }

    [[nodiscard]] QStringList shown() const { return rowNames(frame.remotePane()->list()); }
    [[nodiscard]] int lines(TextId id) const
    {
        return int(guitest::logLines(const_cast<CMainFrame *>(&frame)).count(loadText(id).trimmed()));
    }

    testsupport::FtpServer server;
    QTemporaryDir local;
    QString newFolder = QStringLiteral("made");
    std::unique_ptr<guitest::ModalWatcher> watcher;
    CMainFrame frame;
};

} // namespace

class TestBrowseWhileRun : public QObject
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
        appSettings().retryCount = 0;
    }
    void cleanupTestCase() { testsupport::freshController(); }

    // Beside the run the pane goes to another folder and a folder is made there while the files
    // move; a server that takes one connection only leaves the run on the session's, which then
    // answers as it always did. Either way every file arrives whole and the pane is listed again
    // at the end.
    void browseWhileTheRunGoes_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("simultaneous");
        QTest::addColumn<bool>("beside");
        QTest::newRow("one connection beside") << QStringLiteral("slow:40000") << 1 << true;
        QTest::newRow("two connections beside") << QStringLiteral("slow:40000") << 2 << true;
        QTest::newRow("one connection only") << QStringLiteral("421:1,slow:40000") << 2 << false;
    }
    void browseWhileTheRunGoes()
    {
        QFETCH(QString, limit);
        QFETCH(int, simultaneous);
        QFETCH(bool, beside);
        SlowRun run(limit);
        appSettings().simultaneousTransfers = simultaneous;
        run.start();
        if (QTest::currentTestFailed())
            return;
        CMainFrame &frame = run.frame;
        CRemoteWnd &pane = *frame.remotePane();
        SessionController &controller = *frame.controller();

        // Handed over to the session's connection, the run holds it from now on.
        if (!beside)
            QTRY_VERIFY_WITH_TIMEOUT(controller.busy(), 5000);
        (void)pane.Navigate("/other");
        if (beside) {
            QTRY_COMPARE_WITH_TIMEOUT(pane.currentPath(), QByteArray("/other"), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!controller.busy(), 10000);
        }
        pane.NewFolder();
        if (beside) {
            QTRY_VERIFY_WITH_TIMEOUT(run.shown().contains(QStringLiteral("made")), 10000);
            QVERIFY(run.shown().contains(QStringLiteral("here.txt")));
            QVERIFY(QFileInfo(run.server.root() + "/other/made").isDir());
            QCOMPARE(run.lines(TextId::JobNotFinished), 0);
        } else {
            QTRY_COMPARE(run.lines(TextId::JobNotFinished), 1);
            QVERIFY(!QFileInfo::exists(run.server.root() + "/other/made"));
        }
        // The browsing came while the files were still on their way.
        QVERIFY(controller.transferRunning());
        // Seen in the pane only once it lists its folder again after the run.
        // On the session's connection the run puts the pane back where it started.
        const QByteArray folder = beside ? QByteArray("/other") : QByteArray("/");
        writeFile(run.server.root() + QString::fromLatin1(folder) + "/late.txt", "late");

        testsupport::waitForRunEnd(frame);
        for (int number = 1; number <= fileCount; ++number)
            QCOMPARE(readFile(run.local.path() + QStringLiteral("/f%1.bin").arg(number)), fileBytes(number));
        QCOMPARE(frame.queuePane()->queue()->queueCount(), 0);
        QCOMPARE(pane.currentPath(), folder);
        QTRY_VERIFY_WITH_TIMEOUT(run.shown().contains(QStringLiteral("late.txt")), 10000);
        QCOMPARE(run.lines(TextId::TransferOnSessionConnection), beside ? 0 : 1);
    }

    // Disconnect while the run moves files and the pane lists a folder, or Abort of the run: each
    // ends within the clean-up bound, the run's connections are closed (and with Disconnect the
    // session's), and the queue keeps what was not finished.
    void stopWhileTheRunGoesAndThePaneLists_data()
    {
        QTest::addColumn<bool>("disconnect");
        QTest::newRow("Disconnect") << true;
        QTest::newRow("Abort") << false;
    }
    void stopWhileTheRunGoesAndThePaneLists()
    {
        QFETCH(bool, disconnect);
        SlowRun run(QStringLiteral("slow:40000"));
        appSettings().simultaneousTransfers = 2;
        const int socketsBefore = openSockets();
        run.start();
        if (QTest::currentTestFailed())
            return;
        CMainFrame &frame = run.frame;
        SessionController &controller = *frame.controller();
        QTest::qWait(500);
        QVERIFY(controller.transferRunning());
        // With Disconnect the pane lists a folder meanwhile; Abort, which leaves the session
        // connected, meets an idle session's connection.
        if (disconnect)
            (void)frame.remotePane()->Navigate("/other");

        QElapsedTimer clock;
        clock.start();
        if (disconnect)
            controller.disconnect();
        else
            controller.abort();
        QVERIFY2(clock.elapsed() < 3500 + 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!controller.transferRunning());
        QVERIFY(!controller.busy());
        QCOMPARE(controller.connected(), !disconnect);
        QCOMPARE(controller.session().controlSocket.load() >= 0, !disconnect);
        QTRY_COMPARE_WITH_TIMEOUT(openSockets(), socketsBefore + (disconnect ? 0 : 1), 5000);
        if (!disconnect)
            QTRY_COMPARE(run.lines(TextId::OperationCanceled), 1);

        // Every file not complete here is still queued (one whose end the server had not yet
        // confirmed may be both).
        QSet<QByteArray> queued;
        for (const QueueItem &item : frame.queuePane()->queue()->items())
            queued.insert(item.name);
        int unfinished = 0;
        for (int number = 1; number <= fileCount; ++number) {
            const QByteArray name = "/pub/f" + QByteArray::number(number) + ".bin";
            const bool whole = readFile(run.local.path() + QStringLiteral("/f%1.bin").arg(number)) == fileBytes(number);
            unfinished += whole ? 0 : 1;
            QVERIFY2(whole || queued.contains(name), name.constData());
        }
        QVERIFY(unfinished > 0);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestBrowseWhileRun)
#include "tst_browsewhilerun.moc"
