#include "guitest.h"

#include "controls/reorderlistctrl.h"
#include "controls/sortlistctrl.h"
#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "platform/commandids.h"
#include "queue/queuewnd.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace
{

enum class Pane { Local, Remote, Queue, Log };
enum class Link { Offline, Idle, Busy };

} // namespace

Q_DECLARE_METATYPE(Pane)
Q_DECLARE_METATYPE(Link)

// Which commands the main menu and the toolbar offer, for each pane the user works in and each
// state of the session, and the keys that reach them.
class TestCommandStates : public QObject
{
    Q_OBJECT

    std::unique_ptr<CMainFrame> frame_;

    // The session of the window under test.
    Session &session() const { return frame_->controller()->session(); }
    QTemporaryDir folder_;

    QWidget *paneList(Pane pane) const
    {
        switch (pane) {
        case Pane::Local:
            return frame_->localPane()->list();
        case Pane::Remote:
            return frame_->remotePane()->list();
        case Pane::Queue:
            return frame_->queuePane()->list();
        case Pane::Log:
            break;
        }
        return frame_->logPane();
    }

    void work(Pane pane)
    {
        QWidget *target = paneList(pane);
        target->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(target->hasFocus());
    }

    void setLink(Link link)
    {
        session().connected = link != Link::Offline;
        session().setStatus(link == Link::Busy ? SessionStatus::RunningJob : SessionStatus::Idle);
        emit frame_->controller()->stateChanged();
    }

