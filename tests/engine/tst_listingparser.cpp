#include "engine/listingloader.h"
#include "engine/listingparser.h"
#include "platform/datetimetext.h"
#include "platform/fileicons.h"
#include "platform/namecodec.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const int thisYear = QDate::currentDate().year();

// "2000-01-26 11:05", "2000-01-26" (midnight), "zero" or "invalid".
datetimetext::Key keyOf(const QString &text)
{
    if (text == QLatin1String("zero"))
        return datetimetext::zeroKey;
    if (text == QLatin1String("invalid"))
        return datetimetext::invalidKey;
    const QDateTime dt = QDateTime::fromString(text, text.size() > 10 ? "yyyy-MM-dd HH:mm" : "yyyy-MM-dd");
    Q_ASSERT(dt.isValid());
    return datetimetext::makeKey(dt.date(), dt.time().hour(), dt.time().minute());
}

QString thisYears(const char *monthDayTime)
{
    return QString::number(thisYear) + QLatin1Char('-') + monthDayTime;
}

} // namespace

class TestListingParser : public QObject
{
    Q_OBJECT
private slots:
    void serverLines_data();
    void serverLines();
    void skippedLines_data();
    void skippedLines();
    void microsoftSwitchesToUnixListing();
    void monthAtColumnZeroDoesNotCount();
    void linesAreReadWhole();
    void hostileInputDoesNotCrash_data();
    void hostileInputDoesNotCrash();
    void pathTrimming_data();
    void pathTrimming();
    void displayedDatesReadBack();
    void legacyNamesDecode();
    void controlBytesInNamesShownEscaped_data();
    void controlBytesInNamesShownEscaped();
    void iconTypesOfAHostileListingStayBounded();
};

