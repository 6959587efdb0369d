#include "controls/sortlistctrl.h"
#include "engine/listingloader.h"
#include "panes/listingcache.h"
#include "panes/listingrows.h"
#include "platform/datetimetext.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{

SortListRow makeRow(const QByteArray &name, bool folder, const QString &size, const QString &date,
                    const QString &attribute)
{
    SortListRow row;
    row.texts = {QString::fromUtf8(name), size, date, attribute};
    if (QString::fromUtf8(name).toUtf8() != name) {
        row.rawName = name;
        row.texts[0] = QString::fromLatin1(name);
    }
    row.itemData = folder ? 0xF2 : 2;
    return row;
}

std::unique_ptr<CSortListCtrl> makeList()
{
    auto list = std::make_unique<CSortListCtrl>();
    list->InsertFileColumns();
    return list;
}

QString date(int year, int month, int day, int hour, int minute)
{
    return datetimetext::format(datetimetext::makeKey(QDate(year, month, day), hour, minute));
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void setServer(LoginFields &login, const QString &user, int port, bool anonymous = false)
{
    login.userName = user;
    login.port = port;
    login.anonymousLogin = anonymous;
}

} // namespace

class TestListingCache : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void fileNames_data();
    void fileNames();
    void serversOnOneHost_data();
    void serversOnOneHost();
    void serverDeletion_data();
    void serverDeletion();
    void roundTrip();
    void semicolonInNameShiftsFields();
    void namesSurviveTheCache_data();
    void namesSurviveTheCache();
    void longerThenShorterListing();
    void prefixDeletionReachesSiblings();
    void skipCacheOnce();
    void hostileCacheFiles_data();
    void hostileCacheFiles();
    void iniWritesInPlace();
    void pyftpdlibListingCached();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    LoginFields login_;
};

void TestListingCache::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    LoginFields &s = login_;
    s.serverHost = QStringLiteral("srv");
    s.port = 21;
    s.userName.clear();
    s.anonymousLogin = false;
}

void TestListingCache::fileNames_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("anonymous");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("file");
    QTest::newRow("unix path") << "srv"
                               << "" << 21 << false << "/pub/incoming"
                               << "anonymous@srv$$pub$incoming.ini";
    QTest::newRow("root") << "srv"
                          << "" << 21 << false << "/"
                          << "anonymous@srv$$.ini";
    QTest::newRow("windows path") << "srv"
                                  << "" << 21 << false << "C:\\data"
                                  << "anonymous@srv$C@$data.ini";
    QTest::newRow("user") << "srv"
                          << "alice" << 21 << false << "/"
                          << "alice@srv$$.ini";
    QTest::newRow("anonymous flag over a user") << "srv"
                                                << "alice" << 21 << true << "/"
                                                << "anonymous@srv$$.ini";
    QTest::newRow("other port") << "srv"
                                << "" << 2121 << false << "/pub"
                                << "anonymous@srv#2121$$pub.ini";
    QTest::newRow("user and port") << "srv"
                                   << "alice" << 990 << false << "/"
                                   << "alice@srv#990$$.ini";
    QTest::newRow("a user that reads as a key") << "x"
                                                << "bob@srv#21" << 21 << false << "/"
                                                << "bob%40srv%2321@x$$.ini";
    QTest::newRow("host with a slash stays inside") << "../../evil"
                                                    << "" << 21 << false << "/"
                                                    << "anonymous@..%2F..%2Fevil$$.ini";
    QTest::newRow("user with a slash and a line end stays inside") << "srv"
                                                                   << "../a\nb" << 21 << false << "/"
                                                                   << "..%2Fa%0Ab@srv$$.ini";
    QTest::newRow("numeric IPv6 host") << "::1"
                                       << "" << 21 << false << "/"
                                       << "anonymous@%3A%3A1$$.ini";
}

void TestListingCache::fileNames()
{
    QFETCH(QString, host);
    QFETCH(QString, user);
    QFETCH(int, port);
    QFETCH(bool, anonymous);
    QFETCH(QString, path);
    QFETCH(QString, file);
    login_.serverHost = host;
    setServer(login_, user, port, anonymous);
    ListingCache cache(nullptr, login_, dir_->path());
    QCOMPARE(cache.CacheFilePath(path), dir_->path() + QLatin1Char('/') + file);
}

