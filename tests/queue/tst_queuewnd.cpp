#include "guitest.h"
#include "sessionreset.h"

#include "controls/reorderlistctrl.h"
#include "platform/programpaths.h"
#include "platform/settingsstore.h"
#include "queue/queuefile.h"
#include "queue/queuemodel.h"
#include "queue/queuewnd.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>

using testsupport::LogRecorder;

namespace
{

QueueItem download(const QByteArray &name, const QByteArray &size = "1")
{
    QueueItem item;
    item.name = name;
    item.sizeText = size;
    item.destination = "/home/ann/Down";
    item.direction = QueueItem::Download;
    return item;
}

QByteArrayList names(const CQueueWnd &pane)
{
    QByteArrayList result;
    for (int row = 0; row < pane.model()->size(); ++row)
        result << pane.model()->item(row).name;
    return result;
}

void selectRows(CQueueWnd &pane, const QList<int> &rows)
{
    pane.list()->clearSelection();
    for (int row : rows)
        pane.list()->selectionModel()->select(pane.model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Runs the pane's command of that text, as its context menu would.
void trigger(CQueueWnd &pane, const QString &text)
{
    for (QAction *action : pane.actions())
        if (action->text() == text)
            return action->trigger();
    QFAIL(qPrintable(QStringLiteral("no command ") + text));
}

QString queueFile()
{
    return programpaths::programFolder() + QStringLiteral("QUEUE.Q");
}

} // namespace

class TestQueueWnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<CQueueWnd> pane_;

    CQueueWnd &pane() { return *pane_; }

    void fill(const QByteArrayList &rows)
    {
        for (const QByteArray &name : rows)
            QCOMPARE(pane().AddQueueItem(download(name), false), QueueView::AddResult::Added);
    }

private slots:
    void init()
    {
        QFile::remove(queueFile());
        QFile::remove(programpaths::programFolder() + QStringLiteral("QUEUE.BAK"));
        guitest::clearSettings();
        pane_ = std::make_unique<CQueueWnd>();
        pane_->resize(500, 300);
        pane_->initialUpdate();
        pane_->show();
    }

    void cleanup() { pane_.reset(); }

    void moveCommands_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("order");
        QTest::newRow("B, D upward") << QList<int>{1, 3} << "Move to upward" << QByteArray("BDACE");
        QTest::newRow("B downward") << QList<int>{1} << "Move to downward" << QByteArray("ACBDE");
        QTest::newRow("B, C downward") << QList<int>{1, 2} << "Move to downward" << QByteArray("ADBCE");
        QTest::newRow("head to bottom") << QList<int>{0} << "Move to bottom" << QByteArray("BCDEA");
        QTest::newRow("head to top: nothing") << QList<int>{0, 3} << "Move to top" << QByteArray("ABCDE");
        QTest::newRow("head upward: nothing") << QList<int>{0, 2} << "Move to upward" << QByteArray("ABCDE");
        QTest::newRow("D, E to top") << QList<int>{3, 4} << "Move to top" << QByteArray("DEABC");
        QTest::newRow("delete B, D") << QList<int>{1, 3} << "Delete	Del" << QByteArray("ACE");
        QTest::newRow("delete nothing selected") << QList<int>{} << "Delete	Del" << QByteArray("ABCDE");
        QTest::newRow("delete all") << QList<int>{2} << "Delete All" << QByteArray();
    }