void TestListingParser::serverLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("attribute");

    const int generic = int(ServerKind::Generic);
    const int microsoft = int(ServerKind::Microsoft);

    QTest::newRow("vsftpd folder") << QByteArray(
                                          "drwxr-xr-x    2 ftp      ftp          4096 Jan 26 11:05 src")
                                   << generic << QByteArray("src") << true << "" << thisYears("01-26 11:05")
                                   << "drwxr-xr-x";
    QTest::newRow("vsftpd file with year and blank in name")
        << QByteArray("-rw-r--r--    1 ftp      ftp       1234567 Oct 03  1999 big file.zip") << generic
        << QByteArray("big file.zip") << false << "1,234,567"
        << "1999-10-03"
        << "-rw-r--r--";
    QTest::newRow("pure-ftpd") << QByteArray(
                                      "-rw-r--r--    1 1000       1000            5 Mar  4 12:00 hello.txt")
                               << generic << QByteArray("hello.txt") << false << "5"
                               << thisYears("03-04 12:00") << "-rw-r--r--";
    QTest::newRow("proftpd leap day")
        << QByteArray("-rw-r--r--   1 ftp      ftp         12345 Feb 29  2020 leap.txt") << generic
        << QByteArray("leap.txt") << false << "12,345"
        << "2020-02-29"
        << "-rw-r--r--";
    QTest::newRow("proftpd link keeps its target")
        << QByteArray("lrwxrwxrwx   1 root     root            7 Jan  5  2021 bin -> usr/bin") << generic
        << QByteArray("bin -> usr/bin") << true << ""
        << "2021-01-05"
        << "lrwxrwxrwx";
    QTest::newRow("pyftpdlib") << QByteArray(
                                      "-rw-r--r--   1 user     group        1024 Dec 07 08:15 notes.txt\r")
                               << generic << QByteArray("notes.txt") << false << "1,024"
                               << thisYears("12-07 08:15") << "-rw-r--r--";
    QTest::newRow("pyftpdlib 5 GiB")
        << QByteArray("-rw-r--r--   1 user     group    5368709120 Jun 30  2023 disk.img") << generic
        << QByteArray("disk.img") << false << "5,368,709,120"
        << "2023-06-30"
        << "-rw-r--r--";
    QTest::newRow("IIS unix style")
        << QByteArray("-rwxrwxrwx   1 owner    group              689 Feb 25  2020 iisstart.htm") << microsoft
        << QByteArray("iisstart.htm") << false << "689"
        << "2020-02-25"
        << "-rwxrwxrwx";
    QTest::newRow("IIS dos folder") << QByteArray("02-25-20  03:34PM       <DIR>          aspnet_client")
                                    << microsoft << QByteArray("aspnet_client") << true << ""
                                    << "2020-02-25 15:34"
                                    << "d---------";
    QTest::newRow("IIS dos file") << QByteArray("10-26-00  11:05AM              1234567 docs v2.txt")
                                  << microsoft << QByteArray("docs v2.txt") << false << "1,234,567"
                                  << "2000-10-26 11:05"
                                  << "----------";
    QTest::newRow("IIS dos noon and 1999") << QByteArray("12-31-99  12:00PM                    0 y2k.txt")
                                           << microsoft << QByteArray("y2k.txt") << false << "0"
                                           << "1999-12-31 12:00"
                                           << "----------";
    QTest::newRow("IIS dos midnight") << QByteArray("01-02-03  12:00AM                   12 a.txt")
                                      << microsoft << QByteArray("a.txt") << false << "12"
                                      << "2003-01-02"
                                      << "----------";
    // A DOS line from a server not known as Microsoft: the name column holds, the size and date
    // columns miss, the attribute is the first ten characters.
    QTest::newRow("dos line on generic server") << QByteArray("10-26-00  11:05AM       <DIR>          docs")
                                                << generic << QByteArray("docs") << true << ""
                                                << "invalid"
                                                << "10-26-00  ";
    QTest::newRow("Serv-U trailing slash")
        << QByteArray("drw-rw-rw-   1 user     group           0 Jan 26  2019 backup/") << generic
        << QByteArray("backup") << true << ""
        << "2019-01-26"
        << "drw-rw-rw-";
    QTest::newRow("Serv-U file") << QByteArray(
                                        "-rw-rw-rw-   1 user     group     1048576 Nov 11 23:59 data.bin")
                                 << generic << QByteArray("data.bin") << false << "1,048,576"
                                 << thisYears("11-11 23:59") << "-rw-rw-rw-";
    QTest::newRow("korean cp949 with time")
        << QByteArray("-rw-r--r--   1 user     group        1234 10\xBF\xF9 26\xC0\xCF 11:05 a.txt")
        << generic << QByteArray("a.txt") << false << "1,234" << thisYears("10-26 11:05") << "-rw-r--r--";
    QTest::newRow("korean cp949 with year")
        << QByteArray("-rw-r--r--   1 user     group     9876543 2000\xB3\xE2 10\xBF\xF9 26\xC0\xCF b.txt")
        << generic << QByteArray("b.txt") << false << "9,876,543"
        << "2000-10-26"
        << "-rw-r--r--";
    QTest::newRow("korean cp949 folder and name")
        << QByteArray("drwxr-xr-x   2 user     group        4096 3\xBF\xF9 7\xC0\xCF 09:30 \xC7\xD1\xB1\xDB")
        << generic << QByteArray("\xC7\xD1\xB1\xDB") << true << "" << thisYears("03-07 09:30")
        << "drwxr-xr-x";
    QTest::newRow("korean utf8 with time")
        << QByteArray("-rw-r--r--   1 user     group        1234 10\xEC\x9B\x94 26\xEC\x9D\xBC 11:05 "
                      "\xED\x95\x9C.txt")
        << generic << QByteArray("\xED\x95\x9C.txt") << false << "1,234" << thisYears("10-26 11:05")
        << "-rw-r--r--";
    QTest::newRow("korean utf8 with year")
        << QByteArray(
               "-rw-r--r--   1 user     group          77 2001\xEB\x85\x84 1\xEC\x9B\x94 2\xEC\x9D\xBC c.txt")
        << generic << QByteArray("c.txt") << false << "77"
        << "2001-01-02"
        << "-rw-r--r--";
    QTest::newRow("name with semicolon")
        << QByteArray("-rw-r--r--   1 u        g               3 Jan 26  2000 a;b;c.txt") << generic
        << QByteArray("a;b;c.txt") << false << "3"
        << "2000-01-26"
        << "-rw-r--r--";
    QTest::newRow("invalid utf8 name")
        << QByteArray("-rw-r--r--   1 u        g               3 Jan 26  2000 caf\xE9\xFF") << generic
        << QByteArray("caf\xE9\xFF") << false << "3"
        << "2000-01-26"
        << "-rw-r--r--";
    QTest::newRow("size beyond 64 bits")
        << QByteArray("-rw-r--r--   1 u g 123456789012345678901234567890 Jan 26  2000 huge") << generic
        << QByteArray("huge") << false << "123,456,789,012,345,678,901,234,567,890"
        << "2000-01-26"
        << "-rw-r--r--";
    QTest::newRow("impossible date") << QByteArray("-rw-r--r--   1 u        g               3 Feb 30  2000 x")
                                     << generic << QByteArray("x") << false << "3"
                                     << "invalid"
                                     << "-rw-r--r--";
    // Without a month the name is the last word, the size the whole line and the date the zero value.
    QTest::newRow("no month") << QByteArray("-rw-r--r-- 1 u g 3 2020-01-01 iso.txt  ") << generic
                              << QByteArray("iso.txt") << false
                              << "-rw,-r-,-r-,- 1, u ,g 3, 20,20-,01-,01 ,iso,.tx,t  "
                              << "zero"
                              << "-rw-r--r--";
}