// Which file the listing of /pub is read from: the server's own, or the one written under the
// host alone before the port and user told servers apart (port 21 only).
void TestListingCache::serversOnOneHost_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("cached");
    QTest::newRow("own file") << "alice@srv#2121$$pub.ini"
                              << "alice" << 2121 << true;
    QTest::newRow("old name, port 21") << "srv$$pub.ini"
                                       << "" << 21 << true;
    QTest::newRow("old name, port 21, a user") << "srv$$pub.ini"
                                               << "alice" << 21 << true;
    QTest::newRow("old name, other port") << "srv$$pub.ini"
                                          << "" << 2121 << false;
    QTest::newRow("other port's file") << "anonymous@srv#2121$$pub.ini"
                                       << "" << 21 << false;
    QTest::newRow("other user's file") << "bob@srv$$pub.ini"
                                       << "alice" << 21 << false;
    QTest::newRow("old name of a host beginning alike") << "srv2$$pub.ini"
                                                        << "" << 21 << false;
}

void TestListingCache::serversOnOneHost()
{
    QFETCH(QString, written);
    QFETCH(QString, user);
    QFETCH(int, port);
    QFETCH(bool, cached);
    writeFile(dir_->filePath(written), "[CACHELIST]\nCOUNT=1\nITEM0=F;there.txt;1;;\n");
    setServer(login_, user, port);
    auto list = makeList();
    ListingCache cache(list.get(), login_, dir_->path());
    QCOMPARE(cache.ReadCachedListing("/pub"), cached);
    QCOMPARE(list->listModel()->rowCount(), cached ? 1 : 0);
}

// Delete Folder Cache and a site deleted in the Site Manager: the server's files, under both
// names, and nothing of another server.
void TestListingCache::serverDeletion_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("anonymous, port 21") << "" << 21
                                        << QStringList{"alice@srv$$pub.ini", "anonymous@srv#2121$$.ini",
                                                       "anonymous@srv2$$.ini", "srv2$$.ini"};
    QTest::newRow("anonymous, other port")
        << "" << 2121 << QStringList{"alice@srv$$pub.ini", "anonymous@srv$$.ini", "anonymous@srv2$$.ini",
                                     "srv$$.ini",          "srv$$pub$doc.ini",    "srv2$$.ini"};
    QTest::newRow("a user, port 21") << "alice" << 21
                                     << QStringList{"anonymous@srv#2121$$.ini", "anonymous@srv$$.ini",
                                                    "anonymous@srv2$$.ini", "srv2$$.ini"};
}

void TestListingCache::serverDeletion()
{
    QFETCH(QString, user);
    QFETCH(int, port);
    QFETCH(QStringList, left);
    for (const char *name : {"srv$$.ini", "srv$$pub$doc.ini", "srv2$$.ini", "anonymous@srv$$.ini",
                             "anonymous@srv#2121$$.ini", "alice@srv$$pub.ini", "anonymous@srv2$$.ini"})
        writeFile(dir_->filePath(name), "[CACHELIST]\nCOUNT=0\n");
    setServer(login_, user, port);
    ListingCache cache(nullptr, login_, dir_->path());
    QVERIFY(cache.DeleteServerListings());
    QDir folder(dir_->path());
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), left);
    QVERIFY(!cache.DeleteServerListings());

    // A folder's subtree by prefix, as after a move: under both names.
    setServer(login_, QString(), 21);
    for (const char *name : {"srv$$pub$doc$a.ini", "anonymous@srv$$pub$doc.ini", "srv$$pub$x.ini"})
        writeFile(dir_->filePath(name), "");
    QVERIFY(cache.DeleteCachedListings("anonymous@srv$$pub$doc", true));
    QVERIFY(!QFile::exists(dir_->filePath("srv$$pub$doc$a.ini")));
    QVERIFY(!QFile::exists(dir_->filePath("anonymous@srv$$pub$doc.ini")));
    QVERIFY(QFile::exists(dir_->filePath("srv$$pub$x.ini")));
    // One folder changed on the server: its old name's file goes too, or it would show the folder
    // as it was before.
    cache.DeleteCachedListings("/pub/x", false);
    QVERIFY(!QFile::exists(dir_->filePath("srv$$pub$x.ini")));
}

