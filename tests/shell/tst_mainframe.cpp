#include "guitest.h"
#include "sessionreset.h"

#include "engine/transferloops.h"
#include "engine/transfertexts.h"
#include "panes/localwnd.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/worker.h"
#include "shell/framelayout.h"
#include "shell/mainframe.h"
#include "shell/progressstatusbar.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSplitter>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <memory>
#include <thread>

using settingsstore::applSet;

namespace
{

// A frame that counts the read-outs the session hands to its status bar (window thread).
class CountingFrame : public CMainFrame
{
public:
    int progressTexts = 0;
    int rateTexts = 0;

    void setFileProgress(qint64 done, qint64 total) override
    {
        ++progressTexts;
        CMainFrame::setFileProgress(done, total);
    }
    void setRateText(const QString &text) override
    {
        ++rateTexts;
        CMainFrame::setRateText(text);
    }
};

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

    // A frame as the program starts it; the Site Manager it opens at start is dismissed.
    template <typename Frame = CMainFrame>
    std::unique_ptr<Frame> startFrame(QStringList *dialogsSeen = nullptr)
    {
        guitest::ModalWatcher watcher;
        auto frame = std::make_unique<Frame>();
        frame->show();
        (void)QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000);
        if (dialogsSeen)
            *dialogsSeen = watcher.seen;
        return frame;
    }