void TestListingParser::serverLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QFETCH(QByteArray, name);
    QFETCH(bool, folder);
    QFETCH(QString, size);
    QFETCH(QString, date);
    QFETCH(QString, attribute);

    ListingState state{ServerKind(kind)};
    const std::optional<FileEntry> entry = ParseListingLine(line, state);
    QVERIFY(entry);
    QCOMPARE(entry->nameBytes(), name);
    QCOMPARE(entry->text(NameColumn), namecodec::decodeName(name));
    QCOMPARE(entry->isFolder(), folder);
    QCOMPARE(entry->itemData, folder ? 0xF2 : 2);
    QCOMPARE(entry->text(SizeColumn), size);
    QCOMPARE(entry->keys[DateTimeColumn], keyOf(date));
    QCOMPARE(entry->text(DateTimeColumn), datetimetext::format(keyOf(date)));
    QCOMPARE(entry->text(AttributeColumn), attribute);
}

void TestListingParser::skippedLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::newRow("total") << QByteArray("total 48") << int(ServerKind::Generic);
    QTest::newRow("empty") << QByteArray("") << int(ServerKind::Generic);
    QTest::newRow("blanks") << QByteArray("     \t  ") << int(ServerKind::Generic);
    QTest::newRow("cr only") << QByteArray("\r") << int(ServerKind::Generic);
    QTest::newRow("dot") << QByteArray("drwxr-xr-x   2 u        g            4096 Jan 26 11:05 .")
                         << int(ServerKind::Generic);
    QTest::newRow("dotdot slash") << QByteArray("drwxr-xr-x   2 u        g            4096 Jan 26 11:05 ../")
                                  << int(ServerKind::Generic);
    QTest::newRow("dos dot") << QByteArray("02-25-20  03:34PM       <DIR>          .")
                             << int(ServerKind::Microsoft);
    QTest::newRow("dos too short for a name")
        << QByteArray("02-25-20  03:34PM       <DIR>") << int(ServerKind::Microsoft);
    QTest::newRow("month too near the end")
        << QByteArray("-rw-r--r-- 1 u g 3 Jan 2") << int(ServerKind::Generic);
    QTest::newRow("binary") << QByteArray("\x01\x02\xff\xfe\x80 Jan \x00 garbage", 19)
                            << int(ServerKind::Generic);
    QTest::newRow("nul ends the text")
        << QByteArray("\0drwxr-xr-x 2 u g 4096 Jan 26 11:05 src", 40) << int(ServerKind::Generic);
}