    static void selectFirst(QAbstractItemView *list)
    {
        list->selectionModel()->select(list->model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        QFile file(folder_.filePath(QStringLiteral("local.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    void init()
    {
        guitest::clearSettings();
        guitest::ModalWatcher watcher;
        frame_ = std::make_unique<CMainFrame>();
        frame_->show();
        QTRY_VERIFY(!watcher.seen.isEmpty());
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        // A row to act on in each list.
        QVERIFY(frame_->localPane()->ShowFolder(QFile::encodeName(folder_.path())));
        selectFirst(frame_->localPane()->list());
        FileRow remoteFile;
        remoteFile.texts[0] = QStringLiteral("remote.txt");
        remoteFile.texts[3] = QStringLiteral("-rw-r--r--");
        remoteFile.itemData = FileRow::fileItemData;
        frame_->remotePane()->list()->setRows(FileRows{remoteFile});
        selectFirst(frame_->remotePane()->list());
        QueueItem item;
        item.name = "/remote.txt";
        item.sizeText = "1";
        item.destination = QFile::encodeName(folder_.path());
        QCOMPARE(frame_->queuePane()->queue()->AddQueueItem(item, false), QueueView::AddResult::Added);
        selectFirst(frame_->queuePane()->list());
    }

    void cleanup()
    {
        frame_->queuePane()->DeleteAll();
        session().connected = false;
        session().settle();
        frame_.reset();
    }

    void enabledFor_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<Pane>("pane");
        QTest::addColumn<Link>("link");
        QTest::addColumn<bool>("enabled");
        // The remote pane's commands act on the remote selection: only while that pane is worked in.
        QTest::newRow("Move to, local pane") << cmd::MoveTo << Pane::Local << Link::Idle << false;
        QTest::newRow("Move to, queue pane") << cmd::MoveTo << Pane::Queue << Link::Idle << false;
        QTest::newRow("Move to, remote pane") << cmd::MoveTo << Pane::Remote << Link::Idle << true;
        QTest::newRow("Change Attribute, local pane") << cmd::ChangeAttribute << Pane::Local << Link::Idle << false;
        QTest::newRow("Change Attribute, remote pane")
            << cmd::ChangeAttribute << Pane::Remote << Link::Idle << true;
        QTest::newRow("User Command, local pane") << cmd::UserCommand << Pane::Local << Link::Idle << false;
        QTest::newRow("User Command, log pane") << cmd::UserCommand << Pane::Log << Link::Idle << false;
        QTest::newRow("User Command, remote pane") << cmd::UserCommand << Pane::Remote << Link::Idle << true;
        QTest::newRow("Delete, log pane") << cmd::Delete << Pane::Log << Link::Idle << false;
        QTest::newRow("Download, local pane") << cmd::Download << Pane::Local << Link::Idle << false;
        // Downloading and uploading need the connection; queueing them does not.
        QTest::newRow("Download, offline") << cmd::Download << Pane::Remote << Link::Offline << false;
        QTest::newRow("Download, idle") << cmd::Download << Pane::Remote << Link::Idle << true;
        QTest::newRow("Download, busy") << cmd::Download << Pane::Remote << Link::Busy << true;
        QTest::newRow("Download Later, offline") << cmd::DownloadLater << Pane::Remote << Link::Offline << true;
        QTest::newRow("Upload, offline") << cmd::Upload << Pane::Local << Link::Offline << false;
        QTest::newRow("Upload, idle") << cmd::Upload << Pane::Local << Link::Idle << true;
        QTest::newRow("Upload, remote pane") << cmd::Upload << Pane::Remote << Link::Idle << false;
        QTest::newRow("Upload Later, offline") << cmd::UploadLater << Pane::Local << Link::Offline << true;
        // Each pane's own commands, whatever the session does.
        QTest::newRow("Delete, local pane offline") << cmd::Delete << Pane::Local << Link::Offline << true;
        QTest::newRow("Delete, queue pane offline") << cmd::Delete << Pane::Queue << Link::Offline << true;
        QTest::newRow("Delete, remote pane offline") << cmd::Delete << Pane::Remote << Link::Offline << false;
        QTest::newRow("Delete, remote pane busy") << cmd::Delete << Pane::Remote << Link::Busy << true;
        QTest::newRow("Refresh, local pane offline") << cmd::Refresh << Pane::Local << Link::Offline << true;
        QTest::newRow("Refresh, remote pane offline") << cmd::Refresh << Pane::Remote << Link::Offline << false;
        QTest::newRow("Select All, log pane") << cmd::SelectAll << Pane::Log << Link::Offline << false;
        QTest::newRow("Select All, remote pane offline") << cmd::SelectAll << Pane::Remote << Link::Offline << true;
        // The session's own commands do not depend on the pane.
        QTest::newRow("Connect, local pane offline") << cmd::Connect << Pane::Local << Link::Offline << true;
        QTest::newRow("Connect, remote pane idle") << cmd::Connect << Pane::Remote << Link::Idle << false;
        QTest::newRow("Disconnect, queue pane idle") << cmd::Disconnect << Pane::Queue << Link::Idle << true;
        QTest::newRow("Abort, log pane busy") << cmd::Abort << Pane::Log << Link::Busy << true;
        QTest::newRow("Abort, remote pane idle") << cmd::Abort << Pane::Remote << Link::Idle << false;
        QTest::newRow("Transfer Queue, offline") << cmd::TransferQueue << Pane::Local << Link::Offline << false;
        QTest::newRow("Transfer Queue, idle") << cmd::TransferQueue << Pane::Local << Link::Idle << true;
    }

    void enabledFor()
    {
        QFETCH(int, command);
        QFETCH(Pane, pane);
        QFETCH(Link, link);
        QFETCH(bool, enabled);
        work(pane);
        setLink(link);
        QCOMPARE(frame_->action(command)->isEnabled(), enabled);
    }

    // The state follows the changes without a poll: a selection that goes, the session that ends.
    void followsChanges()
    {
        work(Pane::Remote);
        setLink(Link::Idle);
        QVERIFY(frame_->action(cmd::Delete)->isEnabled());
        frame_->remotePane()->list()->clearSelection();
        QVERIFY(!frame_->action(cmd::Delete)->isEnabled());
        QVERIFY(frame_->action(cmd::NewFolder)->isEnabled());
        setLink(Link::Offline);
        QVERIFY(!frame_->action(cmd::NewFolder)->isEnabled());
        QVERIFY(!frame_->action(cmd::TransferQueue)->isEnabled());
        setLink(Link::Idle);
        QVERIFY(frame_->action(cmd::TransferQueue)->isEnabled());
        frame_->queuePane()->DeleteAll();
        QVERIFY(!frame_->action(cmd::TransferQueue)->isEnabled());
    }

    // A pane's context menu and the main menu hold the same action: the menu's Delete is the
    // Delete of the pane worked in.
    void contextMenuHoldsTheMenuActions_data()
    {
        QTest::addColumn<Pane>("pane");
        QTest::newRow("local") << Pane::Local;
        QTest::newRow("remote") << Pane::Remote;
        QTest::newRow("queue") << Pane::Queue;
    }

    void contextMenuHoldsTheMenuActions()
    {
        QFETCH(Pane, pane);
        setLink(Link::Idle);
        auto *list = qobject_cast<QAbstractItemView *>(paneList(pane));
        QList<QAction *> shown;
        QTimer::singleShot(50, [&shown] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                shown = menu->actions();
                menu->close();
            }
        });
        emit list->customContextMenuRequested(QPoint(5, 5));
        QAction *menuDelete = frame_->action(cmd::Delete);
        QVERIFY(shown.contains(menuDelete));
        QVERIFY(menuDelete->isEnabled());
        QVERIFY(frame_->toolBar()->actions().contains(menuDelete));
        // The other panes' Deletes are neither shown nor enabled.
        const QList<QAction *> deletes = {frame_->localPane()->commands().deleteItems,
                                          frame_->remotePane()->commands().deleteItems,
                                          frame_->queuePane()->commands().deleteItems};
        for (QAction *other : deletes)
            QCOMPARE(other->isEnabled(), other == menuDelete);
    }

    void keys_data()
    {
        QTest::addColumn<Pane>("pane");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Del in the queue") << Pane::Queue << int(Qt::Key_Delete) << "queue emptied";
        QTest::newRow("Del in the local pane") << Pane::Local << int(Qt::Key_Delete) << "question";
        QTest::newRow("F2 in the local pane") << Pane::Local << int(Qt::Key_F2) << "name editor";
        QTest::newRow("F5 in the local pane") << Pane::Local << int(Qt::Key_F5) << "new file shown";
        QTest::newRow("Del in the log pane") << Pane::Log << int(Qt::Key_Delete) << "nothing";
        QTest::newRow("Ctrl+Q anywhere") << Pane::Log << (Qt::CTRL | Qt::Key_Q).toCombined() << "closed";
    }

    void keys()
    {
        QFETCH(Pane, pane);
        QFETCH(int, key);
        QFETCH(QString, outcome);
        work(pane);
        const QString added = folder_.filePath(QStringLiteral("added.txt"));
        QFile::remove(added);
        QFile file(added);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        guitest::ModalWatcher watcher;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        QTest::qWait(100);
        const int localRows = frame_->localPane()->list()->model()->rowCount();
        QCOMPARE(frame_->queuePane()->queue()->queueCount() == 0, outcome == QLatin1String("queue emptied"));
        QCOMPARE(watcher.seen.contains(QStringLiteral("QMessageBox")), outcome == QLatin1String("question"));
        QCOMPARE(frame_->localPane()->list()->findChild<QLineEdit *>() != nullptr,
                 outcome == QLatin1String("name editor"));
        QCOMPARE(localRows == 2, outcome == QLatin1String("new file shown"));
        QCOMPARE(!frame_->isVisible(), outcome == QLatin1String("closed"));
        QFile::remove(added);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestCommandStates)
#include "tst_commandstates.moc"
