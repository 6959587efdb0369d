#include "engine/listingparser.h"
#include "engine/mlsdparser.h"
#include "platform/datetimetext.h"

#include <QTest>

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
            << QByteArray("modify=20240131120000;perm=radfwMT;size=1234567;type=file;unix.mode=0o644; report.pdf")
            << true << QByteArray("report.pdf") << false << "1,234,567" << "-rw-r--r--" << noon << 0 << 0;
        QTest::newRow("ProFTPD folder")
            << QByteArray("modify=20240131120000;perm=flcdmpe;type=dir;unique=FD00U2;UNIX.group=0;UNIX.mode=0755;"
                          "UNIX.owner=0; src")
            << true << QByteArray("src") << true << "" << "drwxr-xr-x" << noon << 0 << 0;
        QTest::newRow("ProFTPD link")
            << QByteArray("modify=20240131120000;perm=adfr;size=10;type=OS.unix=slink:/etc/hosts;UNIX.mode=0777; hosts")
            << true << QByteArray("hosts") << true << "" << "lrwxrwxrwx" << noon << 0 << 0;
        QTest::newRow("Pure-FTPd file")
            << QByteArray("type=file;size=5;modify=20240131120000;UNIX.mode=0640;UNIX.uid=1000;unique=803g2c2; a.txt")
            << true << QByteArray("a.txt") << false << "5" << "-rw-r-----" << noon << 0 << 0;
        QTest::newRow("IIS folder with a blank in its name, no mode")
            << QByteArray("type=dir;modify=20240131120000; Program Files") << true << QByteArray("Program Files")
            << true << "" << "d---------" << noon << 0 << 0;
        QTest::newRow("IIS time with milliseconds")
            << QByteArray("size=100;modify=20240131120000.123;type=file; x.bin") << true << QByteArray("x.bin")
            << false << "100" << "----------" << noon << 0 << 0;
        QTest::newRow("perm alone gives the user's own rights")
            << QByteArray("type=file;size=0;perm=rw; p") << true << QByteArray("p") << false << "0" << "-rw-------"
            << none << 0 << 0;
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
        QTest::newRow("no facts at all") << QByteArray(" bare") << true << QByteArray("bare") << false << ""
                                         << "----------" << none << 0 << 0;
        QTest::newRow("current folder") << QByteArray("type=cdir;modify=20240131120000; /pub") << false
                                        << QByteArray() << false << "" << "" << none << 0 << 0;
        QTest::newRow("parent folder") << QByteArray("type=pdir;modify=20240131120000; ..") << false << QByteArray()
                                       << false << "" << "" << none << 0 << 0;
        QTest::newRow("dot listed as a folder") << QByteArray("type=dir; .") << false << QByteArray() << false
                                                << "" << "" << none << 0 << 0;
        QTest::newRow("device") << QByteArray("type=OS.unix=chr-13/29; tty") << false << QByteArray() << false
                                << "" << "" << none << 0 << 0;
        // What a server can get wrong: the row is left out or its fact left empty, never shown wrong.
        QTest::newRow("facts without a name") << QByteArray("type=file;size=1;") << false << QByteArray() << false
                                              << "" << "" << none << 1 << 0;
        QTest::newRow("facts and a blank without a name") << QByteArray("type=file;size=1; ") << false
                                                          << QByteArray() << false << "" << "" << none << 1 << 0;
        QTest::newRow("month 13") << QByteArray("type=file;size=1;modify=20241340250000; bad") << true
                                  << QByteArray("bad") << false << "1" << "----------" << none << 0 << 1;
        QTest::newRow("hour 24") << QByteArray("type=file;size=1;modify=20240131240000; bad") << true
                                 << QByteArray("bad") << false << "1" << "----------" << none << 0 << 1;
        QTest::newRow("30 February") << QByteArray("type=file;size=1;modify=20240230120000; bad") << true
                                     << QByteArray("bad") << false << "1" << "----------" << none << 0 << 1;
        QTest::newRow("short time") << QByteArray("type=file;size=1;modify=2024013112; bad") << true
                                    << QByteArray("bad") << false << "1" << "----------" << none << 0 << 1;
        QTest::newRow("size of 30 digits")
            << QByteArray("type=file;size=123456789012345678901234567890;modify=20240131120000; huge") << true
            << QByteArray("huge") << false << "" << "----------" << noon << 0 << 1;
        QTest::newRow("size with letters") << QByteArray("type=file;size=12ab; odd") << true << QByteArray("odd")
                                           << false << "" << "----------" << none << 0 << 1;
        QTest::newRow("negative size") << QByteArray("type=file;size=-5; odd") << true << QByteArray("odd")
                                       << false << "" << "----------" << none << 0 << 1;
        QTest::newRow("mode that is no octal number") << QByteArray("type=file;size=1;unix.mode=0999; m") << true
                                                      << QByteArray("m") << false << "1" << "----------" << none
                                                      << 0 << 0;
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

    void factTimes_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint64>("seconds"); // -1: not a time
        QTest::newRow("the epoch") << QByteArray("19700101000000") << qint64(0);
        QTest::newRow("a leap day") << QByteArray("20240229235959") << qint64(1709251199);
        QTest::newRow("a leap second") << QByteArray("20161231235960") << qint64(1483228800);
        QTest::newRow("with a fraction") << QByteArray("20240131120000.5") << qint64(1706702400);
        QTest::newRow("29 February of a common year") << QByteArray("20230229120000") << qint64(-1);
        QTest::newRow("year 0") << QByteArray("00000101000000") << qint64(-1);
        QTest::newRow("minute 60") << QByteArray("20240131126000") << qint64(-1);
        QTest::newRow("a dot without digits") << QByteArray("20240131120000.") << qint64(-1);
        QTest::newRow("trailing letters") << QByteArray("20240131120000Z") << qint64(-1);
        QTest::newRow("letters") << QByteArray("2024O131120000") << qint64(-1);
        QTest::newRow("empty") << QByteArray() << qint64(-1);
    }
    void factTimes()
    {
        QFETCH(QByteArray, value);
        QFETCH(qint64, seconds);
        const std::optional<std::int64_t> parsed = ParseFactTime(value);
        QCOMPARE(parsed.value_or(-1), seconds);
    }

    // A listing arrives in pieces with CR LF: every row whole, the counts over the whole listing.
    void wholeListing()
    {
        const QByteArray listing = "type=cdir; /pub\r\n"
                                   "type=file;size=3; one\r\n"
                                   "type=file;size=4;\r\n"
                                   "type=dir; two\r\n"
                                   "type=file;size=5;modify=99999999999999; three\r\n";
        ListingState state;
        state.machineListing = true;
        std::vector<FileEntry> rows;
        ListingLineSplitter splitter(state, rows);
        for (qsizetype i = 0; i < listing.size(); i += 7)
            splitter.feed(QByteArrayView(listing).sliced(i, qMin<qsizetype>(7, listing.size() - i)));
        splitter.finish();
        QCOMPARE(rows.size(), size_t(3));
        QCOMPARE(rows[0].nameBytes(), QByteArray("one"));
        QCOMPARE(rows[1].nameBytes(), QByteArray("two"));
        QCOMPARE(rows[2].nameBytes(), QByteArray("three"));
        QCOMPARE(state.unnamedLines, 1);
        QCOMPARE(state.unreadableFacts, 1);
    }
};

QTEST_GUILESS_MAIN(TestMlsdParser)
#include "tst_mlsdparser.moc"