void TestListingParser::skippedLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    ListingState state{ServerKind(kind)};
    QVERIFY(!ParseListingLine(line, state));
}

void TestListingParser::microsoftSwitchesToUnixListing()
{
    ListingState state{ServerKind::Microsoft};
    QVERIFY(ParseListingLine("02-25-20  03:34PM       <DIR>          before", state));
    QCOMPARE(state.serverKind, ServerKind::Microsoft);
    const auto unixLine =
        ParseListingLine("-rwxrwxrwx   1 owner    group              689 Feb 25  2020 x.htm", state);
    QVERIFY(unixLine);
    QCOMPARE(state.serverKind, ServerKind::UnixListing);
    // From now on a DOS line takes the non-Microsoft columns.
    const auto dosLine = ParseListingLine("02-25-20  03:34PM                  689 after.htm", state);
    QVERIFY(dosLine);
    QCOMPARE(dosLine->text(NameColumn), QStringLiteral("after.htm"));
    QCOMPARE(dosLine->text(AttributeColumn), QStringLiteral("02-25-20  "));
    QCOMPARE(dosLine->text(SizeColumn), QString());
}

void TestListingParser::monthAtColumnZeroDoesNotCount()
{
    ListingState state;
    // "Jan " first occurs at column 0, so that token does not count anywhere in the line.
    QCOMPARE(FindNameColumn("Jan x Jan 26 11:05 f", state), 0);
    QCOMPARE(FindNameColumn("Jan x Feb 26 11:05 f", state), 6 + 13);
    // The earliest token wins whatever the table order.
    QCOMPARE(FindNameColumn("-rw 1 u g 5 Dec 26 11:05 Jan file", state), 12 + 13);
    QCOMPARE(NameStart("-rw 1 u g 5 Dec 26 11:05 Jan file", 25), QByteArrayView("Jan file"));
    QCOMPARE(NameStart("a\tb", 0), QByteArrayView("b"));
    QCOMPARE(NameStart("x  name \r\n", 0), QByteArrayView("name"));
}

void TestListingParser::linesAreReadWhole()
{
    const QByteArray longName = QByteArray(250, 'n') + ".txt";
    const QByteArray hugeName = QByteArray(100 * 1024, 'h');
    QByteArray listing = "total 3\r\n";
    listing += "-rw-r--r--   1 u        g              10 Jan 26  2000 " + longName + "\r\n";
    listing += "-rw-r--r--   1 u        g              20 Jan 26  2000 " + hugeName + "\n";
    listing += "drwxr-xr-x   2 u        g            4096 Jan 26 11:05 last"; // no final line feed

    QTemporaryDir dir;
    const QString path = dir.filePath("DIRtest");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(listing);
    file.close();

    ListingState state;
    const auto rows = ReadListingFile(path, state);
    QVERIFY(rows);
    QCOMPARE(rows->size(), size_t(3));
    QCOMPARE(rows->at(0).nameBytes(), longName);
    QCOMPARE(rows->at(1).nameBytes(), hugeName);
    QCOMPARE(rows->at(1).text(SizeColumn), QStringLiteral("20"));
    QCOMPARE(rows->at(2).text(NameColumn), QStringLiteral("last"));

    // The same listing fed a byte at a time gives the same rows.
    std::vector<FileEntry> pieces;
    ListingState pieceState;
    ListingLineSplitter splitter(pieceState, pieces);
    for (qsizetype i = 0; i < listing.size(); ++i)
        splitter.feed(QByteArrayView(listing.constData() + i, 1));
    splitter.finish();
    QCOMPARE(pieces.size(), size_t(3));
    QCOMPARE(pieces[1].nameBytes(), hugeName);

    ListingState missingState;
    QVERIFY(!ReadListingFile(dir.filePath("missing"), missingState));
}

