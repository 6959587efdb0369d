#include "sites/sitefield.h"
#include "sites/sitelist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

QByteArray count(quint32 n)
{
    QByteArray out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char((n >> (8 * i)) & 0xFF);
    return out;
}

QByteArray header(const char *digits, const char *prefix = "SITEDAT")
{
    return QByteArray(prefix, 7) + QByteArray(digits, 3) + QByteArray(1, '\0');
}

// A site whose fields hold remains of longer texts after their terminators, as edited records do.
SiteRecord usedSite(int folder, const char *name)
{
    SiteRecord site = SiteRecord::make(folder);
    sitefield::setText(site.address, QStringLiteral("ftp.a-rather-long-server-name.example"));
    site.address[3] = '\0';
    sitefield::setText(site.siteName, QString::fromLatin1(name));
    sitefield::setText(site.userId, QStringLiteral("alice"));
    sitefield::setText(site.sitePassword, QStringLiteral("secret"));
    site.padding = {'\x7f', '\x01'};
    site.port = 2121;
    sitefield::setText(site.remotePath, QStringLiteral("/pub/incoming"));
    sitefield::setText(site.localPath, QStringLiteral("/home/alice/Down"));
    site.localPath[200] = 'x';
    site.anonymous = 0;
    site.relativePath = 1;
    site.reserved[31] = '\x55';
    return site;
}

QByteArray file011(const SiteList &list)
{
    QByteArray out = header("011") + count(quint32(list.folders.size()));
    for (const SiteFolder &folder : list.folders)
        out += folder.toBytes();
    out += count(quint32(list.sites.size()));
    for (const SiteRecord &site : list.sites)
        out += site.toBytes();
    return out;
}

