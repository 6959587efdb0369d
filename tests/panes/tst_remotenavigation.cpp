#include "guitest.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/transferqueue.h"
#include "shell/mainframe.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

const QByteArray listing = "drwxr-xr-x   2 u  g      0 Jan  1  2020 sub\r\n"
                           "-rw-r--r--   1 u  g      5 Jan  1  2020 f.txt\r\n"
                           "lrwxrwxrwx   1 u  g      8 Jan  1  2020 www -> /var/www\r\n";

// A server in "/" that lists the same three rows wherever it is asked.
void scriptServer(ScriptedServer &server)
{
    server.on("USER", "331 Password required")
        .on("PASS", "230 Logged in")
        .on("PWD", "257 \"/\" is the current directory")
        .on("CWD", "250 OK")
        .on("CDUP", "250 OK")
        .on("TYPE", "200 Type set")
        .on("NOOP", "200 OK")
        .on("PASV", Reply::pasv())
        .on("LIST", Reply("150 Here it comes").sendData(listing).then("226 Done"));
}

int rowOf(const CSortListCtrl *list, const QString &name)
{
    for (int row = 0; row < list->listModel()->size(); ++row)
        if (list->listModel()->row(row).text(0) == name)
            return row;
    return -1;
}

} // namespace

// Navigation rules of the remote pane against exact server replies.
class TestRemoteNavigation : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedServer> server_;
    std::unique_ptr<CMainFrame> frame_;

    // The session of the window under test.
    Session &session() const { return frame_->controller()->session(); }

    CRemoteWnd *pane() const { return frame_->remotePane(); }

    void start(bool relative)
    {
        guitest::clearSettings();
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().retryCount = 0;
        server_ = std::make_unique<ScriptedServer>();
        scriptServer(*server_);
        {
            guitest::ModalWatcher watcher;
            frame_ = std::make_unique<CMainFrame>();
            frame_->show();
            QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
        }
        Session &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server_->port();
        s.userName = QStringLiteral("u");
        s.password = QStringLiteral("p");
        s.relativePaths = relative;
        s.initialRemotePath.clear();
        QSignalSpy started(pane(), &CRemoteWnd::sessionStarted);
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        waitIdle();
        QTRY_VERIFY(rowOf(pane()->list(), QStringLiteral("sub")) >= 0);
        // The rows came from the server, not from a cache file.
        QVERIFY(server_->commands().contains("LIST"));
    }

    // The job is over, and what it posted to the panes before it ended has arrived.
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!session().busy() && !session().waitCursor, 10000);
        QCoreApplication::processEvents();
    }

    void select(const QString &name)
    {
        const int row = rowOf(pane()->list(), name);
        QVERIFY2(row >= 0, qPrintable(name));
        pane()->list()->selectionModel()->select(pane()->list()->listModel()->index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    }

    QList<QByteArray> commandsSince(int count) const { return server_->commands().mid(count); }

private slots:
    // Every case starts without cached listings: rows another case left would stand in for the
    // server's, and what a case sees would depend on the cases run before it.
    void init()
    {
        QDir cache(ListingCache::defaultFolder());
        QVERIFY(cache.removeRecursively());
        QVERIFY(!cache.exists());
    }

    void cleanup()
    {
        frame_.reset();
        server_.reset();
        testsupport::freshController();
    }

    // Rows that arrive for a folder the user has left meanwhile go to that folder's cache file
    // only; the list keeps what it shows.
    void rowsOfAnotherFolderAreOnlyCached()
    {
        start(false);
        const QString shownBefore = pane()->list()->listModel()->row(0).text(0);
        const int rowsBefore = pane()->list()->listModel()->rowCount();
        FileEntry late;
        late.texts[0] = QStringLiteral("late.txt");
        late.itemData = FileEntry::fileItemData;
        const QString listed = QStringLiteral("/listed-meanwhile");
        QFile::remove(pane()->cache()->CacheFilePath(listed));
        pane()->showRemoteListing(listed.toUtf8(), {late}, true, std::nullopt);
        QCOMPARE(pane()->list()->listModel()->rowCount(), rowsBefore);
        QCOMPARE(pane()->list()->listModel()->row(0).text(0), shownBefore);
        const auto cached = readCacheFile(pane()->cache()->CacheFilePath(listed));
        QVERIFY(cached && cached->size() == 1);
        QCOMPARE(cached->front().text(0), QStringLiteral("late.txt"));

        pane()->showRemoteListing(pane()->currentPath(), {late}, false, std::nullopt);
        QCOMPARE(pane()->list()->listModel()->rowCount(), 1);
    }

    // Rows dragged from the remote list onto the queue pane are queued as downloads; onto the
    // local pane the question comes first, and No leaves the queue as it was.
    void dragToQueueAndLocalPane()
    {
        start(false);
        TransferQueue *queue = frame_->queuePane()->queue();
        while (queue->PopQueueHead()) {
        }
        QWidget *viewport = pane()->list()->viewport();
        auto dragTo = [&](QWidget *target) {
            select(QStringLiteral("f.txt"));
            const int row = rowOf(pane()->list(), QStringLiteral("f.txt"));
            const QPoint from =
                pane()->list()->visualRect(pane()->list()->listModel()->index(row, 0)).center();
            const QPoint to = viewport->mapFromGlobal(target->mapToGlobal(target->rect().center()));
            auto send = [&](QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons) {
                QMouseEvent event(type, pos, viewport->mapToGlobal(pos), Qt::LeftButton, buttons,
                                  Qt::NoModifier);
                QApplication::sendEvent(viewport, &event);
            };
            send(QEvent::MouseButtonPress, from, Qt::LeftButton);
            send(QEvent::MouseMove, from + QPoint(30, 0), Qt::LeftButton);
            send(QEvent::MouseMove, to, Qt::LeftButton);
            send(QEvent::MouseButtonRelease, to, Qt::NoButton);
        };
        dragTo(frame_->queuePane());
        QCOMPARE(queue->queueCount(), 1);
        QCOMPARE(queue->PeekQueueHead()->name, QByteArray("/f.txt"));
        while (queue->PopQueueHead()) {
        }
        {
            QStringList asked;
            guitest::ModalWatcher no([&asked](QWidget *box) {
                asked << box->windowTitle();
                if (auto *message = qobject_cast<QMessageBox *>(box))
                    message->button(QMessageBox::No)->click();
            });
            dragTo(frame_->localPane());
            QCOMPARE(asked.size(), 1);
        }
        QCOMPARE(queue->queueCount(), 0);
    }

    // In relative-path mode the server steps first, as a job; the pane goes on once it answered:
    // into the folder whatever the answer, up only when the server went up.
    void relativeModeSteps_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("refusalLogged");
        QTest::addColumn<QByteArray>("shownAfter");
        // Entering lists by path; where the pane then stands is the server's answer to PWD.
        QTest::newRow("enter") << false << QByteArray("250 OK") << false << QByteArray();
        QTest::newRow("enter refused") << false << QByteArray("550 No such directory") << true << QByteArray();
        QTest::newRow("up") << true << QByteArray("250 OK") << false << QByteArray("/");
        QTest::newRow("up refused") << true << QByteArray("550 No parent") << true << QByteArray("/sub");
    }

    void relativeModeSteps()
    {
        QFETCH(bool, up);
        QFETCH(QByteArray, reply);
        QFETCH(bool, refusalLogged);
        QFETCH(QByteArray, shownAfter);
        start(true);
        const QByteArray command = up ? QByteArray("CDUP") : QByteArray("CWD sub");
        server_->once(command, reply);
        LogRecorder log;
        const int before = server_->commands().size();
        if (up) {
            pane()->setCurrentPath("/sub");
            pane()->GoUp();
        } else {
            select(QStringLiteral("sub"));
            pane()->OpenSelection();
        }
        // The step runs on the worker and the pane goes on when it has answered.
        if (up)
            QTRY_VERIFY_WITH_TIMEOUT(pane()->currentPath() == shownAfter && !session().busy(), 10000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(commandsSince(before).contains("LIST"), 10000);
        waitIdle();
        const QList<QByteArray> sent = commandsSince(before);
        QCOMPARE(sent.value(0), command);
        QVERIFY(!sent.contains("CWD /sub"));
        QCOMPARE(log.texts(LogColor::Error).contains(loadText(TextId::CannotChangeDirectory)), refusalLogged);
        // Entering lists the folder (no cache of it yet); a refused step up lists nothing.
        QCOMPARE(sent.contains("LIST"), !up);
    }

    void absoluteModeLinkEntersItsName()
    {
        start(false);
        const int before = server_->commands().size();
        select(QStringLiteral("www -> /var/www"));
        pane()->OpenSelection();
        QTRY_VERIFY(commandsSince(before).contains("CWD /www"));
        waitIdle();
    }

    void fileRowsAreQueued()
    {
        start(false);
        LogRecorder log;
        const int before = server_->commands().size();
        select(QStringLiteral("f.txt"));
        pane()->OpenSelection();
        // Queued as a download into the folder the local pane shows.
        TransferQueue *queue = frame_->queuePane()->queue();
        QVERIFY(queue->queueHasItems());
        std::optional<QueueItem> last;
        while (auto head = queue->PeekQueueHead()) {
            last = head;
            if (head->name == "/f.txt")
                break;
            queue->PopQueueHead();
        }
        QVERIFY(last && last->name == "/f.txt");
        QCOMPARE(last->direction, QueueItem::Download);
        QVERIFY(!last->isFolder);
        QCOMPARE(last->destination, frame_->localPane()->currentFolder());
        // A file is no folder to enter.
        QCOMPARE(commandsSince(before), QList<QByteArray>{});
        QCOMPARE(pane()->currentPath(), QByteArray("/"));
    }

    void contextMenuHasTwoForms()
    {
        start(false);
        QStringList withSelection;
        QStringList withoutSelection;
        auto capture = [](QStringList *texts) {
            QTimer::singleShot(50, [texts] {
                if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                    for (QAction *action : menu->actions())
                        if (!action->isSeparator())
                            *texts << action->text();
                    menu->close();
                }
            });
        };
        select(QStringLiteral("sub"));
        capture(&withSelection);
        emit pane()->list()->customContextMenuRequested(QPoint(5, 5));
        pane()->list()->clearSelection();
        capture(&withoutSelection);
        emit pane()->list()->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(withSelection.size(), 12);
        QCOMPARE(withoutSelection.size(), 5);
        QCOMPARE(withSelection.first().remove(QLatin1Char('&')), QStringLiteral("Download"));
        QCOMPARE(withoutSelection.last().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0),
                 QStringLiteral("Refresh"));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestRemoteNavigation)
#include "tst_remotenavigation.moc"