    void moveCommands()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, command);
        QFETCH(QByteArray, order);
        fill({"A", "B", "C", "D", "E"});
        selectRows(pane(), selected);
        trigger(pane(), command);
        QCOMPARE(names(pane()).join(), order);
        QCOMPARE(pane().queueHasItems(), !order.isEmpty());
        // Moved rows stay selected.
        if (!command.startsWith(QLatin1String("Delete")))
            QCOMPARE(int(pane().list()->selectedRows().size()), int(selected.size()));
    }

    void deleteKey()
    {
        fill({"A", "B", "C"});
        selectRows(pane(), {1});
        pane().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&pane()));
        pane().list()->setFocus();
        QTest::keyClick(pane().list(), Qt::Key_Delete);
        QCOMPARE(names(pane()).join(), QByteArray("AC"));
    }

    void dragRows_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("dropRow"); // -1: below the last row
        QTest::addColumn<QByteArray>("order");
        QTest::newRow("first two onto the fourth") << QList<int>{0, 1} << 3 << QByteArray("CDABE");
        QTest::newRow("onto the last row") << QList<int>{1} << 4 << QByteArray("ACDEB");
        QTest::newRow("below the rows") << QList<int>{0, 2} << -1 << QByteArray("BDEAC");
        QTest::newRow("onto the first row") << QList<int>{3, 4} << 0 << QByteArray("ADEBC");
    }

    void dragRows()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, dropRow);
        QFETCH(QByteArray, order);
        fill({"A", "B", "C", "D", "E"});
        selectRows(pane(), selected);
        ReorderListCtrl *list = pane().list();
        QWidget *viewport = list->viewport();
        const QPoint start = list->visualRect(pane().model()->index(selected.first(), 0)).center();
        const QPoint end =
            dropRow >= 0 ? list->visualRect(pane().model()->index(dropRow, 0)).center()
                         : QPoint(start.x(), list->visualRect(pane().model()->index(4, 0)).bottom() + 20);
        sendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 20), Qt::LeftButton);
        QVERIFY(list->dragging());
        sendMouse(viewport, QEvent::MouseMove, end, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseButtonRelease, end, Qt::NoButton);
        QVERIFY(!list->dragging());
        QCOMPARE(names(pane()).join(), order);
    }

    void duplicatesAndLongPaths()
    {
        LogRecorder log;
        fill({"a/File"});
        // Paths are case-sensitive: another letter case is another file.
        QCOMPARE(pane().AddQueueItem(download("a/file"), false), QueueView::AddResult::Added);
        QCOMPARE(pane().AddQueueItem(download("a/File"), true), QueueView::AddResult::Duplicate);
        const QByteArray tooLong = "/" + QByteArray(259, 'x');
        QCOMPARE(pane().AddQueueItem(download(tooLong), false), QueueView::AddResult::TooLong);
        QCOMPARE(names(pane()), (QByteArrayList{"a/File", "a/file"}));
        QVERIFY(log.waitFor(QStringLiteral("Not queued: the path is longer than 259 bytes: %1\n")
                                .arg(QString::fromLatin1(tooLong)),
                            LogColor::Error));
        // A whole batch at the head keeps its order; folders lose any size text.
        QueueItem folder = download("/pub", "12");
        folder.isFolder = true;
        QCOMPARE(pane().AddQueueItems({download("h1"), folder, download("a/file")}, true), 2);
        QCOMPARE(names(pane()), (QByteArrayList{"h1", "/pub", "a/File", "a/file"}));
        QVERIFY(pane().model()->item(1).sizeText.isEmpty());
        QCOMPARE(pane().model()->item(1).itemParameter(), 241);
    }

    void headOperations()
    {
        QVERIFY(!pane().PeekQueueHead());
        QVERIFY(!pane().PopQueueHead());
        fill({"A", "B", "C"});
        QCOMPARE(pane().PeekQueueHead()->name, QByteArray("A"));
        QCOMPARE(pane().PopQueueHead()->name, QByteArray("B"));
        // The item that was transferred leaves, wherever the user moved it meanwhile.
        selectRows(pane(), {1});
        pane().commands().moveToTop->trigger();
        QVERIFY(pane().RemoveQueueItem(download("B")));
        QCOMPARE(names(pane()).join(), QByteArray("C"));
        QVERIFY(!pane().PopQueueHead());
        QVERIFY(!pane().queueHasItems());
    }

    // Two other threads add while the window thread reorders and deletes: every row stays whole.
    void otherThreads()
    {
        std::atomic<int> finished{0};
        auto adder = [&](char tag) {
            for (int i = 0; i < 300; ++i) {
                QueueItem item = download(QByteArray(1, tag) + QByteArray::number(i), QByteArray::number(i));
                item.destination = "/dest/" + QByteArray::number(i);
                (void)pane().AddQueueItem(item, i % 2 == 0);
            }
            ++finished;
        };
        std::thread first(adder, 'x');
        std::thread second(adder, 'y');
        while (finished < 2) {
            selectRows(pane(), {0, 2});
            pane().commands().moveToBottom->trigger();
            QCoreApplication::processEvents();
        }
        first.join();
        second.join();
        QCOMPARE(pane().queueCount(), 600);
        QCOMPARE(pane().model()->size(), 600);
        for (const QueueItem &item : pane().queueItems()) {
            const QByteArray number = item.name.mid(1);
            QCOMPARE(item.sizeText, number);
            QCOMPARE(item.destination, "/dest/" + number);
        }
    }

    // The queue is on disk shortly after each change, and the backup rotates when the pane goes.
    void autosaveAndExit()
    {
        // The queue file the run began with.
        pane_.reset();
        const std::vector<QueueItem> previous{download("P")};
        QCOMPARE(queuefile::save(queueFile(), previous, queuefile::Backup::Keep, QString()).status,
                 queuefile::SaveStatus::Saved);
        pane_ = std::make_unique<CQueueWnd>();
        pane_->initialUpdate();
        pane().commands().deleteAll->trigger();
        fill({"A", "B"});
        QTRY_VERIFY_WITH_TIMEOUT(queuefile::load(queueFile(), QString()).decoded.items.size() == 2, 10000);
        pane().commands().deleteAll->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(queueFile()), 10000);
        fill({"C"});
        pane().flushAutosave();
        QCOMPARE(queuefile::load(queueFile(), QString()).decoded.items.size(), size_t(1));
        fill({"D"});
        pane_.reset();
        QCOMPARE(queuefile::load(queueFile(), QString()).decoded.items.size(), size_t(2));
        // The backup is the queue the run began with, not one of the saves in between.
        QVERIFY(queuefile::load(programpaths::programFolder() + QStringLiteral("QUEUE.BAK"), QString())
                    .decoded.items == previous);
        QVERIFY(!QFile::exists(programpaths::programFolder() + QStringLiteral("QUEUE$.Q")));
        // The next pane starts with that queue.
        pane_ = std::make_unique<CQueueWnd>();
        pane_->initialUpdate();
        QCOMPARE(names(pane()).join(), QByteArray("CD"));
    }

    void loadResults_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "missing": no file at all
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("order");
        QTest::addColumn<QString>("logged");
        const QByteArray whole = queuefile::encode({download("A"), download("B"), download("C")});
        QByteArray claimsFive = whole;
        claimsFive[12] = 5;
        QTest::newRow("whole file") << whole << 1 << QByteArray("ABC") << QString();
        QTest::newRow("count 5, three records")
            << claimsFive << 0 << QByteArray("ABC")
            << QStringLiteral("The queue file %1 ends inside a record; 3 of 5 items were read.\n");
        QTest::newRow("cut in the header: queue kept")
            << whole.left(10) << 0 << QByteArray("XY") << QStringLiteral("%1 is not a queue file.\n");
        QTest::newRow("missing: queue kept") << QByteArray("missing") << 0 << QByteArray("XY") << QString();
    }

    void loadResults()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(QByteArray, order);
        QFETCH(QString, logged);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("in.q"));
        if (bytes != "missing") {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        fill({"X", "Y"});
        LogRecorder log;
        QCOMPARE(pane().LoadQueueFile(file), result);
        QCOMPARE(names(pane()).join(), order);
        if (!logged.isEmpty())
            QVERIFY(log.waitFor(logged.arg(file), LogColor::Error));
    }

    void columnWidths()
    {
        pane_.reset();
        settingsstore::writeString(QString::fromLatin1(settingsstore::applSet), QStringLiteral("QueueColumn"),
                                   QStringLiteral("300,5,,90,"));
        pane_ = std::make_unique<CQueueWnd>();
        pane_->initialUpdate();
        QHeaderView *header = pane_->list()->header();
        QCOMPARE(QList<int>({header->sectionSize(0), header->sectionSize(1), header->sectionSize(2),
                             header->sectionSize(3)}),
                 QList<int>({300, 10, 10, 90}));
    }

    void saveAndReadThroughTheDialogs()
    {
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("mine.q"));
        fill({"A", "B", "C"});
        // The dialog fills its folder view in the background and may take the first answer back
        // while it does; so the answer is repeated until the dialog has gone.
        QTimer answer;
        answer.setInterval(50);
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                dialog->setDirectory(dir.path());
                if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                    edit->setText(QStringLiteral("mine.q"));
                static_cast<QDialog *>(dialog)->accept();
            }
        });
        answer.start();
        pane().commands().saveToFile->trigger();
        QVERIFY(QFile::exists(chosen));
        pane().commands().deleteAll->trigger();
        pane().commands().readFromFile->trigger();
        answer.stop();
        QCOMPARE(names(pane()).join(), QByteArray("ABC"));
        // A cancelled dialog changes nothing.
        {
            guitest::ModalWatcher watcher;
            pane().commands().readFromFile->trigger();
        }
        QCOMPARE(names(pane()).join(), QByteArray("ABC"));
    }

    void transfer()
    {
        int started = 0;
        pane().setTransferStarter([&] { ++started; });
        pane().commands().transfer->trigger();
        QCOMPARE(started, 0);
        fill({"A"});
        pane().commands().transfer->trigger();
        QCOMPARE(started, 1);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestQueueWnd)
#include "tst_queuewnd.moc"
