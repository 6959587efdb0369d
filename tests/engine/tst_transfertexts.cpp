#include "engine/ftpconnection.h"
#include "engine/transferloops.h"
#include "engine/transfertexts.h"
#include "platform/strings.h"

#include <QTest>

#include <memory>

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
        QTest::newRow("resumed upload from 1000 of 3000") << qint64(1000) << qint64(3000) << "1000 bytes 33%";
        QTest::newRow("rounds half up") << qint64(1) << qint64(200) << "1 bytes  1%";
        QTest::newRow("rounds down below half") << qint64(1) << qint64(201) << "1 bytes  0%";
        QTest::newRow("just short of whole") << qint64(999) << qint64(1000) << "999 bytes 100%";
        QTest::newRow("unknown size") << qint64(4096) << qint64(0) << "4096 bytes 100%";
        QTest::newRow("empty file") << qint64(0) << qint64(0) << "0 bytes 100%";
        QTest::newRow("more than listed") << qint64(5000) << qint64(3000) << "5000 bytes 100%";
        QTest::newRow("past 4 GiB") << qint64(5000000000) << qint64(10000000000) << "5000000000 bytes 50%";
        QTest::newRow("huge, no overflow")
            << qint64(4000000000000000000) << qint64(8000000000000000000) << "4000000000000000000 bytes 50%";
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
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<bool>("kilobytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("KB, hours left") << qint64(1024 * 100) << qint64(1024 * 100 + 1024LL * 100 * 3661)
                                        << qint64(1) << true << "100.00KB/sec  1:1:1 left";
        QTest::newRow("KB, fraction")
            << qint64(3 * 1024) << qint64(3 * 1024) << qint64(2) << true << "1.50KB/sec  0:0:0 left";
        QTest::newRow("bps") << qint64(500) << qint64(1500) << qint64(2) << false << "2000 bps  0:0:4 left";
        QTest::newRow("nothing sent yet")
            << qint64(0) << qint64(1000) << qint64(3) << false << "0 bps  0:0:0 left";
        QTest::newRow("nothing sent, KB")
            << qint64(0) << qint64(100000) << qint64(3) << true << "0.00KB/sec  0:0:0 left";
        QTest::newRow("past 4 GiB") << qint64(5368709120) << qint64(10737418240) << qint64(10) << true
                                    << "524288.00KB/sec  0:0:10 left";
    }
    void rate()
    {
        QFETCH(qint64, sent);
        QFETCH(qint64, remaining);
        QFETCH(qint64, elapsed);
        QFETCH(bool, kilobytes);
        QFETCH(QString, text);
        QCOMPARE(RateText(sent, remaining, elapsed, kilobytes), text);
    }

    void statistics_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<qint64>("sent");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty download")
            << false << qint64(0) << qint64(0) << "0 bytes downloaded, 1 seconds, (0 bps)\n";
        QTest::newRow("small upload")
            << true << qint64(500) << qint64(0) << "500 bytes uploaded, 1 seconds, (4000 bps)\n";
        QTest::newRow("exactly 1024 is small")
            << false << qint64(1024) << qint64(2) << "1024 bytes downloaded, 2 seconds, (4096 bps)\n";
        QTest::newRow("upload in KB")
            << true << qint64(2048) << qint64(2) << "2048 bytes uploaded, 2.00 seconds, (1.00KB/s)\n";
        QTest::newRow("download past 4 GiB")
            << false << qint64(5368709120) << qint64(4)
            << "5368709120 bytes downloaded, 4.00 seconds, (1310720.00KB/s)\n";
    }
    void statistics()
    {
        QFETCH(bool, upload);
        QFETCH(qint64, sent);
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(StatisticsLine(upload, sent, elapsed), text);
    }
};

QTEST_GUILESS_MAIN(TestTransferTexts)
#include "tst_transfertexts.moc"
