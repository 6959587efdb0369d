#include "guitest.h"
#include "sessionreset.h"

#include "platform/settingsstore.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "sites/siteconnect.h"
#include "sites/sitefield.h"
#include "sites/sitemanagerdialog.h"
#include "sites/sitesettingsfile.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace
{

template <typename T = QPushButton> T *get(QWidget &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

void select(int folder, int site)
{
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteFolderIndex"), folder);
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteDataIndex"), site);
}

// The user picks the entry from the keyboard, as a choice (not a display) is made.
void choose(QComboBox *box, const char *text)
{
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < box->count() && box->currentText() != UiText::tr(text); ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

QByteArray siteFileBytes(const QString &folder)
{
    QFile file(folder + QLatin1String(siteListFileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The encryption chosen for each site in the Site Manager, kept beside a site file whose bytes
// the choice never touches.
class TestSiteEncryption : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder() const { return dir_.path() + QLatin1Char('/'); }

    // Two folders; the first holds two sites of the same name.
    void writeList()
    {
        SiteList list;
        list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
        for (auto [folder, port] : {std::pair{0, 2121}, std::pair{0, 21}, std::pair{1, 21}}) {
            list.sites.push_back(SiteRecord::make(folder));
            sitefield::setText(list.sites.back().siteName, QStringLiteral("twin"));
            list.sites.back().port = port;
        }
        QCOMPARE(SaveSiteList(folder(), list), SiteFileStatus::Complete);
    }

    // Each saved site's encryption (0 plain, 1 if offered, 2 required, 3 implicit).
    QList<int> savedChoices()
    {
        SiteList list;
        (void)LoadSiteList(folder(), list);
        (void)loadSiteSettings(folder(), list);
        QList<int> choices;
        for (const SiteSettings &settings : list.settings)
            choices << int(settings.encryption);
        return choices;
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
        const QByteArray siteFile = siteFileBytes(folder());
        select(0, 0);
        {
            SiteManagerDialog dialog(folder());
            // A site list from before the choice existed: TLS when the server offers it.
            QCOMPARE(get<QComboBox>(dialog, "encryption")->currentText(),
                     UiText::tr("Explicit TLS if the server offers it"));
            choose(get<QComboBox>(dialog, "encryption"), "Require explicit TLS");
            QCOMPARE(get<QLineEdit>(dialog, "port")->text(), QStringLiteral("2121"));
            get(dialog, "close")->click();
        }
        QCOMPARE(siteFileBytes(folder()), siteFile);
        QCOMPARE(savedChoices(), (QList<int>{2, 1, 1}));
        QCOMPARE(QFile(folder() + QLatin1String(siteSettingsFileName)).permissions(),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);

        // The twin of the same name keeps its own choice; implicit TLS moves it off port 21, and
        // Connect hands the choice to the login.
        select(0, 1);
        SiteManagerDialog dialog(folder());
        choose(get<QComboBox>(dialog, "encryption"), "Implicit TLS");
        QCOMPARE(get<QLineEdit>(dialog, "port")->text(), QStringLiteral("990"));
        choose(get<QComboBox>(dialog, "charset"), "Shift_JIS");
        get<QListWidget>(dialog, "siteList")->setCurrentRow(0);
        QCOMPARE(get<QComboBox>(dialog, "encryption")->currentText(), UiText::tr("Require explicit TLS"));
        QCOMPARE(get<QComboBox>(dialog, "charset")->currentText(), UiText::tr("Automatic"));
        get<QListWidget>(dialog, "siteList")->setCurrentRow(1);
        get(dialog, "connect")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const LoginFields login = loginFromSite(dialog.fields());
        QCOMPARE(login.encryption, Encryption::Implicit);
        QCOMPARE(login.charset, QByteArray("Shift_JIS"));
        QCOMPARE(login.port, 990);
        QCOMPARE(savedChoices(), (QList<int>{2, 3, 1}));
    }

    // Renaming a site and a folder, deleting a site and a folder: every remaining site keeps its
    // own choice. A line of the file that cannot be read is reported and passed over.
    void renameAndDeleteKeepChoices()
    {
        writeList();
        {
            SiteList list;
            (void)LoadSiteList(folder(), list);
            list.settings = {{Encryption::Plain}, {Encryption::Implicit}, {Encryption::ExplicitRequired}};
            QFile file(folder() + QLatin1String(siteSettingsFileName));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(siteSettingsBytes(list) + "\x01\x02\x03\n");
        }
        select(0, 0);
        guitest::ModalWatcher confirmDeletes(
            [](QWidget *box) { static_cast<QMessageBox *>(box)->button(QMessageBox::Ok)->click(); });
        {
            testsupport::LogRecorder log;
            SiteManagerDialog dialog(folder());
            QVERIFY(log.waitFor(formatText(TextId::SiteSettingsSkipped, 1, siteSettingsFileName), LogColor::Error));
            auto *sites = get<QListWidget>(dialog, "siteList");
            auto *tree = get<QTreeWidget>(dialog, "folderTree");
            tree->topLevelItem(1)->setText(0, QStringLiteral("Renamed folder"));
            tree->setCurrentItem(tree->topLevelItem(0));
            sites->setCurrentRow(1);
            sites->item(1)->setText(QStringLiteral("renamed"));
            sites->setCurrentRow(0);
            get(dialog, "deleteSite")->click();
            QTRY_COMPARE(sites->count(), 1);
            QCOMPARE(get<QComboBox>(dialog, "encryption")->currentText(), UiText::tr("Implicit TLS"));
            get(dialog, "close")->click();
        }
        QCOMPARE(savedChoices(), (QList<int>{3, 2}));

        // The first folder goes: the site of the second, renumbered, keeps its choice.
        select(0, 0);
        {
            SiteManagerDialog dialog(folder());
            get(dialog, "deleteFolder")->click();
            QTRY_COMPARE(dialog.siteList().folders.size(), size_t(1));
            get(dialog, "close")->click();
        }
        QCOMPARE(savedChoices(), (QList<int>{2}));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestSiteEncryption)
#include "tst_siteencryption.moc"
