#include "platform/appsettings.h"
#include "platform/keyring.h"
#include "platform/log.h"
#include "platform/settingsstore.h"
#include "session/lastsession.h"
#include "sites/siteconnect.h"
#include "sites/sitefield.h"
#include "sites/sitemanagerdialog.h"
#include "sites/sitepasswordmover.h"
#include "sites/sitesettingsfile.h"

#include "guitest.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

namespace
{

// gnome-keyring's Secret Service on the private bus the test's fixture started, with a login
// keyring of its own that it unlocks at its start.
class KeyringDaemon
{
public:
    ~KeyringDaemon() { stop(); }

    // Empty when it runs and answers; otherwise why not.
    QString start()
    {
        const QByteArray bus = qgetenv("TIDEWELL_KEYRING_BUS");
        if (bus.isEmpty() || !QFile::exists(QString::fromLocal8Bit(bus) + QStringLiteral("/socket"))) {
            QFile failed(QString::fromLocal8Bit(bus) + QStringLiteral("/failed"));
            return failed.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(failed.readAll())
                                                    : QStringLiteral("no private session bus");
        }
        if (!home_.isValid())
            return QStringLiteral("no temporary folder");
        // Its own runtime folder too: a keyring daemon that finds another's control socket there
        // hands over to it.
        const QString runtime = home_.path() + QStringLiteral("/run");
        if (!QDir().mkpath(runtime) ||
            !QFile::setPermissions(runtime,
                                   QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
            return QStringLiteral("no runtime folder");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home_.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral("gnome-keyring-daemon"),
                       {QStringLiteral("--unlock"), QStringLiteral("--components=secrets"),
                        QStringLiteral("--foreground")});
        if (!process_.waitForStarted(5000))
            return QStringLiteral("gnome-keyring-daemon cannot start: ") + process_.errorString();
        process_.write("tidewell-test");
        process_.closeWriteChannel();
        // Ready once its default collection answers on the bus.
        for (int attempt = 0; attempt < 100; ++attempt) {
            QProcess probe;
            probe.start(QStringLiteral("dbus-send"),
                        {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                         QStringLiteral("--dest=org.freedesktop.secrets"),
                         QStringLiteral("/org/freedesktop/secrets"),
                         QStringLiteral("org.freedesktop.Secret.Service.ReadAlias"),
                         QStringLiteral("string:default")});
            if (!probe.waitForFinished(5000))
                return QStringLiteral("dbus-send cannot run: ") + probe.errorString();
            if (probe.readAllStandardOutput().contains("/collection/"))
                return {};
            if (process_.state() != QProcess::Running)
                return QStringLiteral("gnome-keyring-daemon ended: ") +
                       QString::fromLocal8Bit(process_.readAllStandardError());
            QTest::qWait(100);
        }
        return QStringLiteral("gnome-keyring-daemon did not answer within 10 seconds");
    }

    void stop()
    {
        resume();
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    // A keyring that takes calls and never answers them.
    void pause() { ::kill(pid_t(process_.processId()), SIGSTOP); }
    void resume()
    {
        if (process_.state() == QProcess::Running)
            ::kill(pid_t(process_.processId()), SIGCONT);
    }

private:
    QTemporaryDir home_;
    QProcess process_;
};

struct SiteRow {
    QString folder;
    QString site;
    QString password;
};

} // namespace

Q_DECLARE_METATYPE(SiteRow)

namespace
{

SiteList makeList(const QList<SiteRow> &rows)
{
    SiteList list;
    for (const SiteRow &row : rows) {
        auto folder = std::find_if(list.folders.begin(), list.folders.end(),
                                   [&](const SiteFolder &f) { return f.name() == row.folder; });
        if (folder == list.folders.end()) {
            list.folders.push_back(SiteFolder::make(int(list.folders.size())));
            list.folders.back().setName(row.folder);
            folder = list.folders.end() - 1;
        }
        SiteRecord site = SiteRecord::make(folder->index);
        sitefield::setText(site.siteName, row.site);
        sitefield::setText(site.address, QStringLiteral("127.0.0.1"));
        sitefield::setText(site.userId, QStringLiteral("user"));
        sitefield::setText(site.sitePassword, row.password);
        appendSite(list, site);
    }
    return list;
}

keyring::Answer readKeyring(const QString &key)
{
    std::optional<keyring::Answer> answer;
    keyring::read(key, QCoreApplication::instance(), [&](const keyring::Answer &a) { answer = a; });
    // An answer that never comes reads as a timeout, which no caller expects.
    (void)QTest::qWaitFor([&] { return answer.has_value(); }, keyring::boundMs() + 1000);
    return answer.value_or(keyring::Answer{});
}

} // namespace

class TestSitePasswords : public QObject
{
    Q_OBJECT
private:
    KeyringDaemon daemon_;
    QTemporaryDir data_;
    QStringList log_;
    int folderCount_ = 0;
    QString folder_;

