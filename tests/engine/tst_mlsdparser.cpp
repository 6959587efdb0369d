#include "engine/listingparser.h"
#include "engine/mlsdparser.h"
#include "platform/datetimetext.h"

#include <QTest>

#include <QScopeGuard>

#include <ctime>

namespace
{

datetimetext::Key at(int year, int month, int day, int hour, int minute)
{
    return datetimetext::makeKey(QDate(year, month, day), hour, minute);
}

} // namespace

class TestMlsdParser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The facts' times are UTC; shown in a zone without offset they read as written.
        qputenv("TZ", "UTC");
        tzset();
    }

    void lines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("row");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<qint64>("date");
        QTest::addColumn<int>("unnamed");
        QTest::addColumn<int>("unreadable");

        const qint64 none = datetimetext::invalidKey;
        const qint64 noon = at(2024, 1, 31, 12, 0);
        QTest::newRow("pyftpdlib file, mode in Python's octal")
            << QByteArray(
                   "modify=20240131120000;perm=radfwMT;size=1234567;type=file;unix.mode=0o644; report.pdf")
            << true << QByteArray("report.pdf") << false << "1,234,567"
            << "-rw-r--r--" << noon << 0 << 0;
        QTest::newRow("ProFTPD folder")
            << QByteArray(
                   "modify=20240131120000;perm=flcdmpe;type=dir;unique=FD00U2;UNIX.group=0;UNIX.mode=0755;"
                   "UNIX.owner=0; src")
            << true << QByteArray("src") << true << ""
            << "drwxr-xr-x" << noon << 0 << 0;
        QTest::newRow("ProFTPD link") << QByteArray("modify=20240131120000;perm=adfr;size=10;type=OS.unix="
                                                    "slink:/etc/hosts;UNIX.mode=0777; hosts")
                                      << true << QByteArray("hosts") << true << ""
                                      << "lrwxrwxrwx" << noon << 0 << 0;
        QTest::newRow("IIS folder with a blank in its name, no mode")
            << QByteArray("type=dir;modify=20240131120000; Program Files") << true
            << QByteArray("Program Files") << true << ""
            << "d---------" << noon << 0 << 0;
        QTest::newRow("IIS time with milliseconds")
            << QByteArray("size=100;modify=20240131120000.123;type=file; x.bin") << true
            << QByteArray("x.bin") << false << "100"
            << "----------" << noon << 0 << 0;
        QTest::newRow("type and fact names in any case")
            << QByteArray("Type=DIR;Modify=20240131120000; Up") << true << QByteArray("Up") << true << ""
            << "d---------" << noon << 0 << 0;
        QTest::newRow("leading blanks stay in the name")
            << QByteArray("type=file;size=1;   spaced") << true << QByteArray("  spaced") << false << "1"
            << "----------" << none << 0 << 0;
        QTest::newRow("semicolons and equals signs in the name")
            << QByteArray("type=file;size=1; a;b=c; d") << true << QByteArray("a;b=c; d") << false << "1"
            << "----------" << none << 0 << 0;
        QTest::newRow("name that is no UTF-8")
            << QByteArray("type=file;size=2; caf\xe9") << true << QByteArray("caf\xe9") << false << "2"
            << "----------" << none << 0 << 0;
        QTest::newRow("current folder")
            << QByteArray("type=cdir;modify=20240131120000; /pub") << false << QByteArray() << false << ""
            << "" << none << 0 << 0;
        QTest::newRow("device") << QByteArray("type=OS.unix=chr-13/29; tty") << false << QByteArray() << false
                                << ""
                                << "" << none << 0 << 0;
        // What a server can get wrong: the row is left out or its fact left empty, never shown wrong.
        QTest::newRow("facts without a name")
            << QByteArray("type=file;size=1;") << false << QByteArray() << false << ""
            << "" << none << 1 << 0;
        QTest::newRow("month 13") << QByteArray("type=file;size=1;modify=20241340250000; bad") << true
                                  << QByteArray("bad") << false << "1"
                                  << "----------" << none << 0 << 1;
        QTest::newRow("30 February") << QByteArray("type=file;size=1;modify=20240230120000; bad") << true
                                     << QByteArray("bad") << false << "1"
                                     << "----------" << none << 0 << 1;
        QTest::newRow("size of 30 digits")
            << QByteArray("type=file;size=123456789012345678901234567890;modify=20240131120000; huge") << true
            << QByteArray("huge") << false << ""
            << "----------" << noon << 0 << 1;
        QTest::newRow("size with letters")
            << QByteArray("type=file;size=12ab; odd") << true << QByteArray("odd") << false << ""
            << "----------" << none << 0 << 1;
        QTest::newRow("mode that is no octal number")
            << QByteArray("type=file;size=1;unix.mode=0999; m") << true << QByteArray("m") << false << "1"
            << "----------" << none << 0 << 0;
    }
    void lines()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, row);
        QFETCH(QByteArray, name);
        QFETCH(bool, folder);
        QFETCH(QString, size);
        QFETCH(QString, attribute);
        QFETCH(qint64, date);
        QFETCH(int, unnamed);
        QFETCH(int, unreadable);

        ListingState state;
        state.machineListing = true;
        const std::optional<FileEntry> entry = ParseListingLine(line, state);
        QCOMPARE(entry.has_value(), row);
        QCOMPARE(state.unnamedLines, unnamed);
        QCOMPARE(state.unreadableFacts, unreadable);
        if (!entry)
            return;
        QCOMPARE(entry->nameBytes(), name);
        QCOMPARE(entry->isFolder(), folder);
        QCOMPARE(entry->text(SizeColumn), size);
        QCOMPARE(entry->text(AttributeColumn), attribute);
        QCOMPARE(entry->keys[DateTimeColumn], date);
        QCOMPARE(entry->text(DateTimeColumn), datetimetext::format(date));
    }

    // Every ten minutes over the days a zone changes its offset, the row's time equals what the C
    // library says for that second: the hour cache must never carry an offset across a change.
    void localTimesAcrossOffsetChanges_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QByteArray>("firstDay"); // UTC, YYYYMMDD; two days from here are checked
        QTest::newRow("Berlin, summer time begins") << QByteArray("Europe/Berlin") << QByteArray("20240330");
        QTest::newRow("Berlin, summer time ends") << QByteArray("Europe/Berlin") << QByteArray("20241026");
        QTest::newRow("half an hour's change") << QByteArray("Australia/Lord_Howe") << QByteArray("20240406");
        QTest::newRow("half-hour zone") << QByteArray("America/St_Johns") << QByteArray("20241102");
        QTest::newRow("quarter-hour zone") << QByteArray("Asia/Kathmandu") << QByteArray("19851231");
        QTest::newRow("rule as text") << QByteArray("XST-1XDT,M3.5.0/2,M10.5.0/3") << QByteArray("20250329");
    }
    void localTimesAcrossOffsetChanges()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, firstDay);
        const QByteArray previous = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        const auto restore = qScopeGuard([&] {
            qputenv("TZ", previous);
            tzset();
        });
        const std::int64_t start = *ParseFactTime(firstDay + "000000");
        for (std::int64_t second = start; second < start + 2 * 86400; second += 600) {
            const std::time_t when = std::time_t(second);
            std::tm local{};
            QVERIFY(localtime_r(&when, &local));
            const qint64 expected = at(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                       local.tm_min);
            std::tm utc{};
            gmtime_r(&when, &utc);
            char fact[15];
            std::strftime(fact, sizeof fact, "%Y%m%d%H%M%S", &utc);
            ListingState state;
            const std::optional<FileEntry> entry =
                ParseMlsdLine(QByteArray("type=file;modify=") + fact + "; f", state);
            QVERIFY(entry);
            QVERIFY2(entry->keys[DateTimeColumn] == expected, fact);
        }
    }
};

QTEST_GUILESS_MAIN(TestMlsdParser)
#include "tst_mlsdparser.moc"