void TestListingCache::roundTrip()
{
    auto list = makeList();
    ListingCache cache(list.get(), login_, dir_->filePath("Cache"));
    list->setRows(
        {makeRow("pub", true, "4,096", date(2020, 1, 1, 0, 0), "drwxr-xr-x"),
         makeRow("big.iso", false, "5,368,709,120", date(2023, 6, 30, 14, 2), "-rw-r--r--"),
         makeRow("\xED\x95\x9C\xEA\xB8\x80.txt", false, "12", date(1999, 10, 3, 0, 0), "-rw-r--r--"),
         makeRow("caf\xE9\xFF", false, "1", date(2001, 2, 3, 4, 5), "-rw-r--r--"),
         makeRow("link -> /target", true, "", date(2021, 1, 5, 0, 0), "lrwxrwxrwx")});
    const std::vector<SortListRow> written = list->listModel()->rowsInDisplayOrder();
    cache.WriteCachedListing("/pub");
    QVERIFY(QFile::exists(dir_->filePath("Cache/anonymous@srv$$pub.ini")));

    auto other = makeList();
    ListingCache reader(other.get(), login_, dir_->filePath("Cache"));
    QVERIFY(reader.ReadCachedListing("/pub"));
    const auto read = other->listModel()->rowsInDisplayOrder();
    QCOMPARE(read.size(), written.size());
    for (size_t i = 0; i < read.size(); ++i) {
        QCOMPARE(read[i].nameBytes(), written[i].nameBytes());
        QCOMPARE(read[i].itemData, written[i].itemData);
        // A folder shows no size after a cache read, whatever the file holds.
        QCOMPARE(read[i].text(1), written[i].isFolder() ? QString() : written[i].text(1));
        QCOMPARE(read[i].text(2), written[i].text(2));
        QCOMPARE(read[i].text(3), written[i].text(3));
        QVERIFY(read[i].icon >= 0);
    }
    // The date texts read back as dates.
    other->listModel()->sortRows(2, SortDateTime, true);
    QCOMPARE(other->listModel()->row(2).nameBytes(), QByteArray("\xED\x95\x9C\xEA\xB8\x80.txt"));
    QCOMPARE(other->listModel()->row(3).nameBytes(), QByteArray("caf\xE9\xFF"));
    QCOMPARE(other->listModel()->row(4).nameBytes(), QByteArray("big.iso"));

    QVERIFY(!reader.ReadCachedListing("/elsewhere"));
}

void TestListingCache::semicolonInNameShiftsFields()
{
    const SortListRow row = cacheRowFromValue("F;a;b.txt;12;date;attr");
    QCOMPARE(row.text(0), QStringLiteral("a"));
    QCOMPARE(row.text(1), QStringLiteral("b.txt"));
    QCOMPARE(row.text(2), QStringLiteral("12"));
    QCOMPARE(row.text(3), QStringLiteral("date"));
    const SortListRow shortRow = cacheRowFromValue("x;name");
    QCOMPARE(shortRow.itemData, 2);
    QCOMPARE(shortRow.text(0), QStringLiteral("name"));
    for (int column = 1; column < SortListRow::maxColumns; ++column)
        QCOMPARE(shortRow.text(column), QString());
    QCOMPARE(cacheRowFromValue("d;lower").itemData, 2); // only "D" marks a folder
}

void TestListingCache::namesSurviveTheCache_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("stored"); // the name's field in the file
    QTest::addColumn<QString>("shown");
    QTest::newRow("ordinary") << QByteArray("notes 1.txt") << QByteArray("notes 1.txt") << "notes 1.txt";
    QTest::newRow("percent not before an escape")
        << QByteArray("50%off %20") << QByteArray("50%off %20") << "50%off %20";
    QTest::newRow("not utf-8") << QByteArray("caf\xE9") << QByteArray("caf\xE9") << "caf\u00e9";
    QTest::newRow("carriage return") << QByteArray("a\rb") << QByteArray("a%0Db") << "a\\x0db";
    QTest::newRow("line feed") << QByteArray("a\nb") << QByteArray("a%0Ab") << "a\\x0ab";
    QTest::newRow("escape") << QByteArray("\x1b[31mred") << QByteArray("%1B[31mred") << "\\x1b[31mred";
    QTest::newRow("semicolon") << QByteArray("a;b.zip") << QByteArray("a%3Bb.zip") << "a;b.zip";
    QTest::newRow("percent before an escape")
        << QByteArray("100%25;") << QByteArray("100%2525%3B") << "100%25;";
    QTest::newRow("control byte, not utf-8")
        << QByteArray("\xE9\x01") << QByteArray("\xE9%01") << "\u00e9\\x01";
}