    void writeSites(const SiteList &list)
    {
        QVERIFY(SaveSiteList(folder_, list) == SiteFileStatus::Complete);
        QVERIFY(saveSiteSettings(folder_, list));
    }

    SiteList readSites() const
    {
        SiteList list;
        (void)LoadSiteList(folder_, list);
        (void)loadSiteSettings(folder_, list);
        return list;
    }

    // Runs one pass to its end; whether it completed.
    bool runPass(bool intoKeyring, const QStringList &dropped = {})
    {
        SitePasswordMover &mover = sitePasswords(folder_);
        QSignalSpy finished(&mover, &SitePasswordMover::passFinished);
        mover.synchronise(intoKeyring, dropped);
        if (!finished.wait(60000))
            return false;
        return finished.constFirst().at(1).toBool();
    }

    QStringList errors() const
    {
        // Log lines reach the sink through the event loop.
        QCoreApplication::processEvents();
        QStringList found;
        for (const QString &line : log_)
            if (line.startsWith(QLatin1String("E ")))
                found << line.mid(2);
        return found;
    }

private slots:
    void initTestCase()
    {
        // The keyring the library picks follows the desktop; the test's is the Secret Service.
        for (const char *name :
             {"XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "KDE_SESSION_VERSION", "DESKTOP_SESSION"})
            qunsetenv(name);
        setLogSink([this](const QString &text, LogColor color) {
            log_ << (color == LogColor::Error ? QStringLiteral("E ") : QStringLiteral("S ")) + text.trimmed();
        });
        if (const QString why = daemon_.start(); !why.isEmpty())
            QSKIP(qPrintable(QStringLiteral("no keyring to test with: ") + why));
        keyring::setBoundMs(10000);
    }

    void init()
    {
        log_.clear();
        folder_ = data_.path() + QStringLiteral("/case%1/").arg(++folderCount_);
        QVERIFY(QDir().mkpath(folder_));
        guitest::clearSettings();
        appSettings().keepPasswordsInKeyring = 0;
    }

    // Every password moves into the keyring under its site's key and back, and the files hold
    // none of them (nor does the backup) while the keyring does.
    void moveInAndOut_data()
    {
        QTest::addColumn<QList<SiteRow>>("rows");
        QTest::addColumn<QStringList>("keys");
        QTest::addRow("two folders") << QList<SiteRow>{{"Work", "alpha", "pw-alpha"},
                                                       {"Home", "beta", "pw-beta"}}
                                     << QStringList{"Work/alpha", "Home/beta"};
        QTest::addRow("one name twice in a folder")
            << QList<SiteRow>{{"Folder", "FTP site", "first"},
                              {"Folder", "FTP site", "second"},
                              {"Other", "FTP site", "third"}}
            << QStringList{"Folder/FTP site", "Folder/FTP site/2", "Other/FTP site"};
        QTest::addRow("names holding the separators") << QList<SiteRow>{{"a/b", "c", "slash-folder"},
                                                                        {"a", "b/c", "slash-site"},
                                                                        {"100%", "x", "percent"}}
                                                      << QStringList{"a%2Fb/c", "a/b%2Fc", "100%25/x"};
        QTest::addRow("site without a password")
            << QList<SiteRow>{{"Folder", "anonymous", ""}, {"Folder", "kept", "pw"}}
            << QStringList{"", "Folder/kept"};
    }

    void moveInAndOut()
    {
        QFETCH(QList<SiteRow>, rows);
        QFETCH(QStringList, keys);
        writeSites(makeList(rows));

        QVERIFY(runPass(true));
        SiteList list = readSites();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QCOMPARE(list.settings[size_t(i)].keyringKey, keys[i]);
            QCOMPARE(sitefield::text(list.sites[size_t(i)].sitePassword),
                     keys[i].isEmpty() ? rows[i].password : QString());
            if (!keys[i].isEmpty()) {
                const keyring::Answer answer = readKeyring(keys[i]);
                QCOMPARE(int(answer.outcome), int(keyring::Outcome::Done));
                QCOMPARE(answer.password, rows[i].password);
            }
        }
        for (const char *name : {siteListFileName, siteListBackupName}) {
            QFile file(folder_ + QLatin1String(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            for (const SiteRow &row : rows)
                QVERIFY2(row.password.isEmpty() || !bytes.contains(row.password.toUtf8()), name);
        }

        QVERIFY(runPass(false));
        list = readSites();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QCOMPARE(list.settings[size_t(i)].keyringKey, QString());
            QCOMPARE(sitefield::text(list.sites[size_t(i)].sitePassword), rows[i].password);
            if (!keys[i].isEmpty())
                QCOMPARE(int(readKeyring(keys[i]).outcome), int(keyring::Outcome::NotFound));
        }
        QCOMPARE(errors(), QStringList());
    }

    // A password follows its site's key when the folder is renamed, and when deleting a namesake
    // changes the count in it.
    void keysFollowTheList_data()
    {
        QTest::addColumn<bool>("renameFolder");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("passwords");
        QTest::addRow("folder renamed")
            << true << QStringList{"New/a", "New/a/2"} << QStringList{"pw-1", "pw-2"};
        QTest::addRow("first of two namesakes deleted")
            << false << QStringList{"Old/a"} << QStringList{"pw-2"};
    }

    void keysFollowTheList()
    {
        QFETCH(bool, renameFolder);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, passwords);
        writeSites(makeList({{"Old", "a", "pw-1"}, {"Old", "a", "pw-2"}}));
        QVERIFY(runPass(true));
        SiteList list = readSites();
        QStringList dropped;
        if (renameFolder) {
            list.folders[0].setName(QStringLiteral("New"));
        } else {
            dropped << list.settings[0].keyringKey;
            removeSite(list, 0);
        }
        writeSites(list);
        QVERIFY(runPass(true, dropped));
        list = readSites();
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QCOMPARE(list.settings[size_t(i)].keyringKey, keys[i]);
            QCOMPARE(readKeyring(keys[i]).password, passwords[i]);
        }
        for (const char *old : {"Old/a", "Old/a/2"})
            if (!keys.contains(QLatin1String(old)))
                QCOMPARE(int(readKeyring(QLatin1String(old)).outcome), int(keyring::Outcome::NotFound));
        QCOMPARE(errors(), QStringList());
    }

