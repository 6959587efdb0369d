#include "framesession.h"
#include "ftpserver.h"
#include "guitest.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include "controls/listcomparison.h"
#include "controls/rowmarkdelegate.h"
#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "panes/syncbrowsing.h"
#include "panes/syncpaths.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <ctime>
#include <memory>

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

int rowOf(const CSortListCtrl *list, const QString &name)
{
    for (int row = 0; row < list->listModel()->size(); ++row)
        if (list->listModel()->text(row, 0) == name || list->listModel()->text(row, 0).startsWith(name + " ->"))
            return row;
    return -1;
}

void writeFile(const QString &path, qint64 size, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    file.flush();
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QString markName(RowMark mark)
{
    static const char *const names[] = {"same", "only", "size", "newer", "older"};
    return QString::fromLatin1(names[int(mark)]);
}

} // namespace

// Synchronized browsing and the folder comparison in the main window, against a real server.
class TestSyncBrowse : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::FtpServer> server_;
    std::unique_ptr<CMainFrame> frame_;
    QTemporaryDir localRoot_;

    Session &session() const { return frame_->controller()->session(); }
    CRemoteWnd *remote() const { return frame_->remotePane(); }
    CLocalWnd *local() const { return frame_->localPane(); }
    QByteArray localPath(const QString &relative = {}) const
    {
        return QFile::encodeName(relative.isEmpty() ? localRoot_.path() : localRoot_.filePath(relative));
    }

    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!session().busy() && !session().waitCursor, 10000);
        QCoreApplication::processEvents();
    }

    void openRow(CSortListCtrl *list, const QString &name)
    {
        const int row = rowOf(list, name);
        QVERIFY2(row >= 0, qPrintable(name));
        const QRect rect = list->visualRect(list->listModel()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // The toggle as the user reaches it: its toolbar button.
    void clickToggle(int id)
    {
        QWidget *button = frame_->toolBar()->widgetForAction(frame_->action(id));
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Both panes back at the two roots, synchronized browsing on from there.
    void startSyncAtRoots()
    {
        QVERIFY(local()->ShowFolder(localPath()));
        if (remote()->currentPath() != "/") {
            remote()->Navigate("/");
            waitIdle();
        }
        QCOMPARE(remote()->currentPath(), QByteArray("/"));
        QVERIFY(!frame_->action(cmd::SyncBrowsing)->isChecked());
        clickToggle(cmd::SyncBrowsing);
        QVERIFY(frame_->action(cmd::SyncBrowsing)->isChecked());
        QVERIFY(remote()->syncBrowsing()->isEnabled());
    }

    // The main window, connected to the server at `port`, showing its root.
    void openFrame(quint16 port, const QString &user, const QString &password)
    {
        guitest::ModalWatcher watcher;
        frame_ = std::make_unique<CMainFrame>();
        frame_->show();
        QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
        testsupport::connectFrame(*frame_, port, user, password);
        waitIdle();
    }

private slots:
    void initTestCase()
    {
        // The server lists times in UTC; the local pane shows local time.
        qputenv("TZ", "UTC");
        tzset();
        guitest::clearSettings();
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().retryCount = 0;
        server_ = std::make_unique<testsupport::FtpServer>();
        QVERIFY(server_->isRunning());
        QVERIFY(localRoot_.isValid());
        const QDateTime yesterday =
            QDateTime::fromSecsSinceEpoch((std::time(nullptr) - 86400) / 60 * 60, Qt::UTC);
        for (const QString &root : {server_->root(), localRoot_.path()}) {
            QDir dir(root);
            QVERIFY(dir.mkpath(QStringLiteral("pub/incoming")));
            QVERIFY(dir.mkpath(QStringLiteral("vanishing")));
            writeFile(dir.filePath(QStringLiteral("same.txt")), 5, yesterday);
            // A folder that is a link to itself: every step down is the same folder again.
            QVERIFY(QFile::link(QStringLiteral("."), dir.filePath(QStringLiteral("loop"))));
        }
        QDir serverRoot(server_->root());
        QDir localRoot(localRoot_.path());
        QVERIFY(serverRoot.mkpath(QStringLiteral("only-remote")));
        writeFile(serverRoot.filePath(QStringLiteral("grown.txt")), 10, yesterday);
        writeFile(localRoot.filePath(QStringLiteral("grown.txt")), 5, yesterday);
        writeFile(serverRoot.filePath(QStringLiteral("newer.txt")), 5, yesterday.addDays(-2));
        writeFile(localRoot.filePath(QStringLiteral("newer.txt")), 5, yesterday);
        writeFile(localRoot.filePath(QStringLiteral("only-local.txt")), 5, yesterday);

        openFrame(server_->port(), QString::fromLatin1(testsupport::FtpServer::user),
                  QString::fromLatin1(testsupport::FtpServer::password));
        // Off, and offered, in the Remote menu and on the toolbar.
        for (int id : {cmd::SyncBrowsing, cmd::CompareFolders}) {
            QAction *toggle = frame_->action(id);
            QVERIFY(toggle && toggle->isCheckable() && !toggle->isChecked());
            QVERIFY(frame_->toolBar()->actions().contains(toggle));
            bool inRemoteMenu = false;
            for (QAction *menu : frame_->menuBar()->actions())
                if (menu->menu() && menu->menu()->actions().contains(toggle))
                    inRemoteMenu = menu->text().remove(QLatin1Char('&')) == QLatin1String("Remote");
            QVERIFY(inRemoteMenu);
        }
    }

    void cleanupTestCase()
    {
        frame_.reset();
        testsupport::freshController();
    }

    // The way from one folder to another, and that way walked from a third.
    void walkBetweenFolders_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("reached"); // empty: cannot be walked
        QTest::newRow("down two") << QByteArray("/home/u") << QByteArray("/home/u/a/b") << QByteArray("/srv")
                                  << QByteArray("/srv/a/b");
        QTest::newRow("same folder") << QByteArray("/home/u/") << QByteArray("/home/u") << QByteArray("/srv")
                                     << QByteArray("/srv");
        QTest::newRow("up one") << QByteArray("/home/u") << QByteArray("/home") << QByteArray("/srv/www")
                                << QByteArray("/srv");
        QTest::newRow("up to the root") << QByteArray("/home/u") << QByteArray("/") << QByteArray("/srv/www/x")
                                        << QByteArray("/srv");
        QTest::newRow("the root has none above") << QByteArray("/a/b") << QByteArray("/") << QByteArray("/")
                                                 << QByteArray();
        QTest::newRow("across") << QByteArray("/home/u/a") << QByteArray("/home/u/b/c") << QByteArray("/srv/x")
                                << QByteArray("/srv/b/c");
        QTest::newRow("drive path") << QByteArray("/pub") << QByteArray("/pub/dir") << QByteArray("C:\\")
                                    << QByteArray("C:\\dir");
        QTest::newRow("not above the drive") << QByteArray("/pub") << QByteArray("/") << QByteArray("C:\\")
                                             << QByteArray();
        QTest::newRow("drive, up") << QByteArray("/pub/dir") << QByteArray("/pub") << QByteArray("C:\\dir")
                                   << QByteArray("C:\\");
        QTest::newRow("a name that is a separator elsewhere")
            << QByteArray("/home") << QByteArray("/home/a\\b") << QByteArray("/srv") << QByteArray();
    }
    void walkBetweenFolders()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, reached);
        QCOMPARE(followWalk(start, walkBetween(from, to)).value_or(QByteArray()), reached);
    }

    // Entering and leaving folders in either pane walks the other along; through a link that
    // loops it goes step by step, never on by itself.
    void bothPanesFollowEachOther()
    {
        startSyncAtRoots();
        openRow(local()->list(), QStringLiteral("pub"));
        QCOMPARE(local()->currentFolder(), localPath("pub"));
        waitIdle();
        QCOMPARE(remote()->currentPath(), QByteArray("/pub"));
        QVERIFY(rowOf(remote()->list(), QStringLiteral("incoming")) >= 0);

        openRow(remote()->list(), QStringLiteral("incoming"));
        waitIdle();
        QCOMPARE(remote()->currentPath(), QByteArray("/pub/incoming"));
        QCOMPARE(local()->currentFolder(), localPath("pub/incoming"));

        QTest::mouseClick(local()->upButton(), Qt::LeftButton);
        waitIdle();
        QCOMPARE(local()->currentFolder(), localPath("pub"));
        QCOMPARE(remote()->currentPath(), QByteArray("/pub"));
        QTest::mouseClick(remote()->upButton(), Qt::LeftButton);
        waitIdle();
        QCOMPARE(remote()->currentPath(), QByteArray("/"));
        QCOMPARE(local()->currentFolder(), localPath());

        QSignalSpy remoteSteps(remote(), &CRemoteWnd::folderShown);
        openRow(local()->list(), QStringLiteral("loop"));
        waitIdle();
        openRow(remote()->list(), QStringLiteral("loop"));
        waitIdle();
        QCOMPARE(remote()->currentPath(), QByteArray("/loop/loop"));
        QCOMPARE(local()->currentFolder(), localPath("loop/loop"));
        QTest::qWait(200);
        QCOMPARE(remoteSteps.count(), 2);
        QVERIFY(remote()->syncBrowsing()->isEnabled());
        clickToggle(cmd::SyncBrowsing);
        QVERIFY(!remote()->syncBrowsing()->isEnabled());
    }

    // Whatever the other side cannot follow switches it off, with the reason in the log.
    void whatCannotBeFollowedSwitchesItOff()
    {
        LogRecorder log;
        // Above the start: the server's root has no folder above it.
        startSyncAtRoots();
        QTest::mouseClick(local()->upButton(), Qt::LeftButton);
        QVERIFY(log.waitFor(formatText(TextId::SyncNoFolderAbove, "/"), LogColor::Error));
        QVERIFY(!frame_->action(cmd::SyncBrowsing)->isChecked());
        QCOMPARE(remote()->currentPath(), QByteArray("/"));

        // A folder the local side lacks.
        startSyncAtRoots();
        openRow(remote()->list(), QStringLiteral("only-remote"));
        waitIdle();
        QVERIFY(log.waitFor(formatText(TextId::SyncNoLocalFolder, localPath("only-remote").constData()),
                            LogColor::Error));
        QVERIFY(!frame_->action(cmd::SyncBrowsing)->isChecked());
        QCOMPARE(local()->currentFolder(), localPath());

        // A folder that vanished from the server after it was listed: the server refuses it.
        startSyncAtRoots();
        QVERIFY(QDir(server_->root()).rmdir(QStringLiteral("vanishing")));
        openRow(local()->list(), QStringLiteral("vanishing"));
        waitIdle();
        QVERIFY(log.waitFor(formatText(TextId::SyncRemoteRefused, "/vanishing"), LogColor::Error));
        QVERIFY(!frame_->action(cmd::SyncBrowsing)->isChecked());
        QCOMPARE(remote()->currentPath(), QByteArray("/"));
    }

    // Marks in both lists, from the real listing and the local folder, made again when a list
    // changes; the marked rows are painted in the tint.
    void comparisonMarksBothLists()
    {
        QVERIFY(local()->ShowFolder(localPath()));
        remote()->Navigate("/");
        waitIdle();
        ListComparison *comparison = remote()->comparison();
        QSignalSpy compared(comparison, &ListComparison::compared);
        clickToggle(cmd::CompareFolders);
        QVERIFY(frame_->action(cmd::CompareFolders)->isChecked());
        QTRY_VERIFY(compared.count() >= 1 && !comparison->pending());
        const auto markOf = [comparison](CSortListCtrl *list, const QString &name) {
            const int row = rowOf(list, name);
            return row < 0 ? QStringLiteral("absent") : markName(comparison->markOf(list, row));
        };
        CSortListCtrl *localList = local()->list();
        CSortListCtrl *remoteList = remote()->list();
        QCOMPARE(markOf(localList, "same.txt"), QStringLiteral("same"));
        QCOMPARE(markOf(remoteList, "same.txt"), QStringLiteral("same"));
        QCOMPARE(markOf(localList, "grown.txt"), QStringLiteral("size"));
        QCOMPARE(markOf(remoteList, "grown.txt"), QStringLiteral("size"));
        QCOMPARE(markOf(localList, "newer.txt"), QStringLiteral("newer"));
        QCOMPARE(markOf(remoteList, "newer.txt"), QStringLiteral("older"));
        QCOMPARE(markOf(localList, "only-local.txt"), QStringLiteral("only"));
        QCOMPARE(markOf(remoteList, "only-remote"), QStringLiteral("only"));
        QCOMPARE(markOf(localList, "pub"), QStringLiteral("same"));
        QCOMPARE(markOf(remoteList, "loop"), QStringLiteral("same"));
        // Marks belong to the rows, not to the places a header click moves them to.
        QTest::mouseClick(localList->header()->viewport(), Qt::LeftButton, {},
                          QPoint(localList->header()->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(localList->sortColumn(), 1);
        QCOMPARE(markOf(localList, "grown.txt"), QStringLiteral("size"));
        QCOMPARE(markOf(localList, "newer.txt"), QStringLiteral("newer"));

        // Painted: the marked row in the tint, the row that is the same not.
        localList->resize(600, 400);
        const QImage shot = localList->viewport()->grab().toImage();
        const auto pixelRight = [&](const QString &name) {
            const QRect rect = localList->visualRect(localList->listModel()->index(rowOf(localList, name), 2));
            return shot.pixelColor(rect.right() - 2, rect.center().y());
        };
        const QColor tint = RowMarkDelegate::tint(localList->palette());
        QCOMPARE(pixelRight("grown.txt"), tint);
        QVERIFY(pixelRight("same.txt") != tint);

        // A new local listing marks again.
        QVERIFY(QFile::remove(localRoot_.filePath(QStringLiteral("only-local.txt"))));
        QVERIFY(QFile::resize(localRoot_.filePath(QStringLiteral("grown.txt")), 10));
        const int before = compared.count();
        QTest::mouseClick(local()->upButton(), Qt::LeftButton);
        QVERIFY(local()->ShowFolder(localPath()));
        QTRY_VERIFY(compared.count() > before && !comparison->pending());
        QCOMPARE(markOf(localList, "only-local.txt"), QStringLiteral("absent"));
        QCOMPARE(markOf(remoteList, "grown.txt"), QStringLiteral("older"));

        clickToggle(cmd::CompareFolders);
        QCOMPARE(markOf(remoteList, "only-remote"), QStringLiteral("same"));
    }

    // A server that shows the folder it was in whatever it is asked to enter, as a link looping
    // back makes it: the local pane is not walked back, synchronized browsing ends.
    void serverShowingAnotherFolderSwitchesItOff()
    {
        frame_.reset();
        QVERIFY(QDir(ListingCache::defaultFolder()).removeRecursively());
        ScriptedServer server;
        server.on("USER", "331 Password required")
            .on("PASS", "230 Logged in")
            .on("PWD", "257 \"/\" is the current directory")
            .on("CWD", "250 OK")
            .on("TYPE", "200 Type set")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Here it comes")
                            .sendData("drwxr-xr-x   2 u  g      0 Jan  1  2020 pub\r\n")
                            .then("226 Done"));
        openFrame(server.port(), QStringLiteral("u"), QStringLiteral("p"));
        LogRecorder log;
        startSyncAtRoots();
        openRow(local()->list(), QStringLiteral("pub"));
        waitIdle();
        QVERIFY(log.waitFor(formatText(TextId::SyncServerElsewhere, "/", "/pub"), LogColor::Error));
        QVERIFY(!frame_->action(cmd::SyncBrowsing)->isChecked());
        QCOMPARE(local()->currentFolder(), localPath("pub"));
        QCOMPARE(remote()->currentPath(), QByteArray("/"));
        frame_.reset();
    }
};

TIDEWELL_GUI_TEST_MAIN(TestSyncBrowse)
#include "tst_syncbrowse.moc"