void TestListingParser::hostileInputDoesNotCrash_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<bool>("everyCut");
    const char *const samples[] = {
        "-rw-r--r--   1 user     group        1234 10\xBF\xF9 26\xC0\xCF 11:05 a.txt",
        "-rw-r--r--   1 user     group     9876543 2000\xB3\xE2 10\xBF\xF9 26\xC0\xCF b.txt",
        "drwxr-xr-x    2 ftp      ftp          4096 Jan 26 11:05 src",
        "drwxr-xr-x    2 ftp      ftp          4096 Jan 26 11:05 ../",
        "10-26-00  11:05AM       <DIR>          ..",
        "10-26-00  11:05AM              1234567 docs v2.txt",
        "- \xC0\xCF \xBF\xF9 \xB3\xE2 :",
        "-\xC0\xCF :\xBF\xF9 ",
        "d\xEC\x9D\xBC \xEC\x9B\x94 1:",
    };
    for (const char *sample : samples)
        QTest::newRow(sample) << QByteArray(sample) << true;
    QRandomGenerator random(4);
    QByteArray noise(200000, '\0');
    for (char &c : noise)
        c = char(random.bounded(256));
    QTest::newRow("random bytes") << noise << false;
    QByteArray lines;
    for (int i = 0; i < 2000; ++i)
        lines += QByteArray("-d").at(i % 2) + noise.mid(i * 50, 40 + i % 30) + (i % 3 ? "\r\n" : "\n");
    QTest::newRow("random lines") << lines << false;
}

void TestListingParser::hostileInputDoesNotCrash()
{
    // Lines cut at every length, every pick of the date columns and random bytes give rows or
    // nothing, never a crash; what they give is a plausible row of a line of the input.
    QFETCH(QByteArray, listing);
    QFETCH(bool, everyCut);
    for (ServerKind kind : {ServerKind::Generic, ServerKind::Microsoft}) {
        for (qsizetype cut = everyCut ? 0 : listing.size(); cut <= listing.size(); ++cut) {
            const QByteArrayView input = QByteArrayView(listing).first(cut);
            ListingState state{kind};
            const std::vector<FileEntry> rows = ParseListing(input, state);
            QVERIFY(qsizetype(rows.size()) <= input.count('\n') + 1);
            for (const FileEntry &row : rows) {
                const QByteArray name = row.nameBytes();
                QVERIFY(!name.isEmpty());
                QVERIFY(!name.contains('\n') && !name.contains('\0'));
                QVERIFY(input.contains(name));
                if (row.isFolder())
                    QVERIFY(name != "." && name != "..");
                QVERIFY(row.itemData == 2 || row.itemData == 0xF2);
                for (QChar c : row.text(NameColumn))
                    QVERIFY2(c.category() != QChar::Other_Control, qPrintable(row.text(NameColumn)));
            }
        }
    }
}

void TestListingParser::pathTrimming_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("root") << QByteArray("/") << QByteArray("/");
    QTest::newRow("drive root") << QByteArray("C:/") << QByteArray("C:/");
    QTest::newRow("trailing slash") << QByteArray("/pub/") << QByteArray("/pub");
    QTest::newRow("plain") << QByteArray("/pub/incoming") << QByteArray("/pub/incoming");
    QTest::newRow("one slash only") << QByteArray("/pub//") << QByteArray("/pub/");
}

void TestListingParser::pathTrimming()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, shown);
    QCOMPARE(TrimListingPath(path), shown);
}

void TestListingParser::displayedDatesReadBack()
{
    // The list reads its date texts back to sort them: every kind of value must survive.
    const datetimetext::Key keys[] = {datetimetext::makeKey(QDate(2000, 1, 26), 11, 5),
                                      datetimetext::makeKey(QDate(1999, 10, 3), 0, 0),
                                      datetimetext::makeKey(QDate(2024, 12, 31), 23, 59),
                                      datetimetext::makeKey(QDate(1970, 1, 1), 12, 0), datetimetext::zeroKey};
    for (datetimetext::Key key : keys)
        QCOMPARE(datetimetext::parseDisplayed(datetimetext::format(key)), key);
    QCOMPARE(datetimetext::format(datetimetext::invalidKey), QString());
    QCOMPARE(datetimetext::parseDisplayed(u""), datetimetext::invalidKey);
    QCOMPARE(datetimetext::parseDisplayed(u"not a date"), datetimetext::invalidKey);
}