    // Through the Site Manager: a renamed site's password follows it to its new key, a deleted
    // site's leaves the keyring, a new password typed for a site in the keyring replaces it there.
    void renameAndDeleteInSiteManager()
    {
        appSettings().keepPasswordsInKeyring = 1;
        writeSites(makeList({{"Folder", "old name", "pw-renamed"},
                             {"Folder", "doomed", "pw-doomed"},
                             {"Folder", "retyped", "pw-before"}}));
        QVERIFY(runPass(true));
        settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteFolderIndex"), 0);
        settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteDataIndex"), 2);
        SitePasswordMover &mover = sitePasswords(folder_);
        QSignalSpy finished(&mover, &SitePasswordMover::passFinished);
        {
            SiteManagerDialog dialog(folder_);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto *sites = dialog.findChild<QListWidget *>(QStringLiteral("siteList"));
            auto *password = dialog.findChild<QLineEdit *>(QStringLiteral("password"));
            QCOMPARE(password->text(), QString());
            QVERIFY(!password->placeholderText().isEmpty());
            QTest::keyClicks(password, QStringLiteral("pw-after"));
            sites->item(0)->setText(QStringLiteral("new name"));
            sites->setCurrentRow(1);
            QTimer::singleShot(0, this, [] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                    box->button(QMessageBox::Ok)->click();
            });
            dialog.deleteItem(SiteManagerDialog::SiteTarget);
            QCOMPARE(sites->count(), 2);
            dialog.reject();
            // Nothing is written behind the open dialog's back.
            QTest::qWait(200);
            QCOMPARE(readSites().settings[0].keyringKey, QStringLiteral("Folder/old name"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QVERIFY(finished.constFirst().at(1).toBool());

        const SiteList list = readSites();
        QCOMPARE(list.sites.size(), size_t(2));
        QCOMPARE(list.settings[0].keyringKey, QStringLiteral("Folder/new name"));
        QCOMPARE(list.settings[1].keyringKey, QStringLiteral("Folder/retyped"));
        for (const SiteRecord &site : list.sites)
            QCOMPARE(sitefield::text(site.sitePassword), QString());
        QCOMPARE(readKeyring(QStringLiteral("Folder/new name")).password, QStringLiteral("pw-renamed"));
        QCOMPARE(readKeyring(QStringLiteral("Folder/retyped")).password, QStringLiteral("pw-after"));
        for (const char *gone : {"Folder/old name", "Folder/doomed"})
            QCOMPARE(int(readKeyring(QLatin1String(gone)).outcome), int(keyring::Outcome::NotFound));

        // Connecting reads the password from the keyring.
        std::optional<SiteFields> connected;
        fetchSitePassword(SiteFields::fromRecord(list.sites[0], list.settings[0]), this,
                          [&](const SiteFields &fields) { connected = fields; });
        QTRY_VERIFY(connected.has_value());
        QCOMPARE(connected->password, QStringLiteral("pw-renamed"));
        QCOMPARE(errors(), QStringList());
    }

    // The last session's password follows the preference: in the keyring with the store's field
    // empty, and back.
    void lastSession()
    {
        appSettings().keepPasswordsInKeyring = 1;
        LoginFields login;
        login.serverHost = QStringLiteral("127.0.0.1");
        login.userName = QStringLiteral("user");
        login.password = QStringLiteral("last-pw");
        writeLastSession(login);
        QTRY_VERIFY_WITH_TIMEOUT(lastSessionPasswordInKeyring(), 15000);
        QCOMPARE(readLastSession().password, QString());
        std::optional<QString> fetched;
        fetchLastSessionPassword(this, [&](const QString &password) { fetched = password; });
        QTRY_VERIFY(fetched.has_value());
        QCOMPARE(*fetched, QStringLiteral("last-pw"));

        appSettings().keepPasswordsInKeyring = 0;
        QVERIFY(runPass(false));
        QVERIFY(!lastSessionPasswordInKeyring());
        QCOMPARE(readLastSession().password, QStringLiteral("last-pw"));
        QCOMPARE(int(readKeyring(lastSessionKeyringKey()).outcome), int(keyring::Outcome::NotFound));
    }

    // A keyring that never answers: the pass ends at the bound with the files as they were, and a
    // connection goes on without the password (the login asks) after a log line.
    void keyringTimesOut()
    {
        writeSites(makeList({{"Folder", "site", "pw-stays"}}));
        const SiteFields inKeyring = [] {
            SiteFields fields;
            fields.keyringKey = QStringLiteral("Folder/elsewhere");
            return fields;
        }();
        daemon_.pause();
        keyring::setBoundMs(500);
        const bool complete = runPass(true);
        std::optional<SiteFields> connected;
        fetchSitePassword(inKeyring, this, [&](const SiteFields &fields) { connected = fields; });
        QTRY_VERIFY(connected.has_value());
        daemon_.resume();
        keyring::setBoundMs(10000);
        QVERIFY(!complete);
        QCOMPARE(connected->password, QString());
        const SiteList list = readSites();
        QCOMPARE(sitefield::text(list.sites[0].sitePassword), QStringLiteral("pw-stays"));
        QCOMPARE(list.settings[0].keyringKey, QString());
        QCOMPARE(errors().size(), 2);
        QVERIFY(errors().at(0).contains(QLatin1String("no answer within 1 seconds")));
        // The late answers, when they come, change nothing.
        QTest::qWait(1000);
        QCOMPARE(sitefield::text(readSites().sites[0].sitePassword), QStringLiteral("pw-stays"));
    }

    // A keyring that refuses (its collection locked, and no one to unlock it): the password stays
    // in the file, with a message.
    void keyringRefuses()
    {
        QProcess lock;
        lock.start(QStringLiteral("dbus-send"),
                   {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                    QStringLiteral("--dest=org.freedesktop.secrets"),
                    QStringLiteral("/org/freedesktop/secrets"),
                    QStringLiteral("org.freedesktop.Secret.Service.Lock"),
                    QStringLiteral("array:objpath:/org/freedesktop/secrets/collection/login")});
        QVERIFY(lock.waitForFinished(5000));
        QCOMPARE(lock.exitCode(), 0);
        writeSites(makeList({{"Folder", "locked", "pw-locked"}}));
        QVERIFY(!runPass(true));
        const SiteList list = readSites();
        QCOMPARE(sitefield::text(list.sites[0].sitePassword), QStringLiteral("pw-locked"));
        QCOMPARE(list.settings[0].keyringKey, QString());
        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().constFirst().contains(QLatin1String("Folder/locked")));
    }

    // No keyring on the bus: said once, whatever the number of passes and passwords; the files
    // stay as they are; a connection goes on without the password.
    void noKeyringService()
    {
        daemon_.stop();
        writeSites(makeList({{"Folder", "one", "pw-one"}, {"Folder", "two", "pw-two"}}));
        const QByteArray before = siteSettingsBytes(readSites());
        QVERIFY(!runPass(true));
        QVERIFY(!runPass(true));
        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().constFirst().contains(QLatin1String("cannot be reached")));
        const SiteList list = readSites();
        QCOMPARE(sitefield::text(list.sites[1].sitePassword), QStringLiteral("pw-two"));
        QCOMPARE(siteSettingsBytes(list), before);

        SiteFields site;
        site.keyringKey = QStringLiteral("Folder/one");
        std::optional<SiteFields> connected;
        fetchSitePassword(site, this, [&](const SiteFields &fields) { connected = fields; });
        QTRY_VERIFY(connected.has_value());
        QCOMPARE(connected->password, QString());
        QCOMPARE(errors().size(), 2);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestSitePasswords)
#include "tst_sitepasswords.moc"
