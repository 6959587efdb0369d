// A folder tree down from a real server through the main window: the queue pane's items, the
// Transfer command, the existing-file question answered in its dialog, and both panes back where
// they were at the end.
#include "testfiles.h"
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
#include "session/sessioncontroller.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using testsupport::readFile;

namespace
{

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

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
    }
    void cleanupTestCase() { testsupport::freshController(); }

    void treeDownThroughTheWindow()
    {
        appSettings().soundEffects = 0;
        appSettings().retryCount = 0;
        appSettings().afterTransferAction = 0;
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
        Session &s = frame.controller()->session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server.port();
        s.userName = QString::fromLatin1(testsupport::FtpServer::user);
        s.password = QString::fromLatin1(testsupport::FtpServer::password);
        s.anonymousLogin = false;
        s.initialRemotePath.clear();
        QSignalSpy started(frame.remotePane(), &CRemoteWnd::sessionStarted);
        emit frame.controller()->stateChanged();
        frame.action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!s.busy() && !s.waitCursor, 10000);
        QTRY_COMPARE(frame.remotePane()->currentPath(), QByteArray("/"));

        const QByteArray home = QFile::encodeName(local.path());
        QVERIFY(frame.localPane()->ShowFolder(home));
        (void)frame.queuePane()->queue()->AddQueueItem({"/pub", {}, home, QueueItem::Download, true}, false);
        QMetaObject::invokeMethod(frame.action(cmd::TransferQueue), &QAction::trigger, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(s.busy(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!s.busy(), 30000);

        QCOMPARE(asked, QStringList{"The file one.bin already exists."});
        QCOMPARE(readFile(local.path() + "/pub/one.bin"), QByteArray("first file"));
        QCOMPARE(readFile(local.path() + "/pub/deep/two.bin"), QByteArray("second"));
        QCOMPARE(frame.queuePane()->queue()->queueCount(), 0);
        // The job puts the folder back in a call it posts just before it ends.
        QTRY_COMPARE(frame.localPane()->currentFolder(), home);
        QTRY_COMPARE(frame.remotePane()->currentPath(), QByteArray("/"));
        QVERIFY(!s.transferRunning);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestQueueTransferFrame)
#include "tst_queuetransferframe.moc"