void TestListingParser::legacyNamesDecode()
{
    QCOMPARE(namecodec::decodeName("\xC7\xD1\xB1\xDB", namecodec::Legacy::Cp949), QStringLiteral("한글"));
    QCOMPARE(namecodec::decodeName("\xED\x95\x9C\xEA\xB8\x80", namecodec::Legacy::Cp949),
             QStringLiteral("한글"));
    // A syllable of the Windows extension of EUC-KR.
    QCOMPARE(namecodec::decodeName("\x81\x41", namecodec::Legacy::Cp949), QStringLiteral("갂"));
    QCOMPARE(namecodec::decodeName("caf\xE9", namecodec::Legacy::Latin1), QStringLiteral("café"));
    QVERIFY(!namecodec::isValidUtf8("\xC7\xD1"));
}

// Names are shown in the site's character set (automatic where it names none), control bytes
// escaped, and the row keeps the server's bytes whatever was shown.
void TestListingParser::controlBytesInNamesShownEscaped_data()
{
    QTest::addColumn<QByteArray>("charset");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    const QByteArray automatic;
    QTest::newRow("escape sequence") << automatic << QByteArray("\x1b[31mred") << "\\x1b[31mred";
    QTest::newRow("carriage return inside") << automatic << QByteArray("a\rb") << "a\\x0db";
    QTest::newRow("tab and delete") << automatic << QByteArray("a\tb\x7f") << "a\\x09b\\x7f";
    QTest::newRow("c1 control in utf-8") << automatic << QByteArray("a\xC2\x85z") << "a\\x85z";
    QTest::newRow("line separator") << automatic << QByteArray("a\xE2\x80\xA8z") << "a\\u2028z";
    QTest::newRow("not utf-8") << automatic << QByteArray("caf\xE9\x07") << "caf\u00e9\\x07";
    QTest::newRow("ordinary") << automatic << QByteArray("plain \xED\x95\x9C.txt") << "plain \uD55C.txt";
    QTest::newRow("Shift_JIS site") << QByteArray("Shift_JIS") << QByteArray("\x93\xfa\x96\x7b.txt")
                                    << QString::fromUtf8("日本.txt");
    QTest::newRow("CP949 site") << QByteArray("CP949") << QByteArray("\xc7\xd1\xb1\xdb\x07")
                                << QString::fromUtf8("한글\\x07");
    QTest::newRow("windows-1252 site, valid UTF-8 bytes")
        << QByteArray("windows-1252") << QByteArray("\xc3\xa9") << QString::fromUtf8("Ã©");
}

void TestListingParser::controlBytesInNamesShownEscaped()
{
    QFETCH(QByteArray, charset);
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    ListingState state;
    state.charset = charset;
    const auto entry =
        ParseListingLine("-rw-r--r--   1 u        g               3 Jan 26  2000 " + name, state);
    QVERIFY(entry);
    QCOMPARE(entry->text(NameColumn), shown);
    QCOMPARE(entry->nameBytes(), name);
}

// Every new extension of a listing was remembered for good: a server could grow the program
// without limit, one listing after the other.
void TestListingParser::iconTypesOfAHostileListingStayBounded()
{
    QByteArray listing;
    for (int i = 0; i < int(fileicons::typeCacheLimit) + 500; ++i)
        listing += "-rw-r--r--   1 ftp ftp 1 Jan 11  2000 f.e" + QByteArray::number(i) + "\n";
    ListingState state(ServerKind::UnixListing);
    const std::vector<FileEntry> rows = ParseListing(listing, state);
    QCOMPARE(rows.size(), size_t(fileicons::typeCacheLimit + 500));
    QVERIFY(fileicons::cachedTypeCount() <= fileicons::typeCacheLimit);
    // Beyond the limit a type is still found.
    QCOMPARE(rows.back().icon, rows.front().icon);
}

QTEST_GUILESS_MAIN(TestListingParser)
#include "tst_listingparser.moc"
