#include "sites/sitefield.h"
#include "sites/sitepasswordmover.h"
#include "sites/sitesettingsfile.h"

#include <QTest>

namespace
{

// Two folders; two sites of the same name in the first, names that need escaping in the second.
SiteList sampleList()
{
    SiteList list;
    list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
    list.folders[1].setName(QString::fromUtf8("업무\tfolder"));
    for (auto [folder, name] : {std::pair{0, "FTP site"}, std::pair{0, "FTP site"}, std::pair{1, "100%\nsure"},
                                std::pair{1, "plain"}}) {
        list.sites.push_back(SiteRecord::make(folder));
        sitefield::setText(list.sites.back().siteName, QString::fromUtf8(name));
    }
    list.settings = {
        {Encryption::Implicit, {}, {}}, {Encryption::Plain, {}, {}}, {Encryption::ExplicitRequired, {}, {}}, {}};
    return list;
}

} // namespace

class TestSiteSettings : public QObject
{
    Q_OBJECT
private slots:
    // What is sound loads, whatever else the file holds; the expected list gives each site's
    // encryption (0 plain, 1 if offered, 2 required, 3 implicit).
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QList<int>>("expected");
        const QByteArray good = siteSettingsBytes(sampleList());
        const QByteArray header = "TIDEWELL SITE SETTINGS 1\n";
        const QList<int> defaults = {1, 1, 1, 1};
        QTest::addRow("empty") << QByteArray() << 0 << defaults;
        QTest::addRow("cut in the second line") << good.left(header.size() + 30) << 1 << defaults;
        QTest::addRow("cut in the header") << good.left(10) << 1 << defaults;
        QTest::addRow("another file") << QByteArray("SITEDAT011\0\0\0\0", 15) << 1 << defaults;
        QTest::addRow("CR LF line ends") << QByteArray(good).replace("\n", "\r\n") << 0 << QList<int>{3, 0, 2, 1};
        QTest::addRow("unknown choice, missing fields, blank lines")
            << header + "Folder\tFTP%20site\tencryption=rot13\nFolder\n\n\t\t\t\n"
                        "Folder\tFTP%20site\tencryption=implicit\tcolour=blue\n"
            << 3 << QList<int>{3, 1, 1, 1};
        QTest::addRow("name longer than its field") << header + "Folder\t" + QByteArray(40, 'x') + "\tencryption=plain\n"
                                                    << 1 << defaults;
        QTest::addRow("NUL and bad escapes") << header + QByteArray("Fol\0der\tFTP%ZZsite\tencryption=plain\n", 36)
                                             << 0 << defaults;
        QTest::addRow("more entries than sites")
            << header + QByteArray("Folder\tFTP%20site\tencryption=plain\n").repeated(5000) << 0
            << QList<int>{0, 0, 1, 1};
        QTest::addRow("beyond the size limit")
            << header + "Folder\tFTP%20site\tencryption=implicit\n" + QByteArray(siteSettingsMaximumBytes, '\n') +
                   "Folder\tFTP%20site\tencryption=plain\n"
            << 0 << QList<int>{3, 1, 1, 1};
    }

    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, expected);
        SiteList list = sampleList();
        QTEST(readSiteSettings(bytes, list), "skipped");
        QList<int> got;
        for (const SiteSettings &settings : list.settings)
            got << int(settings.encryption);
        QCOMPARE(got, expected);
    }

    // Where the keyring keeps a password survives the file, escapes and all; a site without one
    // writes no mark.
    void keyringMarkRoundTrip()
    {
        SiteList list = sampleList();
        list.settings[1].keyringKey = QString::fromUtf8("Folder/FTP site/2");
        list.settings[2].keyringKey = QString::fromUtf8("업무\tfolder/100%25\nsure\tkey=x");
        const QByteArray bytes = siteSettingsBytes(list);
        QCOMPARE(bytes.count("keyring="), 2);
        SiteList read = sampleList();
        QCOMPARE(readSiteSettings(bytes, read), 0);
        QCOMPARE(read.settings, list.settings);
    }

    // A site's character set survives the file; one this build cannot convert reads as automatic
    // and costs the site nothing else.
    void charsetRoundTrip()
    {
        SiteList list = sampleList();
        list.settings[0].charset = "Shift_JIS";
        list.settings[3].charset = "CP949";
        SiteList read = sampleList();
        QCOMPARE(readSiteSettings(siteSettingsBytes(list), read), 0);
        QCOMPARE(read.settings, list.settings);
        const QByteArray unknown = "TIDEWELL SITE SETTINGS 1\nFolder\tFTP%20site\tencryption=plain\tcharset=KLINGON\n";
        QCOMPARE(readSiteSettings(unknown, read), 0);
        QCOMPARE(read.settings[0].encryption, Encryption::Plain);
        QVERIFY(read.settings[0].charset.isEmpty());
    }

    // No two sites share a key; a name's remains after its terminator make no other name.
    void passwordKeys()
    {
        SiteList list = sampleList();
        list.sites.push_back(list.sites[0]);
        list.sites.back().siteName[12] = 'x';
        list.sites.push_back(SiteRecord::make(7));
        sitefield::setText(list.sites.back().siteName, QStringLiteral("lost"));
        QStringList keys;
        for (size_t i = 0; i < list.sites.size(); ++i)
            keys << sitePasswordKey(list, i);
        QCOMPARE(keys, (QStringList{"Folder/FTP site", "Folder/FTP site/2",
                                    QString::fromUtf8("업무\tfolder/100%25\nsure"),
                                    QString::fromUtf8("업무\tfolder/plain"), "Folder/FTP site/3", "/lost"}));
    }
};

QTEST_GUILESS_MAIN(TestSiteSettings)
#include "tst_sitesettings.moc"