void TestListingCache::namesSurviveTheCache()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    auto list = makeList();
    ListingCache cache(list.get(), login_, dir_->path());
    SortListRow row = makeRow("x", false, "1", QString(), "-rw-r--r--");
    row.rawName = name;
    list->setRows({row});
    cache.WriteCachedListing("/n");
    QFile file(cache.CacheFilePath("/n"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nITEM0=F;" + stored + ";1;;-rw-r--r--\n"));

    QVERIFY(cache.ReadCachedListing("/n"));
    QCOMPARE(list->listModel()->rowCount(), 1);
    QCOMPARE(list->listModel()->row(0).nameBytes(), name);
    QCOMPARE(list->listModel()->row(0).text(0), shown);
    QCOMPARE(list->listModel()->row(0).text(1), QStringLiteral("1"));
}

void TestListingCache::longerThenShorterListing()
{
    auto list = makeList();
    ListingCache cache(list.get(), login_, dir_->path());
    std::vector<SortListRow> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back(makeRow(QByteArray("f") + QByteArray::number(i), false, "1", QString(), "-rw-r--r--"));
    list->setRows(rows);
    cache.WriteCachedListing("/d");
    rows.resize(4);
    list->setRows(rows);
    cache.WriteCachedListing("/d");

    IniFile ini(cache.CacheFilePath("/d"));
    QVERIFY(ini.load());
    QCOMPARE(ini.intValue("CACHELIST", "COUNT", -1), 4);
    QVERIFY(ini.contains("CACHELIST", "ITEM9"));
    QVERIFY(cache.ReadCachedListing("/d"));
    QCOMPARE(list->listModel()->rowCount(), 4);
}

void TestListingCache::prefixDeletionReachesSiblings()
{
    ListingCache cache(nullptr, login_, dir_->path());
    for (const char *name :
         {"srv$$.ini", "srv$$pub.ini", "srv2$$.ini", "SRV$$up.ini", "other$$.ini", "srv$$notes.txt"})
        writeFile(dir_->filePath(name), "[CACHELIST]\nCOUNT=0\n");
    QVERIFY(cache.DeleteCachedListings("srv", true));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), (QStringList{"other$$.ini", "srv$$notes.txt"}));
    QVERIFY(!cache.DeleteCachedListings("srv", true));

    // A moved folder's files go by prefix, and so do those of a sibling that starts alike.
    for (const char *name : {"srv$$pub$doc.ini", "srv$$pub$doc$a.ini", "srv$$pub$docs.ini", "srv$$pub$x.ini"})
        writeFile(dir_->filePath(name), "");
    QVERIFY(cache.DeleteCachedListings("srv$$pub$doc", true));
    QVERIFY(QFile::exists(dir_->filePath("srv$$pub$x.ini")));
    QVERIFY(!QFile::exists(dir_->filePath("srv$$pub$docs.ini")));

    // One directory: its own file only, and the answer is always false.
    QVERIFY(!cache.DeleteCachedListings("/pub/x", false));
    QVERIFY(!QFile::exists(dir_->filePath("srv$$pub$x.ini")));
    QVERIFY(QFile::exists(dir_->filePath("other$$.ini")));
}

void TestListingCache::skipCacheOnce()
{
    auto list = makeList();
    ListingCache cache(list.get(), login_, dir_->path());
    list->setRows({makeRow("a", false, "1", QString(), "-")});
    cache.WriteCachedListing("/x");
    cache.skipCacheOnce = 1;
    QVERIFY(!cache.ReadCachedListing("/x"));
    QCOMPARE(cache.skipCacheOnce, 0);
    QVERIFY(!QFile::exists(cache.CacheFilePath("/x")));
    QCOMPARE(list->listModel()->rowCount(), 1); // untouched
    cache.skipCacheOnce = 1;
    QVERIFY(!cache.ReadCachedListing("/never"));
    QCOMPARE(cache.skipCacheOnce, 0);
}

void TestListingCache::hostileCacheFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("no section") << QByteArray("COUNT=2\nITEM0=F;a;1;;\n") << QStringList();
    QTest::newRow("no count") << QByteArray("[CACHELIST]\nITEM0=F;a;1;;\n") << QStringList();
    QTest::newRow("negative count") << QByteArray("[CACHELIST]\nCOUNT=-5\nITEM0=F;a;1;;\n") << QStringList();
    QTest::newRow("count not a number")
        << QByteArray("[CACHELIST]\nCOUNT=abc\nITEM0=F;a;;;\n") << QStringList();
    QTest::newRow("huge count") << QByteArray("[CACHELIST]\nCOUNT=2147483647\nITEM0=F;a;;;\nITEM1=F;b;;;\n")
                                << QStringList{"a", "b"};
    QTest::newRow("count beyond int")
        << QByteArray("[CACHELIST]\r\nCOUNT=99999999999999999999\r\nITEM0=F;a;;;\r\n") << QStringList{"a"};
    QTest::newRow("count limits the rows")
        << QByteArray("[cachelist]\ncount = 1\nitem0=F;a;;;\nITEM1=F;b;;;\n") << QStringList{"a"};
    QTest::newRow("missing row key")
        << QByteArray("[CACHELIST]\nCOUNT=3\nITEM2=F;c;;;\nITEM0=F;a;;;\nITEM01=F;x;;;\n")
        << QStringList{"a", "c"};
    QTest::newRow("truncated") << QByteArray("[CACHELIST]\nCOUNT=3\nITEM0=F;a;1;Jan;-rw\nITEM1=F;b;")
                               << QStringList{"a", "b"};
    QTest::newRow("truncated header") << QByteArray("[CACHEL") << QStringList();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\x01=\x02\n\x00\x00]=", 12) << QStringList();
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("overlong value") << (QByteArray("[CACHELIST]\nCOUNT=1\nITEM0=F;") + QByteArray(1000, 'n') +
                                        '\n')
                                    << QStringList{QString(597, QLatin1Char('n'))};
}

