#include "engine/ftpconnection.h"
#include "engine/transferloops.h"
#include "engine/transfertexts.h"
#include "platform/strings.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{
struct ReadoutHost : EngineHost {
    QStringList texts;
    void progressText(const QString &text) override { texts << text; }
    void rateText(const QString &text) override { texts << text; }
};
} // namespace

class TestTransferTexts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }

    // Read-outs are posted to the window thread: each reaches the host of its own connection, and
    // one still queued when its connection is gone reaches nobody.
    void readoutsBelongToTheirConnection()
    {
        ReadoutHost firstHost;
        ReadoutHost secondHost;
        FtpConnection first;
        FtpConnection second;
        first.host = &firstHost;
        second.host = &secondHost;
        first.transferTotalSize = second.transferTotalSize = 100;
        ShowTransferProgress(first, 10);
        ShowTransferProgress(second, 20);
        ShowTransferRate(second, QStringLiteral("rate"));
        QTRY_COMPARE(firstHost.texts, QStringList{ProgressText(10, 100)});
        QTRY_COMPARE(secondHost.texts, (QStringList{ProgressText(20, 100), QStringLiteral("rate")}));

        ReadoutHost goneHost;
        auto gone = std::make_unique<FtpConnection>();
        gone->host = &goneHost;
        ShowTransferProgress(*gone, 30);
        ShowTransferRate(*gone, QStringLiteral("rate"));
        gone.reset();
        QTest::qWait(150);
        QVERIFY(goneHost.texts.isEmpty());
    }

    void progress_data()
    {
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing yet") << qint64(0) << qint64(3000) << "0 bytes  0%";
        QTest::newRow("resumed upload from 1000 of 3000") << qint64(1000) << qint64(3000) << "1,000 bytes 33%";
        QTest::newRow("rounds half up") << qint64(1) << qint64(200) << "1 bytes  1%";
        QTest::newRow("rounds down below half") << qint64(1) << qint64(201) << "1 bytes  0%";
        QTest::newRow("just short of whole") << qint64(999) << qint64(1000) << "999 bytes 100%";
        QTest::newRow("unknown size") << qint64(4096) << qint64(0) << "4,096 bytes 100%";
        QTest::newRow("empty file") << qint64(0) << qint64(0) << "0 bytes 100%";
        QTest::newRow("more than listed") << qint64(5000) << qint64(3000) << "5,000 bytes 100%";
        QTest::newRow("past 4 GiB") << qint64(5000000000) << qint64(10000000000) << "5,000,000,000 bytes 50%";
        QTest::newRow("huge, no overflow")
            << qint64(4000000000000000000) << qint64(8000000000000000000) << "4,000,000,000,000,000,000 bytes 50%";
    }
    void progress()
    {
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(QString, text);
        QCOMPARE(ProgressText(done, total), text);
    }

    void rate_data()
    {
        QTest::addColumn<qint64>("sent");
        QTest::addColumn<qint64>("remaining");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<bool>("kilobytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("KB, hours left") << qint64(1024 * 100) << qint64(1024 * 100 + 1024LL * 100 * 3661)
                                        << qint64(1000) << true << "100.00KB/sec  1:1:1 left";
        QTest::newRow("KB, fraction")
            << qint64(3 * 1024) << qint64(3 * 1024) << qint64(2000) << true << "1.50KB/sec  0:0:0 left";
        QTest::newRow("bps") << qint64(500) << qint64(1500) << qint64(2000) << false << "2000 bps  0:0:4 left";
        QTest::newRow("nothing sent yet")
            << qint64(0) << qint64(1000) << qint64(3000) << false << "0 bps  0:0:0 left";
        QTest::newRow("nothing sent, KB")
            << qint64(0) << qint64(100000) << qint64(3000) << true << "0.00KB/sec  0:0:0 left";
        QTest::newRow("past 4 GiB") << qint64(5368709120) << qint64(10737418240) << qint64(10000) << true
                                    << "524288.00KB/sec  0:0:10 left";
        // Timed in whole seconds these were twice and four times too slow.
        QTest::newRow("200 MB in 465 ms") << qint64(209715200) << qint64(419430400) << qint64(465) << true
                                          << "440430.11KB/sec  0:0:0 left";
        QTest::newRow("1.5 s is not 1 s") << qint64(1536 * 1024) << qint64(3072 * 1024) << qint64(1500) << true
                                          << "1024.00KB/sec  0:0:1 left";
        QTest::newRow("bps in 250 ms") << qint64(500) << qint64(4500) << qint64(250) << false
                                       << "16000 bps  0:0:2 left";
        QTest::newRow("no time passed") << qint64(100) << qint64(100) << qint64(0) << false
                                        << "800000 bps  0:0:0 left";
    }
    void rate()
    {
        QFETCH(qint64, sent);
        QFETCH(qint64, remaining);
        QFETCH(qint64, elapsedMs);
        QFETCH(bool, kilobytes);
        QFETCH(QString, text);
        QCOMPARE(RateText(sent, remaining, elapsedMs, kilobytes), text);
    }

    void statistics_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<qint64>("sent");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty download")
            << false << qint64(0) << qint64(0) << "0 bytes downloaded, 1 seconds, (0 bps)\n";
        QTest::newRow("small upload in a second")
            << true << qint64(500) << qint64(1000) << "500 bytes uploaded, 1 seconds, (4000 bps)\n";
        QTest::newRow("small upload, the rate of its 250 ms")
            << true << qint64(500) << qint64(250) << "500 bytes uploaded, 1 seconds, (16000 bps)\n";
        QTest::newRow("exactly 1024 is small")
            << false << qint64(1024) << qint64(2000) << "1024 bytes downloaded, 2 seconds, (4096 bps)\n";
        QTest::newRow("a started second counts")
            << false << qint64(1000) << qint64(1001) << "1000 bytes downloaded, 2 seconds, (7992 bps)\n";
        QTest::newRow("upload in KB")
            << true << qint64(2048) << qint64(2000) << "2048 bytes uploaded, 2.00 seconds, (1.00KB/s)\n";
        QTest::newRow("200 MB download in 465 ms")
            << false << qint64(209715200) << qint64(465)
            << "209715200 bytes downloaded, 0.47 seconds, (440430.11KB/s)\n";
        QTest::newRow("upload in 1.25 s")
            << true << qint64(1280 * 1024) << qint64(1250) << "1310720 bytes uploaded, 1.25 seconds, (1024.00KB/s)\n";
        QTest::newRow("download past 4 GiB")
            << false << qint64(5368709120) << qint64(4000)
            << "5368709120 bytes downloaded, 4.00 seconds, (1310720.00KB/s)\n";
    }
    void statistics()
    {
        QFETCH(bool, upload);
        QFETCH(qint64, sent);
        QFETCH(qint64, elapsedMs);
        QFETCH(QString, text);
        QCOMPARE(StatisticsLine(upload, sent, elapsedMs), text);
    }

    // A real receive through the loop: the clock it keeps, and which downloads show progress.
    void receiveLoop_data()
    {
        QTest::addColumn<bool>("queueRuns");
        QTest::addColumn<bool>("listing");
        QTest::addColumn<bool>("shown");
        QTest::newRow("a file of the queue") << true << false << true;
        QTest::newRow("a listing during the queue's run") << true << true << false;
        QTest::newRow("a listing on its own") << false << true << false;
    }
    void receiveLoop()
    {
        QFETCH(bool, queueRuns);
        QFETCH(bool, listing);
        QFETCH(bool, shown);
        ReadoutHost host;
        FtpConnection connection;
        connection.host = &host;
        connection.connected = true;
        connection.options.zeroCopy = false;
        connection.transferRunning = queueRuns;
        connection.listingTransfer = listing;
        constexpr qint64 size = 4 << 20;
        connection.transferTotalSize = size;
        qint64 watched = -1;
        connection.progressWatcher = [&watched](qint64 done, qint64) { watched = done; };
        int ends[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        std::thread sender([end = ends[1]] {
            const QByteArray block(64 * 1024, 'x');
            for (qint64 sent = 0; sent < size; sent += block.size())
                (void)::write(end, block.constData(), size_t(block.size()));
            ::close(end);
        });
        QTemporaryDir folder;
        const bool received = ReceiveToFile(connection, ends[0], folder.filePath(QStringLiteral("file")), true);
        sender.join();
        ::close(ends[0]);
        QVERIFY(received);
        QCOMPARE(connection.transferDone.load(), size);
        // Four megabytes over a local socket take milliseconds, not the whole second a clock of
        // seconds makes of them.
        QVERIFY2(connection.transferElapsed < 0.9, qPrintable(QString::number(connection.transferElapsed)));
        QCOMPARE(watched, shown ? size : qint64(-1));
        if (shown)
            QTRY_VERIFY(host.texts.contains(ProgressText(size, size)));
        else
            QTest::qWait(120);
        QCOMPARE(host.texts.contains(ProgressText(size, size)), shown);
    }
};

QTEST_GUILESS_MAIN(TestTransferTexts)
#include "tst_transfertexts.moc"
