#include "guitest.h"
#include "sessionreset.h"

#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "sites/siteconnect.h"
#include "sites/sitefield.h"
#include "sites/sitelist.h"
#include "sites/sitemanagerdialog.h"
#include "sites/sitesettingsfile.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{

SiteRecord site(int folder, const char *name, int port)
{
    SiteRecord record = SiteRecord::make(folder);
    sitefield::setText(record.siteName, QString::fromUtf8(name));
    sitefield::setText(record.address, QStringLiteral("host.example"));
    record.port = port;
    return record;
}

void select(int folder, int site)
{
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteFolderIndex"), folder);
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteDataIndex"), site);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

// The encryption chosen for each site in the Site Manager, kept beside a site file whose bytes
// the choice never touches.
class TestSiteEncryption : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder() const { return dir_.path() + QLatin1Char('/'); }

    static QComboBox *encryptionBox(SiteManagerDialog &dialog)
    {
        return dialog.findChild<QComboBox *>(QStringLiteral("encryption"));
    }

    // The user picks the entry with `text` from the keyboard, as a choice (not a display) is made.
    static void choose(QComboBox *box, const char *text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < box->count() && box->currentText() != uiText(text); ++i)
            QTest::keyClick(box, Qt::Key_Down);
    }

    // Two folders; the first holds two sites of the same name.
    void writeList()
    {
        SiteList list;
        list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
        list.folders[1].setName(QStringLiteral("Work"));
        list.sites = {site(0, "twin", 2121), site(0, "twin", 21), site(1, "other", 21)};
        QCOMPARE(SaveSiteList(folder(), list), SiteFileStatus::Complete);
    }

    SiteList reload()
    {
        SiteList list;
        [&] { QCOMPARE(LoadSiteList(folder(), list), SiteFileStatus::Complete); }();
        (void)loadSiteSettings(folder(), list);
        return list;
    }