void TestListingCache::hostileCacheFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, names);
    auto list = makeList();
    list->setRows({makeRow("stale", false, "", QString(), "")});
    ListingCache cache(list.get(), login_, dir_->path());
    writeFile(cache.CacheFilePath("/h"), content);
    // The file exists, so the directory counts as cached, with whatever rows it holds.
    QVERIFY(cache.ReadCachedListing("/h"));
    QStringList got;
    for (const SortListRow &row : list->listModel()->rowsInDisplayOrder())
        got << row.text(0);
    QCOMPARE(got, names);
}

void TestListingCache::iniWritesInPlace()
{
    const QString path = dir_->filePath("x.ini");
    writeFile(path, "; note\n[OTHER]\nkey=1\n[CACHELIST]\nCOUNT=9\nITEM0=old\n\n[LAST]\nz=2\n");
    IniFile ini(path);
    QVERIFY(ini.load());
    ini.setValue("CACHELIST", "count", "1");
    ini.setValue("CACHELIST", "ITEM1", "new");
    ini.setValue("NEW", "a", "b");
    QVERIFY(ini.save());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(
        file.readAll(),
        QByteArray(
            "; "
            "note\n[OTHER]\nkey=1\n[CACHELIST]\ncount=1\nITEM0=old\n\nITEM1=new\n[LAST]\nz=2\n[NEW]\na=b\n"));
}

void TestListingCache::pyftpdlibListingCached()
{
    // The listing lines exactly as the pyftpdlib server formats them for LIST.
    QDir served(dir_->filePath("served"));
    QVERIFY(served.mkpath("sub dir"));
    writeFile(served.filePath("notes.txt"), QByteArray(1500, 'x'));
    writeFile(served.filePath("a;b.zip"), "z");
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c",
                  "import os,sys\n"
                  "from pyftpdlib.filesystems import AbstractedFS\n"
                  "class C: use_gmt_times=False; encoding='utf8'; unicode_errors='replace'\n"
                  "root=sys.argv[1]\n"
                  "fs=AbstractedFS(root, C())\n"
                  "sys.stdout.buffer.write(b''.join(fs.format_list(root, sorted(os.listdir(root)))))\n",
                  served.path()});
    QVERIFY(python.waitForFinished(30000));
    if (python.exitCode() != 0)
        QSKIP("pyftpdlib is not installed");
    const QByteArray listing = python.readAllStandardOutput();

    const QString listingFile = dir_->filePath("DIRlist");
    writeFile(listingFile, listing);
    ListingState state;
    auto entries = ReadListingFile(listingFile, state);
    QVERIFY(entries);
    QCOMPARE(entries->size(), size_t(3));

    auto list = makeList();
    ListingCache cache(list.get(), login_, dir_->filePath("Cache"));
    ShowRemoteListing(*list, &cache, std::move(*entries), "/served", true);
    QCOMPARE(list->listModel()->row(0).text(0), QStringLiteral("sub dir"));
    QCOMPARE(list->listModel()->row(2).text(1), QStringLiteral("1,500"));

    auto shown = makeList();
    ListingCache reader(shown.get(), login_, dir_->filePath("Cache"));
    QVERIFY(reader.ReadCachedListing("/served"));
    QStringList names;
    for (const SortListRow &row : shown->listModel()->rowsInDisplayOrder())
        names << row.text(0);
    QCOMPARE(names, (QStringList{"sub dir", "a;b.zip", "notes.txt"}));
    QCOMPARE(shown->listModel()->row(0).text(2), list->listModel()->row(0).text(2));
}

QTEST_MAIN(TestListingCache)
#include "tst_listingcache.moc"
