#include "shell/versionfile.h"

#include <QTest>

#include <climits>

class TestVersionFile : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<QDate>("release");
        QTest::addColumn<QString>("download");
        QTest::newRow("all three") << QByteArray(
                                          "VERSION: 000603\nRELEASE: 2000-11-01\nDOWNURL: https://x.org/a\n")
                                   << 603 << "000603" << QDate(2000, 11, 1) << "https://x.org/a";
        QTest::newRow("CRLF line ends") << QByteArray("VERSION: 000700\r\nRELEASE: 1999-01-02\r\n") << 700
                                        << "000700" << QDate(1999, 1, 2) << "";
        QTest::newRow("slashes in the date")
            << QByteArray("RELEASE: 2000/11/01") << 0 << "" << QDate(2000, 11, 1) << "";
        QTest::newRow("last line wins")
            << QByteArray("VERSION: 000601\nVERSION: 000605\n") << 605 << "000605" << QDate() << "";
        QTest::newRow("VERSION before RELEASE on one line")
            << QByteArray("RELEASE VERSION: 000604\n") << 604 << "000604" << QDate() << "";
        QTest::newRow("only the first colon counts")
            << QByteArray("DOWNURL: http://h:8080/f\n") << 0 << "" << QDate() << "http://h:8080/f";
        QTest::newRow("number ends at a letter")
            << QByteArray("VERSION: 0007beta") << 7 << "0007beta" << QDate() << "";
        QTest::newRow("no colon, no value") << QByteArray("VERSION 000603\n") << 0 << "" << QDate() << "";
        QTest::newRow("colon at the end") << QByteArray("VERSION:") << 0 << "" << QDate() << "";
        QTest::newRow("impossible date") << QByteArray("RELEASE: 2000-13-45") << 0 << "" << QDate() << "";
        QTest::newRow("short date") << QByteArray("RELEASE: 2000-1-1") << 0 << "" << QDate() << "";
        QTest::newRow("digits overflow") << QByteArray("VERSION: 99999999999999999999") << INT_MAX
                                         << "99999999999999999999" << QDate() << "";
        QTest::newRow("keyword past the line limit") << QByteArray(1100, 'x') + "VERSION: 000603\n"
                                                     << 0 << "" << QDate() << "";
        QTest::newRow("shown value cut at 255") << "VERSION: " + QByteArray(600, '7') << INT_MAX
                                                << QString(255, QLatin1Char('7')) << QDate() << "";
        QTest::newRow("other lines ignored")
            << QByteArray("<html>\nversion: 1\n") << 0 << "" << QDate() << "";
    }
    void parse()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, version);
        QFETCH(QString, versionText);
        QFETCH(QDate, release);
        QFETCH(QString, download);
        const VersionFile file = parseVersionFile(body);
        QCOMPARE(file.version, version);
        QCOMPARE(file.versionText, versionText);
        QCOMPARE(file.release, release);
        QCOMPARE(file.downloadAddress, download);
    }
};

QTEST_GUILESS_MAIN(TestVersionFile)
#include "tst_versionfile.moc"
