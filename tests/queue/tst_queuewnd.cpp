#include "guitest.h"
#include "sessionreset.h"

#include "controls/reorderlistctrl.h"
#include "platform/programpaths.h"
#include "platform/settingsstore.h"
#include "session/queuefile.h"
#include "queue/queuemodel.h"
#include "queue/queueprogressdelegate.h"
#include "queue/queuerun.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QImage>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QScrollBar>
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
            QCOMPARE(pane().queue()->AddQueueItem(download(name), false), QueueView::AddResult::Added);
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
        // Past the end the block stays the last one.
        QTest::newRow("last row downward: stays") << QList<int>{4} << "Move to downward" << QByteArray("ABCDE");
        QTest::newRow("last two downward: stay") << QList<int>{3, 4} << "Move to downward" << QByteArray("ABCDE");
        QTest::newRow("C, E downward") << QList<int>{2, 4} << "Move to downward" << QByteArray("ABDCE");
        QTest::newRow("head to top: nothing") << QList<int>{0, 3} << "Move to top" << QByteArray("ABCDE");
        QTest::newRow("head upward: nothing") << QList<int>{0, 2} << "Move to upward" << QByteArray("ABCDE");
        QTest::newRow("D, E to top") << QList<int>{3, 4} << "Move to top" << QByteArray("DEABC");
        QTest::newRow("delete B, D") << QList<int>{1, 3} << "Delete\tDel" << QByteArray("ACE");
        QTest::newRow("delete nothing selected") << QList<int>{} << "Delete\tDel" << QByteArray("ABCDE");
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
        QCOMPARE(pane().queue()->queueHasItems(), !order.isEmpty());
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



    // While the pointer is held above the rows the list scrolls up a line at a time and the drop
    // target follows; the dragged rows' image follows the pointer and goes with the drop.
    void dragUpwardsScrolls()
    {
        QByteArrayList rows;
        for (int i = 0; i < 60; ++i)
            rows << "r" + QByteArray::number(i);
        fill(rows);
        ReorderListCtrl *list = pane().list();
        list->scrollToBottom();
        QScrollBar *bar = list->verticalScrollBar();
        const int bottom = bar->value();
        QVERIFY(bottom > 5);
        selectRows(pane(), {58, 59});
        QWidget *viewport = list->viewport();
        const QPoint start = list->visualRect(pane().model()->index(58, 0)).center();
        sendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseMove, start - QPoint(0, 20), Qt::LeftButton);
        QVERIFY(list->dragging());
        auto *image = list->findChild<QWidget *>(QStringLiteral("rowDragImage"));
        QVERIFY(image);
        QVERIFY(image->isVisible());
        QCOMPARE(image->height(), 2 * list->visualRect(pane().model()->index(58, 0)).height());
        // Held where the pointer took it.
        const QPoint hotSpot(start.x(), start.y() - list->visualRect(pane().model()->index(58, 0)).top());
        const QPoint above(start.x(), -10);
        sendMouse(viewport, QEvent::MouseMove, above, Qt::LeftButton);
        QCOMPARE(image->pos(), viewport->mapToGlobal(above) - hotSpot);
        QTRY_VERIFY(bar->value() <= bottom - 3);
        const int target = list->highlightedRow();
        QVERIFY(target >= 0 && target < 58);
        sendMouse(viewport, QEvent::MouseButtonRelease, above, Qt::NoButton);
        QVERIFY(!list->dragging());
        QVERIFY(!list->findChild<QWidget *>(QStringLiteral("rowDragImage")));
        // The block lands right after the row highlighted last.
        const QByteArrayList order = names(pane());
        QCOMPARE(order.indexOf("r58"), target + 1);
        QCOMPARE(order.indexOf("r59"), target + 2);
    }

    // Two other threads add while the window thread reorders and deletes: every row stays whole.
    void otherThreads()
    {
        std::atomic<int> finished{0};
        auto adder = [&](char tag) {
            for (int i = 0; i < 300; ++i) {
                QueueItem item = download(QByteArray(1, tag) + QByteArray::number(i), QByteArray::number(i));
                item.destination = "/dest/" + QByteArray::number(i);
                (void)pane().queue()->AddQueueItem(item, i % 2 == 0);
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
        QCOMPARE(pane().queue()->queueCount(), 600);
        QTRY_COMPARE(pane().model()->size(), 600);
        QCOMPARE(pane().model()->items(), pane().queue()->items());
        for (const QueueItem &item : pane().queue()->items()) {
            const QByteArray number = item.name.mid(1);
            QCOMPARE(item.sizeText, number);
            QCOMPARE(item.destination, "/dest/" + number);
        }
    }




    // The row in transfer shows a bar with its bytes, rate and time left, fed from another
    // thread as the transfer loops feed it; the other rows stay plain, and the bar goes when the
    // transfer ends.
    void runningRowShowsBar_data()
    {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("text"); // a pattern
        QTest::newRow("half way") << qint64(0) << qint64(500000) << qint64(1000000) << 50
                                  << R"(^500,000 bytes  \d+\.\d\dKB/sec  0:\d+:\d+ left$)";
        QTest::newRow("resumed at a third") << qint64(1000000) << qint64(2000000) << qint64(3000000) << 67
                                            << R"(^2,000,000 bytes  \d+\.\d\dKB/sec  0:\d+:\d+ left$)";
        QTest::newRow("size unknown: no time left") << qint64(0) << qint64(4096) << qint64(0) << 100
                                                    << R"(^4,096 bytes  \d+\.\d\dKB/sec$)";
        QTest::newRow("nothing moved yet: no rate") << qint64(0) << qint64(0) << qint64(1000) << 0
                                                    << R"(^0 bytes$)";
    }
    void runningRowShowsBar()
    {
        QFETCH(qint64, first);
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(int, percent);
        QFETCH(QString, text);
        fill({"/pub/a", "/pub/b", "/pub/c"});
        TransferQueue *queue = pane().queue();
        const QueueItem running = pane().model()->item(1);
        std::thread([&] { queue->reportProgress(running, first, total, 0); }).join();
        QTest::qWait(300);
        std::thread([&] { queue->reportProgress(running, done, total, 0); }).join();

        const QModelIndex status = pane().model()->index(1, QueueModel::StatusColumn);
        QTRY_COMPARE(status.data(QueueModel::PercentRole).toInt(), percent);
        QTRY_VERIFY2(QRegularExpression(text).match(status.data().toString()).hasMatch(),
                     qPrintable(status.data().toString()));
        for (int row : {0, 2}) {
            QVERIFY(!pane().model()->index(row, QueueModel::StatusColumn).data(QueueModel::PercentRole).isValid());
            QCOMPARE(pane().model()->index(row, QueueModel::StatusColumn).data().toString(), QString());
        }

        // The list draws that cell with the queue's delegate, as a bar carrying the text.
        auto *delegate = qobject_cast<QueueProgressDelegate *>(pane().list()->itemDelegateForColumn(QueueModel::StatusColumn));
        QVERIFY(delegate);
        const QRect cell = pane().list()->visualRect(status);
        QVERIFY(cell.width() > 0);
        const std::optional<QStyleOptionProgressBar> bar = QueueProgressDelegate::barFor(status, cell);
        QVERIFY(bar);
        QCOMPARE(bar->progress, percent);
        QCOMPARE(bar->text, status.data().toString());
        QVERIFY(!QueueProgressDelegate::barFor(pane().model()->index(0, QueueModel::StatusColumn), cell));
        const QImage withBar = pane().list()->viewport()->grab(cell).toImage();

        std::thread([&] { queue->endProgress(running); }).join();
        QTRY_VERIFY(!status.data(QueueModel::PercentRole).isValid());
        QCOMPARE(status.data().toString(), QString());
        QVERIFY(withBar != pane().list()->viewport()->grab(cell).toImage());
    }

    // A transfer reports after every block; the window receives a few of them, the last one
    // always, and the end of the item.
    void progressIsCoalesced()
    {
        fill({"/pub/big"});
        TransferQueue *queue = pane().queue();
        const QueueItem item = pane().model()->item(0);
        QSignalSpy changed(queue, &TransferQueue::progressChanged);
        QSignalSpy ended(queue, &TransferQueue::progressEnded);
        constexpr qint64 total = 100000;
        std::thread([&] {
            for (qint64 done = 1; done <= total; ++done)
                queue->reportProgress(item, done, total, 0);
            queue->endProgress(item);
        }).join();
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(1).toLongLong(), total);
        QVERIFY2(changed.count() <= 5, qPrintable(QString::number(changed.count())));
        QVERIFY(!queue->progressOf(item));
    }

    // What the notice at the end of a run says: what went, and what stayed queued by name.
    void runSummary_data()
    {
        QTest::addColumn<int>("transferred");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<int>("left");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::newRow("all went") << 3 << qint64(1234567) << 0 << "Transfer finished"
                                  << "3 files transferred (1,234,567 bytes).";
        QTest::newRow("two stayed") << 1 << qint64(10) << 2 << "Transfer finished, not everything was transferred"
                                    << "1 files transferred (10 bytes).\n"
                                       "2 files not transferred, still in the queue: /f0, /f1";
        QTest::newRow("many stayed") << 0 << qint64(0) << 7 << "Transfer finished, not everything was transferred"
                                     << "0 files transferred (0 bytes).\n"
                                        "7 files not transferred, still in the queue: /f0, /f1, /f2, /f3, /f4, and 2 more";
    }
    void runSummary()
    {
        QFETCH(int, transferred);
        QFETCH(qint64, bytes);
        QFETCH(int, left);
        QFETCH(QString, title);
        QFETCH(QString, body);
        QueueRun::Summary summary;
        summary.transferred = transferred;
        summary.transferredBytes = bytes;
        for (int i = 0; i < left; ++i)
            summary.left.push_back("/f" + QByteArray::number(i));
        QCOMPARE(summary.title(), title);
        QCOMPARE(summary.body(), body);
    }

    // A run counts the files whose transfer ended and what the queue still holds; the one that
    // failed stays queued and is told as such.
    void runTotals()
    {
        fill({"/pub/a", "/pub/b"});
        TransferQueue *queue = pane().queue();
        const QueueItem a = pane().model()->item(0);
        const QueueItem b = pane().model()->item(1);
        QueueRun run(queue, pane().model());
        run.begin();
        QueueRun::Totals totals = run.totals();
        QCOMPARE(std::tuple(totals.filesDone, totals.filesTotal, totals.bytesDone, totals.bytesTotal),
                 std::tuple(0, 2, qint64(0), qint64(2)));
        std::thread([&] {
            queue->reportProgress(a, 1, 1, 0);
            queue->endProgress(a);
            (void)queue->RemoveQueueItem(a);
            queue->endProgress(b);
        }).join();
        const QueueRun::Summary summary = run.end();
        QCOMPARE(summary.transferred, 1);
        QCOMPARE(summary.transferredBytes, qint64(1));
        QCOMPARE(summary.left, std::vector<QByteArray>{"/pub/b"});
        QVERIFY(!run.running());
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
