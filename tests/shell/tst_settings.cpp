#include "platform/programpaths.h"
#include "platform/settingsstore.h"
#include "shell/application.h"
#include "platform/appsettings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString section = QString::fromLatin1(settingsstore::applSet);

constexpr QFileDevice::Permissions ownerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QFileDevice::Permissions folderPermissions(const QString &path)
{
    // Only the permission bits of the owner, group and others (Qt adds the "user" ones).
    return QFileInfo(path).permissions() & (QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                            QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther |
                                            QFileDevice::ExeOther);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Never touch the real user's settings, also when run by hand outside the test runner.
        QVERIFY2(!qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME") && !qEnvironmentVariableIsEmpty("XDG_DATA_HOME"),
                 "run through ctest, which points the settings at the build folder");
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KALO"), QStringLiteral("Tidewell"))
            .clear();
        QDir(defaultDownloadFolder()).removeRecursively();
    }

    void defaultsOnAnEmptyStore()
    {
        appSettings().afterTransferAction = 2;
        LoadSettings();
        const AppSettings &settings = appSettings();
        QCOMPARE(settings.retryCount.load(), 3);
        QCOMPARE(settings.retryDelaySeconds.load(), 10);
        QCOMPARE(settings.emailAddress, defaultEmailAddress());
        QVERIFY(settings.emailAddress.contains(QLatin1Char('@')));
        QCOMPARE(settings.afterTransferAction.load(), 0);
        QCOMPARE(settings.keepConnection.load(), 1);
        QCOMPARE(settings.soundEffects.load(), 1);
        QCOMPARE(settings.passiveMode.load(), 1);
        QCOMPARE(settings.keepAliveMinutes.load(), 3);
        QCOMPARE(settings.asciiExtensions, QStringLiteral("HTM,HTML,C,CPP,H,CGI,TXT,NFO,PAS"));
        QCOMPARE(settings.transferMode.load(), 0);
        // A fresh installation downloads where the desktop keeps downloads, not into a hidden folder.
        QCOMPARE(settings.downloadFolder, QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
        QVERIFY(!settings.downloadFolder.contains(QStringLiteral("/.")));
        QVERIFY(QFileInfo(settings.downloadFolder).isDir());
        // Defaults are not written back.
        QCOMPARE(settingsstore::readInt(section, QStringLiteral("Retry"), -7), -7);
        QCOMPARE(settingsstore::readString(section, QStringLiteral("Download"), QStringLiteral("absent")),
                 QStringLiteral("absent"));
    }

    void storedValuesAreRead()
    {
        QTemporaryDir downloads;
        QVERIFY(downloads.isValid());
        using namespace settingsstore;
        writeInt(section, QStringLiteral("Retry"), 0);
        writeInt(section, QStringLiteral("RetryTime"), 90000);
        writeString(section, QStringLiteral("EMail"), QStringLiteral("me@example.org"));
        writeString(section, QStringLiteral("Download"), downloads.path());
        writeInt(section, QStringLiteral("KeepConnect"), 0);
        writeInt(section, QStringLiteral("Bell"), 0);
        writeInt(section, QStringLiteral("Passive"), 0);
        writeInt(section, QStringLiteral("KeepTime"), 60);
        writeString(section, QStringLiteral("AsciiFile"), QStringLiteral("TXT"));
        LoadSettings();
        const AppSettings &settings = appSettings();
        QCOMPARE(settings.retryCount.load(), 0);
        QCOMPARE(settings.retryDelaySeconds.load(), 90000);
        QCOMPARE(settings.emailAddress, QStringLiteral("me@example.org"));
        QCOMPARE(settings.downloadFolder, downloads.path());
        QCOMPARE(settings.keepConnection.load(), 0);
        QCOMPARE(settings.soundEffects.load(), 0);
        QCOMPARE(settings.passiveMode.load(), 0);
        QCOMPARE(settings.keepAliveMinutes.load(), 60);
        QCOMPARE(settings.asciiExtensions, QStringLiteral("TXT"));

        // An unreadable number reads as its default.
        writeString(section, QStringLiteral("Retry"), QStringLiteral("many"));
        LoadSettings();
        QCOMPARE(appSettings().retryCount.load(), 3);
    }

    void downloadFolderThatIsGone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("deleted folder") << QStringLiteral("deleted");
        QTest::newRow("a plain file") << QStringLiteral("file");
        QTest::newRow("empty text") << QStringLiteral("empty");
    }
    void downloadFolderThatIsGone()
    {
        QFETCH(QString, kind);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        QString stored;
        if (kind == QLatin1String("deleted")) {
            stored = scratch.filePath(QStringLiteral("old downloads"));
            QVERIFY(QDir().mkdir(stored));
            QVERIFY(QDir().rmdir(stored));
        } else if (kind == QLatin1String("file")) {
            stored = scratch.filePath(QStringLiteral("not a folder"));
            QFile file(stored);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        settingsstore::writeString(section, QStringLiteral("Download"), stored);
        QDir(defaultDownloadFolder()).removeRecursively();

        LoadSettings();
        QCOMPARE(appSettings().downloadFolder, defaultDownloadFolder());
        QVERIFY(QFileInfo(appSettings().downloadFolder).isDir());
        // The store keeps the user's text until the user changes it.
        QCOMPARE(settingsstore::readString(section, QStringLiteral("Download"), QStringLiteral("absent")), stored);
    }

    void storeIsForTheUserAlone()
    {
        settingsstore::writeString(section, QStringLiteral("LastPassword"), QStringLiteral("secret"));
        const QString file = QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KALO"),
                                       QStringLiteral("Tidewell"))
                                 .fileName();
        QCOMPARE(folderPermissions(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void programFolderIsPrivate()
    {
        const QString folder = programpaths::programFolder();
        QVERIFY(folder.endsWith(QLatin1Char('/')));
        QVERIFY(folder.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(folderPermissions(folder), ownerOnly);
    }

    void listingFileLivesInAPrivateFolder()
    {
        const QString name = programpaths::listingTempFile();
        const QFileInfo info(name);
        QVERIFY(info.fileName().startsWith(QLatin1String("DIR")));
        QVERIFY(!info.exists());
        QCOMPARE(programpaths::listingTempFile(), name);

        const QString folder = programpaths::privateTempFolder();
        QVERIFY(folder.endsWith(QLatin1Char('/')));
        QCOMPARE(info.absolutePath() + QLatin1Char('/'), folder);
        QVERIFY(QDir(info.absolutePath()) != QDir(QDir::tempPath()));
        QCOMPARE(folderPermissions(folder), ownerOnly);

        QFile listing(name);
        QVERIFY(listing.open(QIODevice::WriteOnly));
        QVERIFY(listing.write("drwxr-xr-x 2 ftp ftp 4096 Jan 01 2020 pub\r\n") > 0);
        listing.close();
        QVERIFY(QFile::remove(name));
    }

    void brokenPipesAreIgnored()
    {
        ignoreBrokenPipes();
        struct sigaction current {};
        QCOMPARE(sigaction(SIGPIPE, nullptr, &current), 0);
        QVERIFY(current.sa_handler == SIG_IGN);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
