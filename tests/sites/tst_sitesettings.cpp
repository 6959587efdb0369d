#include "sites/sitefield.h"
#include "sites/sitesettingsfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

SiteRecord named(int folder, const char *name)
{
    SiteRecord site = SiteRecord::make(folder);
    sitefield::setText(site.siteName, QString::fromUtf8(name));
    return site;
}

// Two folders; two sites of the same name in the first, a name that needs escaping in the second.
SiteList sampleList()
{
    SiteList list;
    list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
    list.folders[1].setName(QString::fromUtf8("업무\tfolder"));
    list.sites = {named(0, "FTP site"), named(0, "FTP site"), named(1, "100%\nsure"), named(1, "plain")};
    list.settings = {{Encryption::Implicit}, {Encryption::Plain}, {Encryption::ExplicitRequired},
                     {Encryption::ExplicitIfOffered}};
    return list;
}

std::vector<Encryption> encryptions(const SiteList &list)
{
    std::vector<Encryption> out;
    for (const SiteSettings &settings : list.settings)
        out.push_back(settings.encryption);
    return out;
}

} // namespace

class TestSiteSettings : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip()
    {
        const SiteList list = sampleList();
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        QVERIFY(saveSiteSettings(folder, list));
        QFile file(folder + QLatin1String(siteSettingsFileName));
        QCOMPARE(file.permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                         QFileDevice::WriteUser);
        SiteList loaded = list;
        loaded.settings.clear();
        QCOMPARE(loadSiteSettings(folder, loaded), 0);
        QCOMPARE(loaded.settings, list.settings);
        // Saving again replaces the file whole.
        QVERIFY(saveSiteSettings(folder, loaded));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), siteSettingsBytes(list));
    }

    void missingFileGivesDefaults()
    {
        QTemporaryDir dir;
        SiteList list = sampleList();
        list.settings.clear();
        QCOMPARE(loadSiteSettings(dir.path() + QLatin1Char('/'), list), 0);
        QCOMPARE(list.settings, std::vector<SiteSettings>(4));
        QCOMPARE(list.settings[0].encryption, Encryption::ExplicitIfOffered);
    }

    // The settings follow a site's name and its folder's: renamed, moved or deleted, each site
    // keeps its own and no site takes over another's.
    void keptInStep()
    {
        SiteList list = sampleList();
        sitefield::setText(list.sites[2].siteName, QStringLiteral("renamed"));
        list.folders[0].setName(QStringLiteral("Renamed folder"));
        list.sites[3].folderIndex = 0;
        removeSite(list, 1);
        appendSite(list, named(1, "FTP site"));
        SiteList loaded = list;
        QCOMPARE(readSiteSettings(siteSettingsBytes(list), loaded), 0);
        QCOMPARE(encryptions(loaded), (std::vector{Encryption::Implicit, Encryption::ExplicitRequired,
                                                   Encryption::ExplicitIfOffered, Encryption::ExplicitIfOffered}));

        // Bytes written under the old names leave the renamed ones at the defaults.
        loaded = list;
        QCOMPARE(readSiteSettings(siteSettingsBytes(sampleList()), loaded), 0);
        QCOMPARE(encryptions(loaded), (std::vector{Encryption::ExplicitIfOffered, Encryption::ExplicitIfOffered,
                                                   Encryption::ExplicitIfOffered, Encryption::ExplicitIfOffered}));
    }

    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QList<int>>("expected");
        const QByteArray good = siteSettingsBytes(sampleList());
        const QList<int> asSaved = {3, 0, 2, 1};
        const QList<int> defaults = {1, 1, 1, 1};
        QTest::addRow("as saved") << good << 0 << asSaved;
        QTest::addRow("empty") << QByteArray() << 0 << defaults;
        QTest::addRow("cut in the last line") << good.left(good.size() - 4) << 1 << QList<int>{3, 0, 2, 1};
        QTest::addRow("cut in the header") << good.left(10) << 1 << defaults;
        QTest::addRow("another file") << QByteArray("SITEDAT011\0\0\0\0", 15) << 1 << defaults;
        QTest::addRow("CR LF line ends") << QByteArray(good).replace("\n", "\r\n") << 0 << asSaved;
        QTest::addRow("unknown choice and missing fields")
            << QByteArray("TIDEWELL SITE SETTINGS 1\nFolder\tFTP%20site\tencryption=rot13\nFolder\n"
                          "\n\t\t\t\nFolder\tFTP%20site\tencryption=implicit\tcolour=blue\n")
            << 3 << QList<int>{3, 1, 1, 1};
        QTest::addRow("name longer than its field")
            << QByteArray("TIDEWELL SITE SETTINGS 1\nFolder\t") + QByteArray(40, 'x') + "\tencryption=plain\n" << 1
            << defaults;
        QTest::addRow("NUL and bad escapes")
            << QByteArray("TIDEWELL SITE SETTINGS 1\nFol\0der\tFTP%ZZsite\tencryption=plain\n", 61) << 0 << defaults;
        QTest::addRow("more entries than sites")
            << QByteArray("TIDEWELL SITE SETTINGS 1\n") +
                   QByteArray("Folder\tFTP%20site\tencryption=plain\n").repeated(5000)
            << 0 << QList<int>{0, 0, 1, 1};
        QTest::addRow("beyond the size limit")
            << QByteArray("TIDEWELL SITE SETTINGS 1\nFolder\tFTP%20site\tencryption=implicit\n") +
                   QByteArray(siteSettingsMaximumBytes, '\n') + "Folder\tFTP%20site\tencryption=plain\n"
            << 0 << QList<int>{3, 1, 1, 1};
    }

    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, skipped);
        QFETCH(QList<int>, expected);
        SiteList list = sampleList();
        list.settings.clear();
        QCOMPARE(readSiteSettings(bytes, list), skipped);
        QList<int> got;
        for (Encryption encryption : encryptions(list))
            got << int(encryption);
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TestSiteSettings)
#include "tst_sitesettings.moc"