private slots:
    void init()
    {
        guitest::clearSettings();
    }

    void siteManagerOpensAtStart()
    {
        QStringList seen;
        auto frame = startFrame(&seen);
        QCOMPARE(seen, QStringList{QStringLiteral("SiteManagerDialog")});
    }

    void toolbarOrder()
    {
        auto frame = startFrame();
        QList<int> ids;
        for (QAction *action : frame->toolBar()->actions())
            ids.append(action->isSeparator() ? 0 : action->data().toInt());
        const QList<int> expected = {cmd::SiteManager,
                                     cmd::Connect,
                                     cmd::Disconnect,
                                     0,
                                     cmd::Preference,
                                     0,
                                     cmd::Upload,
                                     cmd::Download,
                                     cmd::TransferQueue,
                                     cmd::Abort,
                                     0,
                                     cmd::Refresh,
                                     0,
                                     cmd::Rename,
                                     cmd::ChangeAttribute,
                                     cmd::Delete,
                                     cmd::DeleteSubfolder,
                                     cmd::MoveTo,
                                     cmd::NewFolder,
                                     cmd::UserCommand,
                                     0,
                                     cmd::SyncBrowsing,
                                     cmd::CompareFolders,
                                     0,
                                     cmd::BinaryMode,
                                     cmd::AsciiMode,
                                     cmd::AutoMode};
        QCOMPARE(ids, expected);
        // The prompt and the tooltip are the two halves of the command's string.
        const QString text = loadText(TextId::ConnectPrompt);
        if (text.contains(QLatin1Char('\n'))) {
            QCOMPARE(frame->action(cmd::Connect)->statusTip(), text.section(QLatin1Char('\n'), 0, 0));
            QCOMPARE(frame->action(cmd::Connect)->toolTip(), text.section(QLatin1Char('\n'), 1));
        }
    }

    void menusHaveAccessKeys_data()
    {
        QTest::addColumn<bool>("korean");
        QTest::addColumn<QString>("siteManager");
        QTest::addColumn<QString>("refresh");
        QTest::newRow("English") << false << "&Site Manager"
                                 << "&Refresh\tF5";
        QTest::newRow("Korean") << true << QString::fromUtf8("사이트 관리자(&S)")
                                << QString::fromUtf8("새로 고침(&R)\tF5");
    }

    void menusHaveAccessKeys()
    {
        QFETCH(bool, korean);
        QFETCH(QString, siteManager);
        QFETCH(QString, refresh);
        setLanguage(korean ? Language::Korean : Language::English);
        auto frame = startFrame();
        setLanguage(Language::English);
        QCOMPARE(frame->action(cmd::SiteManager)->text(), siteManager);
        QCOMPARE(frame->action(cmd::Refresh)->text(), refresh);
        // Every menu and every command in it can be reached from the keyboard.
        for (QAction *menu : frame->menuBar()->actions()) {
            QVERIFY2(menu->text().contains(QLatin1Char('&')), qPrintable(menu->text()));
            for (QAction *item : menu->menu()->actions())
                QVERIFY2(item->isSeparator() || item->text().contains(QLatin1Char('&')),
                         qPrintable(item->text()));
        }
    }

    void commandStates_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("connect");
        QTest::addColumn<bool>("disconnect");
        QTest::addColumn<bool>("abort");
        QTest::newRow("idle, disconnected") << false << false << true << false << false;
        QTest::newRow("idle, connected") << true << false << false << true << false;
        QTest::newRow("job running") << true << true << false << true << true;
    }

    void commandStates()
    {
        QFETCH(bool, connected);
        QFETCH(bool, busy);
        auto frame = startFrame();
        frame->controller()->session().connected = connected;
        frame->controller()->session().setStatus(busy ? SessionStatus::RunningJob : SessionStatus::Idle);
        emit frame->controller()->stateChanged();
        QFETCH(bool, connect);
        QFETCH(bool, disconnect);
        QFETCH(bool, abort);
        QCOMPARE(frame->action(cmd::Connect)->isEnabled(), connect);
        QCOMPARE(frame->action(cmd::Disconnect)->isEnabled(), disconnect);
        QCOMPARE(frame->action(cmd::Abort)->isEnabled(), abort);
        // Nothing is queued, so there is never anything to transfer.
        QVERIFY(!frame->action(cmd::TransferQueue)->isEnabled());
        QVERIFY(frame->action(cmd::SiteManager)->isEnabled());
        frame->controller()->session().connected = false;
        frame->controller()->session().settle();
    }

    void transferModeChecks()
    {
        auto frame = startFrame();
        const int ids[] = {cmd::AutoMode, cmd::BinaryMode, cmd::AsciiMode};
        const int modes[] = {0, 1, 2};
        for (int i = 0; i < 3; ++i) {
            frame->action(ids[i])->trigger();
            QCOMPARE(appSettings().transferMode.load(), modes[i]);
            for (int j = 0; j < 3; ++j)
                QCOMPARE(frame->action(ids[j])->isChecked(), i == j);
        }
        frame->action(cmd::AutoMode)->trigger();
    }

    void connectWithoutServerOpensSiteManager()
    {
        auto frame = startFrame();
        guitest::ModalWatcher watcher;
        frame->action(cmd::Connect)->trigger();
        QTRY_COMPARE(watcher.seen, QStringList{QStringLiteral("SiteManagerDialog")});
        QVERIFY(!frame->controller()->session().busy());
    }

    void connectWhileBusyDoesNothing_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("connectStarts");
        QTest::newRow("idle: the connect job starts") << false << true;
        QTest::newRow("busy: nothing starts") << true << false;
    }

    void connectWhileBusyDoesNothing()
    {
        QFETCH(bool, busy);
        QFETCH(bool, connectStarts);
        auto frame = startFrame();
        appSettings().retryCount = 0;
        appSettings().transferMode = 0;
        frame->controller()->session().serverHost = QStringLiteral("127.0.0.1");
        frame->controller()->session().port = testsupport::closedLoopbackPort(); // the idle row's job ends by itself
        QVERIFY(frame->controller()->session().port != 0);
        frame->controller()->session().setStatus(busy ? SessionStatus::RunningJob : SessionStatus::Idle);
        frame->controller()->session().job.reset();
        QMetaObject::invokeMethod(frame->action(cmd::Connect), &QAction::trigger, Qt::QueuedConnection);
        // Commands are handled in the order posted: once the mode has changed, Connect has had
        // its turn.
        QMetaObject::invokeMethod(frame->action(cmd::BinaryMode), &QAction::trigger, Qt::QueuedConnection);
        QTRY_COMPARE(appSettings().transferMode.load(), 1);
        QCOMPARE(frame->controller()->session().job && std::holds_alternative<ConnectRequest>(*frame->controller()->session().job), connectStarts);
        if (busy)
            QVERIFY(!frame->controller()->worker().running());
        frame->controller()->worker().join();
        frame->controller()->session().settle();
        frame->controller()->session().connected = false;
        frame->controller()->session().serverHost.clear();
        frame->controller()->session().port = 21;
        frame->action(cmd::AutoMode)->trigger();
    }

    void title()
    {
        auto frame = startFrame();
        QCOMPARE(frame->windowTitle(), loadText(TextId::ProgramTitle));
        frame->controller()->session().serverHost = QStringLiteral("ftp.example.org");
        frame->controller()->session().connected = true;
        frame->updateTitle();
        QCOMPARE(frame->windowTitle(), loadText(TextId::ProgramTitle) + QStringLiteral(" - ftp.example.org"));
        // While minimised the transfer loops own the title; restoring brings the normal one back.
        frame->showMinimized();
        QTRY_VERIFY(frame->controller()->session().showProgressInTitle.load());
        frame->setWindowTitle(QStringLiteral("42%"));
        frame->showNormal();
        QTRY_VERIFY(!frame->controller()->session().showProgressInTitle.load());
        QCOMPARE(frame->windowTitle(), loadText(TextId::ProgramTitle) + QStringLiteral(" - ftp.example.org"));
        frame->controller()->session().connected = false;
    }

    void progressTextsFromWorker()
    {
        auto frame = startFrame<CountingFrame>();
        auto *progress = frame->progressBar()->findChild<QProgressBar *>(QStringLiteral("fileBar"));
        auto *rate = frame->progressBar()->findChild<QLabel *>(QStringLiteral("ratePane"));
        QVERIFY(progress && rate);
        QCOMPARE(progress->width(), 200);
        QVERIFY(progress->isHidden());
        const int progressBefore = frame->progressTexts;
        const int rateBefore = frame->rateTexts;
        // The transfer loops post a read-out for every block. While the window thread is held
        // up, a whole burst must come to one text per pane, the last one.
        constexpr qint64 total = 20000;
        Session &s = frame->controller()->session();
        s.transferTotalSize = total;
        s.showProgressInTitle = false;
        s.transferRunning = true;
        std::thread feeder([&s] {
            for (qint64 done = 0; done <= total; ++done) {
                ShowTransferProgress(s, done);
                ShowTransferRate(s, QStringLiteral("%1 KB/s").arg(done));
            }
        });
        feeder.join();
        QTRY_COMPARE(progress->text(), QStringLiteral("20,000 bytes 100%"));
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->value(), 100);
        QCOMPARE(frame->progressBar()->progressText(), ProgressText(total, total));
        QTRY_COMPARE(rate->text(), QStringLiteral("20000 KB/s"));
        QCOMPARE(frame->progressTexts - progressBefore, 1);
        QCOMPARE(frame->rateTexts - rateBefore, 1);

        // The job ends: its read-outs go, and one still on its way does not bring them back.
        s.transferRunning = false;
        emit frame->controller()->stateChanged();
        QVERIFY(progress->isHidden());
        QCOMPARE(frame->progressBar()->progressText(), QString());
        QCOMPARE(rate->text().trimmed(), QString());
        ShowTransferProgress(s, 10);
        ShowTransferRate(s, QStringLiteral("late"));
        QTest::qWait(150);
        QVERIFY(progress->isHidden());
        QCOMPARE(rate->text().trimmed(), QString());
        s.transferTotalSize = 0;
    }

    void placementParsing_data()
    {
        QTest::addColumn<QString>("winPos");
        QTest::addColumn<QRect>("expected");
        const QSize screen(1000, 800);
        QTest::newRow("as written") << "10,20,610,420" << QRect(10, 20, 600, 400);
        QTest::newRow("blanks after commas") << "30, 30, 970, 770" << QRect(30, 30, 940, 740);
        QTest::newRow("negative clamped") << "-5,-7,-1,-1" << QRect(0, 0, 970, 770);
        QTest::newRow("garbage parts read 0") << "x,y,500,400" << QRect(0, 0, 500, 400);
        QTest::newRow("missing parts: no area, default") << "100" << QRect(30, 30, 940, 740);
        QTest::newRow("empty: default") << "" << QRect(30, 30, 940, 740);
    }

    void placementParsing()
    {
        QFETCH(QString, winPos);
        QFETCH(QRect, expected);
        QCOMPARE(parsePlacement(winPos, 1, QSize(1000, 800)).normal, expected);
    }

    void firstStartDefaults()
    {
        auto frame = startFrame();
        const QSize screen = maximizedWindowSize();
        QCOMPARE(frame->geometry(), QRect(QPoint(30, 30), QPoint(screen.width() - 31, screen.height() - 31)));
        QCOMPARE(frame->innerSplitter()->sizes().value(0), screen.width() * 45 / 100);

        // The log shows eight lines and the queue six rows under its titles.
        auto *log = qobject_cast<QPlainTextEdit *>(frame->logPane());
        QVERIFY(log);
        QTRY_VERIFY(log->viewport()->height() >= 8 * log->fontMetrics().lineSpacing());
        auto *queue = frame->queuePane()->findChild<QTreeView *>(QStringLiteral("queueList"));
        QVERIFY(queue);
        std::vector<QueueItem> items;
        for (int i = 0; i < 8; ++i)
            items.push_back({"/srv/pub/" + QByteArray::number(i) + ".iso", "1,000,000,000", "/home/ann",
                             QueueItem::Download, false});
        QCOMPARE(frame->queuePane()->queue()->AddQueueItems(items, false), 8);
        frame->queuePane()->queue()->deliverChanges();
        QTRY_COMPARE(queue->model()->rowCount(), 8);
        QVERIFY2(queue->viewport()->height() >= 6 * queue->sizeHintForRow(0),
                 qPrintable(QStringLiteral("%1 px for rows of %2 px")
                                .arg(queue->viewport()->height())
                                .arg(queue->sizeHintForRow(0))));
        // The end of a long path tells one queued file from another.
        QCOMPARE(queue->textElideMode(), Qt::ElideMiddle);

        // Every Size column shows a gigabyte whole.
        for (const char *name : {"localList", "remoteList", "queueList"}) {
            auto *list = frame->findChild<QTreeView *>(QString::fromLatin1(name));
            QVERIFY2(list, name);
            QStyleOptionViewItem item;
            item.initFrom(list);
            item.features = QStyleOptionViewItem::HasDisplay;
            item.text = QStringLiteral("1,000,000,000");
            const int needed = list->style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), list).width();
            QVERIFY2(list->header()->sectionSize(1) >= needed, name);
        }
    }

    void layoutSurvivesRestart()
    {
        const QRect placed(40, 50, 700, 500);
        QList<int> rowsShown;
        QList<int> columnsShown;
        {
            auto frame = startFrame();
            frame->setGeometry(placed);
            QTRY_COMPARE(frame->geometry(), placed);
            frame->outerSplitter()->setSizes({90, 200, 100});
            frame->innerSplitter()->setSizes({250, 400});
            QTRY_COMPARE(frame->outerSplitter()->sizes().value(0), 90);
            QTRY_COMPARE(frame->innerSplitter()->sizes().value(0), 250);
            rowsShown = frame->outerSplitter()->sizes();
            columnsShown = frame->innerSplitter()->sizes();
            frame->close();
        }
        // Stored in the form earlier versions read.
        QCOMPARE(settingsstore::readString(applSet, QStringLiteral("WinPos"), {}),
                 QStringLiteral("40,50,740,550"));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("Pane0"), -1), rowsShown.value(0));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("Pane1"), -1), rowsShown.value(1));
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("Pane2"), -1), columnsShown.value(0));
        // The next start shows the window and the panes as they were left.
        auto frame = startFrame();
        QTRY_COMPARE(frame->geometry(), placed);
        QTRY_COMPARE(frame->outerSplitter()->sizes().value(0), rowsShown.value(0));
        QTRY_COMPARE(frame->outerSplitter()->sizes().value(1), rowsShown.value(1));
        QTRY_COMPARE(frame->innerSplitter()->sizes().value(0), columnsShown.value(0));
    }

    // Every menu of the window, and every command a pane's context menu can show, gives each
    // access key to one entry only: a shared key only highlights.
    void accessKeysAreUnique_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << int(Language::English);
        QTest::newRow("Korean") << int(Language::Korean);
    }
    void accessKeysAreUnique()
    {
        QFETCH(int, language);
        setLanguage(Language(language));
        const auto english = qScopeGuard([] { setLanguage(Language::English); });
        auto frame = startFrame();
        QList<std::pair<QString, QList<QAction *>>> groups{{QStringLiteral("menu bar"), frame->menuBar()->actions()}};
        for (qsizetype i = 0; i < groups.size(); ++i) {
            const QList<QAction *> actions = groups[i].second;
            for (QAction *action : actions)
                if (QMenu *menu = action->menu())
                    groups.append({menu->title(), menu->actions()});
        }
        groups.append({QStringLiteral("local pane"), frame->localPane()->commandStates().all()});
        groups.append({QStringLiteral("remote pane"), frame->remotePane()->commandStates().all()});
        groups.append({QStringLiteral("queue pane"), frame->queuePane()->commandStates().all()});
        for (const auto &[name, actions] : groups) {
            QHash<QChar, QString> taken;
            for (QAction *action : actions) {
                const QChar key = guitest::accessKey(action->text());
                if (action->isSeparator() || !action->isVisible() || key.isNull())
                    continue;
                QVERIFY2(!taken.contains(key), qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
                                                              .arg(name, taken.value(key), action->text())));
                taken.insert(key, action->text());
            }
        }
        // Under Korean no command of a menu, nor the toolbar's name, is left in English.
        if (Language(language) == Language::Korean) {
            const auto hangul = [](const QString &text) {
                return std::any_of(text.begin(), text.end(),
                                   [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
            };
            for (const auto &[name, actions] : groups)
                for (QAction *action : actions)
                    if (!action->isSeparator() && !action->text().isEmpty())
                        QVERIFY2(hangul(action->text()),
                                 qPrintable(name + QStringLiteral(": ") + action->text()));
            QToolBar *toolBar = frame->findChild<QToolBar *>();
            QVERIFY(toolBar);
            QVERIFY2(hangul(toolBar->windowTitle()), qPrintable(toolBar->windowTitle()));
        }
    }

    // The window's own keys work wherever its focus is.
    void windowKeysFromEveryPane_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("command");
        for (const char *focus : {"localList", "localPath", "remoteList", "remotePath", "queueList", "logPane"}) {
            QTest::addRow("Ctrl+Q in %s", focus) << QString::fromLatin1(focus) << QKeySequence(Qt::CTRL | Qt::Key_Q)
                                                 << int(cmd::Exit);
            QTest::addRow("F1 in %s", focus) << QString::fromLatin1(focus) << QKeySequence(Qt::Key_F1)
                                             << int(cmd::Help);
        }
    }
    void windowKeysFromEveryPane()
    {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, key);
        QFETCH(int, command);
        auto frame = startFrame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        QWidget *target = focus == QLatin1String("logPane")     ? frame->logPane()
                          : focus == QLatin1String("queueList") ? frame->queuePane()->findChild<QWidget *>(focus)
                          : focus.startsWith(QLatin1String("local"))
                              ? static_cast<QWidget *>(frame->localPane())
                              : frame->remotePane();
        if (focus.endsWith(QLatin1String("List")) && focus != QLatin1String("queueList"))
            target = target->findChild<QWidget *>(focus);
        else if (focus.endsWith(QLatin1String("Path")))
            target = target->findChild<QComboBox *>(QStringLiteral("pathCombo"));
        QVERIFY(target);
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QSignalSpy triggered(frame->action(command), &QAction::triggered);
        QTest::keyClick(target, key[0].key(), key[0].keyboardModifiers());
        QCOMPARE(triggered.size(), 1);
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window != frame.get() && window->isVisible())
                window->close();
    }

    // Ctrl+L in the log, which tells of the remote session, goes to the remote path box ready to
    // be typed over, as it does from within the remote pane.
    void ctrlLInTheLogGoesToTheRemotePathBox()
    {
        auto frame = startFrame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        auto *pathBox = frame->remotePane()->findChild<QComboBox *>(QStringLiteral("pathCombo"));
        QVERIFY(pathBox && pathBox->lineEdit());
        pathBox->lineEdit()->setText(QStringLiteral("/pub"));
        frame->logPane()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), frame->logPane());
        QTest::keyClick(frame->logPane(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), pathBox);
        QCOMPARE(pathBox->lineEdit()->selectedText(), QStringLiteral("/pub"));
    }

    // Whichever list has the focus shows it with its frame, and only that one.
    void focusVisibleOnEveryList()
    {
        auto frame = startFrame();
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        const QList<QWidget *> lists{frame->localPane()->findChild<QWidget *>(QStringLiteral("localList")),
                                     frame->remotePane()->findChild<QWidget *>(QStringLiteral("remoteList")),
                                     frame->queuePane()->findChild<QWidget *>(QStringLiteral("queueList")),
                                     frame->logPane()};
        for (QWidget *focused : lists) {
            QVERIFY(focused);
            focused->setFocus(Qt::TabFocusReason);
            QTRY_COMPARE(QApplication::focusWidget(), focused);
            for (QWidget *list : lists) {
                auto *focusFrame =
                    list->findChild<QWidget *>(QStringLiteral("focusFrame"), Qt::FindDirectChildrenOnly);
                QVERIFY2(focusFrame, qPrintable(list->objectName()));
                QVERIFY2(focusFrame->isVisible() == (list == focused), qPrintable(list->objectName()));
            }
        }
    }

    void negativePaneSizeCountsAsAbsent()
    {
        int firstStart = 0;
        {
            auto frame = startFrame();
            firstStart = frame->outerSplitter()->sizes().value(0);
            frame->close();
        }
        QVERIFY(firstStart > 70);
        settingsstore::writeInt(applSet, QStringLiteral("Pane0"), -1);
        auto frame = startFrame();
        QCOMPARE(frame->outerSplitter()->sizes().value(0), firstStart);
    }

    void maximizedAndMinimizedStates_data()
    {
        QTest::addColumn<bool>("maximize");
        QTest::addColumn<int>("stored");
        QTest::newRow("maximized reopens maximized") << true << 3;
        QTest::newRow("minimized reopens normal") << false << 1;
    }

    void maximizedAndMinimizedStates()
    {
        QFETCH(bool, maximize);
        QFETCH(int, stored);
        {
            auto frame = startFrame();
            if (maximize)
                frame->showMaximized();
            else
                frame->showMinimized();
            QTest::qWait(20);
            frame->close();
        }
        QCOMPARE(settingsstore::readInt(applSet, QStringLiteral("WinShow"), 0), stored);
        auto frame = startFrame();
        QCOMPARE(frame->isMaximized(), maximize);
        QVERIFY(!frame->isMinimized());
    }
};

TIDEWELL_GUI_TEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
