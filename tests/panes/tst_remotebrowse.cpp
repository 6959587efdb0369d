#include "ftpserver.h"
#include "guitest.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include "controls/listfilteredit.h"
#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

QStringList rowNames(const CSortListCtrl *list)
{
    QStringList names;
    for (int row = 0; row < list->listModel()->size(); ++row)
        names << list->listModel()->row(row).text(0);
    return names;
}

int rowOf(const CSortListCtrl *list, const QString &name)
{
    return rowNames(list).indexOf(name);
}

QStringList selectedNames(const CSortListCtrl *list)
{
    QStringList names;
    for (int row : list->selectedRows())
        names << list->listModel()->row(row).text(0);
    return names;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// Browsing a real server from the main window, the way a user does it.
class TestRemoteBrowse : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::FtpServer> server_;
    std::unique_ptr<CMainFrame> frame_;

    // The session of the window under test.
    Session &session() const { return frame_->controller()->session(); }

    CRemoteWnd *pane() const { return frame_->remotePane(); }
    CSortListCtrl *list() const { return pane()->list(); }

    void startFrame()
    {
        guitest::ModalWatcher watcher;
        frame_ = std::make_unique<CMainFrame>();
        frame_->show();
        QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
    }

    void connectTo(quint16 port, const QString &user, const QString &password)
    {
        Session &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = port;
        s.userName = user;
        s.password = password;
        s.anonymousLogin = false;
        s.initialRemotePath.clear();
        QSignalSpy started(pane(), &CRemoteWnd::sessionStarted);
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!s.busy(), 10000);
    }

    // The job is over, and what it posted to the panes before it ended has arrived.
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!session().busy() && !session().waitCursor, 10000);
        QCoreApplication::processEvents();
    }

    void openRow(const QString &name)
    {
        const int row = rowOf(list(), name);
        QVERIFY2(row >= 0, qPrintable(name));
        const QRect rect = list()->visualRect(list()->listModel()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void initTestCase()
    {
        guitest::clearSettings();
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().retryCount = 0;
        server_ = std::make_unique<testsupport::FtpServer>();
        QVERIFY(server_->isRunning());
        QDir root(server_->root());
        QVERIFY(root.mkpath(QStringLiteral("pub/incoming")));
        writeFile(root.filePath(QStringLiteral("hello.txt")), "hello\n");
        writeFile(root.filePath(QStringLiteral("pub/readme.txt")), "read me\n");
        startFrame();
    }

    void cleanupTestCase()
    {
        frame_.reset();
        testsupport::freshController();
    }

    void connectFillsAndCachesTheList()
    {
        LogRecorder log;
        connectTo(server_->port(), QString::fromLatin1(testsupport::FtpServer::user),
                  QString::fromLatin1(testsupport::FtpServer::password));
        waitIdle();
        QTRY_COMPARE(pane()->currentPath(), QByteArray("/"));
        QVERIFY(rowNames(list()).contains(QStringLiteral("pub")));
        QVERIFY(rowNames(list()).contains(QStringLiteral("hello.txt")));
        QCOMPARE(pane()->pathCombo()->currentText(), QStringLiteral("/"));
        QVERIFY(QFile::exists(pane()->cache()->CacheFilePath(QStringLiteral("/"))));
        QCOMPARE(frame_->windowTitle(), loadText(TextId::ProgramTitle) + QStringLiteral(" - 127.0.0.1"));
        // Every command went to the log in green, its replies in black.
        QVERIFY(log.contains(QStringLiteral("MLSD\n"), LogColor::Command));
    }

    void doubleClickEntersAFolder()
    {
        openRow(QStringLiteral("pub"));
        QTRY_COMPARE(pane()->currentPath(), QByteArray("/pub"));
        waitIdle();
        QTRY_VERIFY(rowNames(list()).contains(QStringLiteral("readme.txt")));
        QVERIFY(rowNames(list()).contains(QStringLiteral("incoming")));
    }

    void upReturnsWithTheFolderSelected()
    {
        LogRecorder log;
        QTest::mouseClick(pane()->upButton(), Qt::LeftButton);
        QCOMPARE(pane()->currentPath(), QByteArray("/"));
        // The parent was seen before: it comes from the cache, without a listing.
        QVERIFY(log.waitFor(formatText(TextId::ReadingCachedDirectory, "/"), LogColor::Status));
        QVERIFY(!session().busy());
        QCOMPARE(selectedNames(list()), QStringList{QStringLiteral("pub")});
    }

    void changeButtonGoesToTheTypedFolder_data()
    {
        QTest::addColumn<bool>("enterKey");
        QTest::newRow("Change button") << false;
        QTest::newRow("Enter in the box") << true;
    }
    void changeButtonGoesToTheTypedFolder()
    {
        QFETCH(bool, enterKey);
        LogRecorder log;
        if (pane()->currentPath() != "/") {
            QTest::mouseClick(pane()->upButton(), Qt::LeftButton);
            QTRY_COMPARE(pane()->currentPath(), QByteArray("/"));
            waitIdle();
        }
        pane()->pathCombo()->lineEdit()->setText(QStringLiteral("/pub/"));
        if (enterKey)
            QTest::keyClick(pane()->pathCombo()->lineEdit(), Qt::Key_Return);
        else
            QTest::mouseClick(pane()->changeButton(), Qt::LeftButton);
        QCOMPARE(pane()->currentPath(), QByteArray("/pub"));
        QVERIFY(log.waitFor(formatText(TextId::ReadingCachedDirectory, "/pub"), LogColor::Status));
        QVERIFY(rowNames(list()).contains(QStringLiteral("readme.txt")));
    }

    void refreshShowsAFileAddedOnTheServer()
    {
        writeFile(QDir(server_->root()).filePath(QStringLiteral("pub/added.bin")), QByteArray(1234, 'x'));
        // The key reaches the pane's Refresh while the focus is in its list.
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_F5);
        waitIdle();
        QTRY_VERIFY(rowNames(list()).contains(QStringLiteral("added.bin")));
        QCOMPARE(list()->listModel()->row(rowOf(list(), QStringLiteral("added.bin"))).text(1),
                 QStringLiteral("1,234"));
    }

    void filterHidesRowsButNotTheListing()
    {
        QFile cacheFile(pane()->cache()->CacheFilePath(QStringLiteral("/pub")));
        QVERIFY(cacheFile.open(QIODevice::ReadOnly));
        const QByteArray cached = cacheFile.readAll();
        cacheFile.close();
        const QStringList all = rowNames(list());
        QVERIFY(all.contains(QStringLiteral("added.bin")));
        const auto shownNames = [this] {
            QStringList names;
            for (int row = 0; row < list()->listModel()->size(); ++row)
                if (!list()->isRowHidden(row, {}))
                    names << list()->listModel()->row(row).text(0);
            return names;
        };

        pane()->filterEdit()->setFocus();
        QTest::keyClicks(pane()->filterEdit(), QStringLiteral("*.TXT"));
        QStringList expected;
        for (const QString &name : all)
            if (name == QLatin1String("..") || name.endsWith(QLatin1String(".txt")))
                expected << name;
        QVERIFY(expected.contains(QStringLiteral("readme.txt")));
        QCOMPARE(shownNames(), expected);

        // Select All and the commands after it reach the shown rows only.
        list()->setFocus();
        pane()->SelectAll();
        QVERIFY(!selectedNames(list()).isEmpty());
        for (const QString &name : selectedNames(list()))
            QVERIFY2(expected.contains(name), qPrintable(name));

        // The rows and the listing stay whole.
        QCOMPARE(rowNames(list()), all);
        QVERIFY(cacheFile.open(QIODevice::ReadOnly));
        QCOMPARE(cacheFile.readAll(), cached);
        cacheFile.close();

        pane()->filterEdit()->clear();
        QCOMPARE(shownNames(), all);
        list()->clearSelection();
    }

    void backspaceGoesUp()
    {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(pane()->currentPath(), QByteArray("/"));
    }

    void navigationWhileDisconnected()
    {
        frame_->action(cmd::Disconnect)->trigger();
        QTRY_VERIFY(!session().connected);

        LogRecorder log;
        QVERIFY(!pane()->Navigate("/pub"));
        QCOMPARE(pane()->currentPath(), QByteArray("/pub"));
        QVERIFY(rowNames(list()).contains(QStringLiteral("added.bin")));

        const QStringList before = rowNames(list());
        QVERIFY(!pane()->Navigate("/pub/incoming"));
        QVERIFY(log.waitFor(loadText(TextId::DirectoryNotCached), LogColor::Error));
        QCOMPARE(rowNames(list()), before);
        QCOMPARE(pane()->currentPath(), QByteArray("/pub"));
    }

    void reconnectAfterDisconnect()
    {
        connectTo(server_->port(), QString::fromLatin1(testsupport::FtpServer::user),
                  QString::fromLatin1(testsupport::FtpServer::password));
        QVERIFY(session().connected);
    }

    // A server that lists its names in Shift_JIS shows them in that set when the site names it,
    // and a row keeps the bytes the server sent.
    void listingShownInTheSitesCharset()
    {
        frame_->controller()->disconnect();
        ScriptedServer legacy;
        legacy.on("USER", "331 Password required")
            .on("PASS", "230 Logged in")
            .on("PWD", "257 \"/\" is the current directory")
            .on("CWD", "250 OK")
            .on("TYPE", "200 Type set")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Here comes the listing")
                            .sendData("-rw-r--r--   1 u g 3 Jan 26  2000 \x93\xfa\x96\x7b.txt\r\n")
                            .then("226 Done"));
        session().serverHost = QStringLiteral("127.0.0.1");
        session().port = legacy.port();
        session().userName = QStringLiteral("u");
        session().password = QStringLiteral("p");
        session().charset = "Shift_JIS";
        pane()->cache()->DeleteServerListings();
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(rowNames(list()), QStringList{QString::fromUtf8("日本.txt")}, 10000);
        QCOMPARE(list()->listModel()->row(0).nameBytes(), QByteArray("\x93\xfa\x96\x7b.txt"));
        frame_->controller()->disconnect();
        session().charset.clear();
    }

    void abortDuringASlowListing()
    {
        frame_->controller()->disconnect();
        ScriptedServer slow;
        slow.on("USER", "331 Password required")
            .on("PASS", "230 Logged in")
            .on("PWD", "257 \"/\" is the current directory")
            .on("CWD", "250 OK")
            .on("TYPE", "200 Type set")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Here comes the listing"))
            .on("ABOR", Reply("426 Transfer aborted\r\n226 Abort successful"));
        // Not cached, so the first directory is listed from the server and hangs there.
        session().serverHost = QStringLiteral("127.0.0.1");
        LogRecorder log;
        session().port = slow.port();
        session().userName = QStringLiteral("u");
        session().password = QStringLiteral("p");
        pane()->cache()->DeleteServerListings();
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(slow.commands().contains("LIST"), 10000);
        QVERIFY(session().busy());
        QVERIFY(session().waitCursor);

        QVERIFY(frame_->action(cmd::Abort)->isEnabled());
        frame_->action(cmd::Abort)->trigger();
        QVERIFY(log.waitFor(loadText(TextId::OperationCanceled), LogColor::Status));
        QVERIFY(slow.commands().contains("ABOR"));
        QVERIFY(!session().busy());
        QVERIFY(!session().waitCursor);
        QCOMPARE(session().dataSocket.load(), -1);
        // The connection stays open after an abort.
        QVERIFY(session().connected);
        QVERIFY(session().controlSocket >= 0);
        frame_->controller()->disconnect();
        QVERIFY(!session().connected);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestRemoteBrowse)
#include "tst_remotebrowse.moc"