SiteList sampleList()
{
    SiteList list;
    list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
    list.folders[1].setName(QStringLiteral("Work"));
    list.sites = {usedSite(0, "one"), usedSite(1, "two"), usedSite(1, "three")};
    return list;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int modeOf(const QString &path)
{
    struct stat info {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

class TestSiteList : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString path(const char *name) const { return folder() + QLatin1String(name); }

private slots:
    void init()
    {
        const QStringList names =
            QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            QFileInfo info(m_dir.path() + QLatin1Char('/') + name);
            if (info.isDir())
                QDir(info.filePath()).removeRecursively();
            else
                QFile::remove(info.filePath());
        }
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
    }

    void recordLayout()
    {
        const SiteRecord site = usedSite(7, "name");
        const QByteArray bytes = site.toBytes();
        QCOMPARE(bytes.size(), 700);
        QCOMPARE(bytes.left(4), count(7));
        QCOMPARE(bytes.mid(4, 5), QByteArray("name\0", 5));
        QCOMPARE(bytes.mid(34, 4), QByteArray("ftp\0", 4));
        QCOMPARE(bytes.mid(38, 5), QByteArray("a-rat")); // what an older, longer address left
        QCOMPARE(bytes.mid(84, 6), QByteArray("alice\0", 6));
        QCOMPARE(bytes.mid(114, 7), QByteArray("secret\0", 7));
        QCOMPARE(bytes.mid(134, 2), QByteArray("\x7f\x01", 2));
        QCOMPARE(bytes.mid(136, 4), count(2121));
        QCOMPARE(bytes.mid(140, 14), QByteArray("/pub/incoming\0", 14));
        QCOMPARE(bytes.mid(400, 16), QByteArray("/home/alice/Down"));
        QCOMPARE(bytes.at(600), 'x');
        QCOMPARE(bytes.mid(660, 4), count(0));
        QCOMPARE(bytes.mid(664, 4), count(1));
        QCOMPARE(bytes.at(699), '\x55');
        QCOMPARE(SiteRecord::fromBytes(bytes.constData()), site);

        const QByteArray folderBytes = SiteFolder::make(3).toBytes();
        QCOMPARE(folderBytes, count(3) + QByteArray("Folder") + QByteArray(26, '\0'));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("nothing") << file011({});
        SiteList foldersOnly;
        foldersOnly.folders = {SiteFolder::make(0), SiteFolder::make(1), SiteFolder::make(2)};
        QTest::newRow("folders, no sites") << file011(foldersOnly);
        QTest::newRow("sites with remains after the terminators") << file011(sampleList());
    }

    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(path(siteListFileName), bytes));
        SiteList list;
        QCOMPARE(LoadSiteList(folder(), list), SiteFileStatus::Complete);
        QCOMPARE(SaveSiteList(folder(), list), SiteFileStatus::Complete);
        QCOMPARE(readFile(path(siteListFileName)), bytes);
        QVERIFY(!QFile::exists(path(siteListTempName)));
    }

    void version010()
    {
        const SiteList list = sampleList();
        QByteArray old =
            header("010") + count(2) + list.folders[0].toBytes() + list.folders[1].toBytes() + count(2);
        for (int i = 0; i < 2; ++i)
            old += list.sites[size_t(i)].toBytes().left(SiteRecord::size010);
        QVERIFY(writeFile(path(siteListFileName), old));

        SiteList loaded;
        QCOMPARE(LoadSiteList(folder(), loaded), SiteFileStatus::Complete);
        QCOMPARE(loaded.sites.size(), size_t(2));
        const SiteRecord &site = loaded.sites[1];
        QCOMPARE(site.folderIndex, 1);
        QCOMPARE(sitefield::text(site.siteName), QStringLiteral("two"));
        QCOMPARE(sitefield::text(site.address), QStringLiteral("ftp"));
        QCOMPARE(sitefield::text(site.localPath), QStringLiteral("/home/alice/Down"));
        QCOMPARE(site.port, 2121);
        QCOMPARE(site.relativePath, 0);
        // Only the texts come across; what followed their terminators does not.
        QCOMPARE(site.address[4], '\0');
        QCOMPARE(site.localPath[200], '\0');
        QCOMPARE(site.padding, (std::array<char, 2>{}));
        QCOMPARE(site.reserved, (std::array<char, 32>{}));

        QCOMPARE(SaveSiteList(folder(), loaded), SiteFileStatus::Complete);
        const QByteArray saved = readFile(path(siteListFileName));
        QCOMPARE(saved.left(11), header("011"));
        QCOMPARE(saved.size(), 11 + 4 + 2 * 36 + 4 + 2 * 700);
        QCOMPARE(readFile(path(siteListBackupName)), old);
    }

    void versionDigits_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<SiteFileStatus>("status");
        QTest::newRow("other first seven bytes")
            << header("011", "XYZ\x01\xff\0Q") << SiteFileStatus::Complete;
        QTest::newRow("version 012") << header("012") << SiteFileStatus::UnknownVersion;
        QTest::newRow("version 111") << header("111") << SiteFileStatus::UnknownVersion;
    }

    void versionDigits()
    {
        QFETCH(QByteArray, head);
        QFETCH(SiteFileStatus, status);
        QVERIFY(writeFile(path(siteListFileName), head + file011(sampleList()).mid(11)));
        SiteList list;
        QCOMPARE(LoadSiteList(folder(), list), status);
        QCOMPARE(list.folders.size(), status == SiteFileStatus::Complete ? size_t(2) : size_t(0));
        QCOMPARE(list.sites.size(), status == SiteFileStatus::Complete ? size_t(3) : size_t(0));
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SiteFileStatus>("status");
        QTest::addColumn<int>("folders");
        QTest::addColumn<int>("sites");
        const QByteArray good = file011(sampleList());
        const int sitesStart = 11 + 4 + 2 * 36 + 4;
        QTest::newRow("empty") << QByteArray() << SiteFileStatus::UnknownVersion << 0 << 0;
        QTest::newRow("cut in the header") << good.left(9) << SiteFileStatus::UnknownVersion << 0 << 0;
        QTest::newRow("cut in the folder count") << good.left(13) << SiteFileStatus::Truncated << 0 << 0;
        QTest::newRow("cut in the second folder")
            << good.left(11 + 4 + 36 + 20) << SiteFileStatus::Truncated << 1 << 0;
        QTest::newRow("cut in the site count")
            << good.left(sitesStart - 2) << SiteFileStatus::Truncated << 2 << 0;
        QTest::newRow("cut in the third site")
            << good.left(sitesStart + 2 * 700 + 350) << SiteFileStatus::Truncated << 2 << 2;
        QTest::newRow("four billion folders")
            << header("011") + count(4000000000u) + SiteFolder::make(0).toBytes() << SiteFileStatus::Truncated
            << 1 << 0;
        QTest::newRow("four billion sites")
            << good.left(sitesStart - 4) + count(0xFFFFFFFFu) + usedSite(0, "a").toBytes()
            << SiteFileStatus::Truncated << 2 << 1;
        QTest::newRow("no sites, several folders")
            << good.left(sitesStart - 4) + count(0) << SiteFileStatus::Complete << 2 << 0;
        QTest::newRow("site in a folder that does not exist")
            << good.left(sitesStart - 4) + count(1) + usedSite(99, "lost").toBytes()
            << SiteFileStatus::Complete << 2 << 1;
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(SiteFileStatus, status);
        QFETCH(int, folders);
        QFETCH(int, sites);
        QVERIFY(writeFile(path(siteListFileName), bytes));
        SiteList list;
        QCOMPARE(LoadSiteList(folder(), list), status);
        QCOMPARE(int(list.folders.size()), folders);
        QCOMPARE(int(list.sites.size()), sites);
        // Whatever was loaded saves again as a sound file.
        QCOMPARE(SaveSiteList(folder(), list), SiteFileStatus::Complete);
        SiteList again;
        QCOMPARE(LoadSiteList(folder(), again), SiteFileStatus::Complete);
        QCOMPARE(int(again.sites.size()), sites);
    }

    void missingFile()
    {
        SiteList list;
        QCOMPARE(LoadSiteList(folder(), list), SiteFileStatus::Missing);
        QCOMPARE(list.folders.size(), size_t(1));
        QCOMPARE(list.folders[0], SiteFolder::make(0));
        QVERIFY(list.sites.empty());
        QVERIFY(QDir(m_dir.path()).isEmpty());
    }

    void privateFiles()
    {
        const QString data = m_dir.path() + QStringLiteral("/data/Tidewell/");
        QVERIFY(QDir().mkpath(data));
        ::chmod(QFile::encodeName(data).constData(), 0755);
        QVERIFY(writeFile(data + QLatin1String(siteListFileName), file011({})));
        ::chmod(QFile::encodeName(data + QLatin1String(siteListFileName)).constData(), 0644);
        QCOMPARE(SaveSiteList(data, sampleList()), SiteFileStatus::Complete);
        QCOMPARE(modeOf(data), 0700);
        QCOMPARE(modeOf(data + QLatin1String(siteListFileName)), 0600);
        QCOMPARE(modeOf(data + QLatin1String(siteListBackupName)), 0600);

        const QString fresh = m_dir.path() + QStringLiteral("/new/");
        QCOMPARE(SaveSiteList(fresh, sampleList()), SiteFileStatus::Complete);
        QCOMPARE(modeOf(fresh), 0700);
        QCOMPARE(modeOf(fresh + QLatin1String(siteListFileName)), 0600);
    }

    void failedSave_data()
    {
        QTest::addColumn<bool>("folderIsFile");
        QTest::newRow("temporary name taken by a folder") << false;
        // A path through a regular file cannot become a folder, for the superuser too.
        QTest::newRow("folder not writable") << true;
    }

    void failedSave()
    {
        QFETCH(bool, folderIsFile);
        const QByteArray previous = file011(sampleList());
        QVERIFY(writeFile(path(siteListFileName), previous));
        QVERIFY(writeFile(path(siteListBackupName), "older"));
        if (!folderIsFile)
            QVERIFY(QDir().mkdir(path(siteListTempName)));
        const QString target = folderIsFile ? path(siteListFileName) + QLatin1Char('/') : folder();
        QCOMPARE(SaveSiteList(target, SiteList{}), SiteFileStatus::CannotWrite);
        QCOMPARE(readFile(path(siteListFileName)), previous);
        QCOMPARE(readFile(path(siteListBackupName)), QByteArray("older"));
    }

    void fit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("fits") << QStringLiteral("ftp") << 4 << QByteArray("ftp");
        QTest::newRow("cut for the terminator") << QStringLiteral("abcdef") << 4 << QByteArray("abc");
        // "한" is three bytes: the two that fit would be half a character.
        QTest::newRow("multi-byte character") << QStringLiteral("a한") << 3 << QByteArray("a");
        QTest::newRow("combining mark kept with its letter")
            << QStringLiteral("ae\u0301") << 4 << QByteArray("a");
        QTest::newRow("150 characters into 50 bytes")
            << QString(150, QLatin1Char('h')) << 50 << QByteArray(49, 'h');
    }

    void fit()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QByteArray, stored);
        QCOMPARE(sitefield::fit(text, width), stored);
        std::array<char, 50> field;
        field.fill('z');
        sitefield::setText(field, text);
        QCOMPARE(field.back(), '\0');
        QCOMPARE(sitefield::text(field), QString::fromUtf8(sitefield::fit(text, 50)));
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("\xed\x95\x9c\xea\xb8\x80") << QStringLiteral("한글");
        QTest::newRow("CP949") << QByteArray("\xc7\xd1\xb1\xdb") << QStringLiteral("한글");
        QTest::newRow("ASCII") << QByteArray("ftp.example.org") << QStringLiteral("ftp.example.org");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(sitefield::decode(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestSiteList)
#include "tst_sitelist.moc"