private slots:
    void init()
    {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        guitest::clearSettings();
    }

    void choiceSavedAndRestored()
    {
        writeList();
        const QByteArray siteFile = fileBytes(folder() + QLatin1String(siteListFileName));
        select(0, 0);
        {
            SiteManagerDialog dialog(folder());
            dialog.show();
            QComboBox *box = encryptionBox(dialog);
            QVERIFY(box->isEnabled());
            QCOMPARE(box->count(), 4);
            // A site list from before the choice existed: TLS when the server offers it.
            QCOMPARE(box->currentText(), uiText("Explicit TLS if the server offers it"));
            choose(box, "Require explicit TLS");
            QVERIFY(dialog.siteModified());
            QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("port"))->text(), QStringLiteral("2121"));
            dialog.findChild<QPushButton *>(QStringLiteral("close"))->click();
        }
        QCOMPARE(fileBytes(folder() + QLatin1String(siteListFileName)), siteFile);
        QCOMPARE(reload().settings,
                 (std::vector<SiteSettings>{{Encryption::ExplicitRequired}, {}, {}}));

        // The twin of the same name keeps its own choice; implicit TLS moves it off port 21.
        select(0, 1);
        SiteManagerDialog dialog(folder());
        dialog.show();
        QCOMPARE(encryptionBox(dialog)->currentText(), uiText("Explicit TLS if the server offers it"));
        choose(encryptionBox(dialog), "Implicit TLS");
        QCOMPARE(dialog.findChild<QLineEdit *>(QStringLiteral("port"))->text(), QStringLiteral("990"));
        dialog.findChild<QListWidget *>(QStringLiteral("siteList"))->setCurrentRow(0);
        QCOMPARE(encryptionBox(dialog)->currentText(), uiText("Require explicit TLS"));
        dialog.findChild<QListWidget *>(QStringLiteral("siteList"))->setCurrentRow(1);
        dialog.findChild<QPushButton *>(QStringLiteral("connect"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const LoginFields login = loginFromSite(dialog.fields());
        QCOMPARE(login.encryption, Encryption::Implicit);
        QCOMPARE(login.port, 990);
        const SiteList saved = reload();
        QCOMPARE(saved.sites[1].port, 990);
        QCOMPARE(saved.settings,
                 (std::vector<SiteSettings>{{Encryption::ExplicitRequired}, {Encryption::Implicit}, {}}));
    }

    // Renaming a site and a folder and deleting sites and folders through the dialog leave every
    // remaining site with its own choice.
    void renameAndDeleteKeepChoices()
    {
        writeList();
        {
            SiteList list = reload();
            list.settings = {{Encryption::Plain}, {Encryption::Implicit}, {Encryption::ExplicitRequired}};
            QVERIFY(saveSiteSettings(folder(), list));
        }
        select(0, 0);
        {
            SiteManagerDialog dialog(folder());
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            auto *sites = dialog.findChild<QListWidget *>(QStringLiteral("siteList"));
            auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("folderTree"));
            tree->topLevelItem(1)->setText(0, QStringLiteral("Renamed folder"));
            tree->setCurrentItem(tree->topLevelItem(0));
            sites->setCurrentRow(1);
            sites->item(1)->setText(QStringLiteral("renamed"));
            QCOMPARE(encryptionBox(dialog)->currentText(), uiText("Implicit TLS"));
            sites->setCurrentRow(0);
            guitest::ModalWatcher confirm([](QWidget *box) {
                static_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
            });
            dialog.findChild<QPushButton *>(QStringLiteral("deleteSite"))->click();
            QTRY_COMPARE(sites->count(), 1);
            QCOMPARE(encryptionBox(dialog)->currentText(), uiText("Implicit TLS"));
            dialog.findChild<QPushButton *>(QStringLiteral("close"))->click();
        }
        SiteList saved = reload();
        QCOMPARE(saved.sites.size(), size_t(2));
        QCOMPARE(sitefield::text(saved.sites[0].siteName), QStringLiteral("renamed"));
        QCOMPARE(saved.folders[1].name(), QStringLiteral("Renamed folder"));
        QCOMPARE(saved.settings, (std::vector<SiteSettings>{{Encryption::Implicit}, {Encryption::ExplicitRequired}}));

        // The first folder goes: the site of the second, renumbered, keeps its choice.
        select(0, 0);
        {
            SiteManagerDialog dialog(folder());
            dialog.show();
            guitest::ModalWatcher confirm([](QWidget *box) {
                static_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click();
            });
            dialog.findChild<QPushButton *>(QStringLiteral("deleteFolder"))->click();
            QTRY_COMPARE(dialog.siteList().folders.size(), size_t(1));
            dialog.findChild<QPushButton *>(QStringLiteral("close"))->click();
        }
        saved = reload();
        QCOMPARE(saved.sites.size(), size_t(1));
        QCOMPARE(saved.sites[0].folderIndex, 0);
        QCOMPARE(saved.settings, (std::vector<SiteSettings>{{Encryption::ExplicitRequired}}));
    }

    // A damaged settings file is reported in the log and the dialog opens with what was sound.
    void damagedSettingsFile()
    {
        writeList();
        QFile file(folder() + QLatin1String(siteSettingsFileName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("TIDEWELL SITE SETTINGS 1\nFolder\ttwin\tencryption=plain\n\x01\x02\x03\nWork\tother\n");
        file.close();
        select(0, 0);
        testsupport::LogRecorder log;
        SiteManagerDialog dialog(folder());
        QCOMPARE(dialog.siteList().settings,
                 (std::vector<SiteSettings>{{Encryption::Plain}, {}, {}}));
        QCOMPARE(encryptionBox(dialog)->currentText(), uiText("Plain FTP (unencrypted)"));
        QVERIFY(log.waitFor(formatText(TextId::SiteSettingsSkipped, 2, siteSettingsFileName), LogColor::Error));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestSiteEncryption)
#include "tst_siteencryption.moc"
