#include "guitest.h"

#include "platform/appsettings.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "shell/generalset.h"
#include "shell/preferencesdialog.h"
#include "shell/sessionoptionspage.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString section = QString::fromLatin1(settingsstore::applSet);

int storedInt(const char *name)
{
    return settingsstore::readInt(section, QString::fromLatin1(name), -999);
}
QString storedString(const char *name)
{
    return settingsstore::readString(section, QString::fromLatin1(name), QStringLiteral("(absent)"));
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

    // Clicks a button and records the messages shown meanwhile.
    QStringList clickAndCollect(QAbstractButton *button)
    {
        QStringList messages;
        guitest::ModalWatcher watcher([&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                messages << box->text();
            qobject_cast<QDialog *>(modal)->reject();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::qWait(50);
        return messages;
    }

private slots:
    void init()
    {
        guitest::clearSettings();
        LoadSettings();
    }

    void accessKeysInBothLanguages_data()
    {
        QTest::addColumn<bool>("korean");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("retries");
        QTest::addColumn<QString>("browse");
        QTest::newRow("English") << false << "&General"
                                 << "&Number of retries:"
                                 << "&Browse...";
        QTest::newRow("Korean") << true << QString::fromUtf8("일반(&G)")
                                << QString::fromUtf8("재시도 횟수(&N):")
                                << QString::fromUtf8("찾아보기(&B)...");
    }
    void accessKeysInBothLanguages()
    {
        QFETCH(bool, korean);
        QFETCH(QString, tab);
        QFETCH(QString, retries);
        QFETCH(QString, browse);
        setLanguage(korean ? Language::Korean : Language::English);
        PreferencesDialog sheet;
        setLanguage(Language::English);
        QCOMPARE(sheet.tabs()->tabText(0), tab);
        QLabel *label = nullptr;
        for (QLabel *candidate : sheet.generalPage()->findChildren<QLabel *>())
            if (candidate->buddy() == sheet.generalPage()->retriesEdit())
                label = candidate;
        QVERIFY(label);
        QCOMPARE(label->text(), retries);
        QCOMPARE(sheet.generalPage()->browseButton()->text(), browse);
    }

    void roundTripThroughTheStore()
    {
        QTemporaryDir downloads;
        PreferencesDialog sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        CGeneralSet *general = sheet.generalPage();
        retype(general->retriesEdit(), QStringLiteral("0"));
        retype(general->retryDelayEdit(), QStringLiteral(" 90000\t"));
        retype(general->emailEdit(), QStringLiteral("me@example.org"));
        retype(general->downloadEdit(), downloads.path());
        general->keyringBox()->setChecked(true);
        QVERIFY(sheet.applyButton()->isEnabled());
        sheet.tabs()->setCurrentIndex(1);
        CSpecialSet *special = sheet.specialPage();
        QCOMPARE(sheet.tabs()->currentIndex(), 1);
        // A radio button answers clicks on its circle and label only, not across its whole row.
        QRadioButton *disconnect = special->afterTransferButton(1);
        QTest::mouseClick(disconnect, Qt::LeftButton, {}, QPoint(4, disconnect->height() / 2));
        QVERIFY(special->afterTransferButton(1)->isChecked());
        special->keepConnectionBox()->setChecked(false);
        retype(special->extensionsEdit(), QStringLiteral("TXT,MD"));
        retype(special->keepAliveEdit(), QStringLiteral("60"));
        special->soundBox()->setChecked(false);
        special->passiveBox()->setChecked(false);
        QVERIFY(!special->keepFileTimesBox()->isChecked()); // off until asked for
        special->keepFileTimesBox()->setChecked(true);
        // Typed into the box as a user would; the range holds it to 10.
        special->simultaneousBox()->selectAll();
        QTest::keyClicks(special->simultaneousBox(), QStringLiteral("12"));
        QCOMPARE(special->simultaneousBox()->value(), 1);
        special->simultaneousBox()->selectAll();
        QTest::keyClicks(special->simultaneousBox(), QStringLiteral("4"));
        QVERIFY(clickAndCollect(sheet.okButton()).isEmpty());
        QVERIFY(!sheet.isVisible());

        const AppSettings &settings = appSettings();
        QCOMPARE(settings.retryCount.load(), 0);
        QCOMPARE(settings.retryDelaySeconds.load(), 90000);
        QCOMPARE(settings.afterTransferAction.load(), 1);
        QCOMPARE(settings.passiveMode.load(), 0);
        QCOMPARE(storedInt("Retry"), 0);
        QCOMPARE(storedInt("RetryTime"), 90000);
        QCOMPARE(storedString("EMail"), QStringLiteral("me@example.org"));
        QCOMPARE(storedString("Download"), downloads.path());
        QCOMPARE(storedInt("KeepConnect"), 0);
        QCOMPARE(storedInt("Bell"), 0);
        QCOMPARE(storedInt("Passive"), 0);
        QCOMPARE(storedInt("KeepFileTime"), 1);
        QCOMPARE(settings.keepFileTimes.load(), 1);
        QCOMPARE(storedInt("KeepTime"), 60);
        QCOMPARE(storedString("AsciiFile"), QStringLiteral("TXT,MD"));
        QCOMPARE(storedInt(keyringPasswordsName), 1);
        QCOMPARE(settings.simultaneousTransfers.load(), 4);
        QCOMPARE(storedInt("Simultaneous"), 4);

        // The next start reads it all back, except the after-transfer choice of this run.
        LoadSettings();
        PreferencesDialog again;
        again.show();
        QCOMPARE(again.generalPage()->retryDelayEdit()->text(), QStringLiteral("90000"));
        QCOMPARE(again.generalPage()->downloadEdit()->text(), downloads.path());
        QVERIFY(again.generalPage()->keyringBox()->isChecked());
        again.tabs()->setCurrentIndex(1);
        QVERIFY(again.specialPage()->afterTransferButton(0)->isChecked());
        QVERIFY(!again.specialPage()->passiveBox()->isChecked());
        QVERIFY(again.specialPage()->keepFileTimesBox()->isChecked());
        QCOMPARE(again.specialPage()->extensionsEdit()->text(), QStringLiteral("TXT,MD"));
        QCOMPARE(again.specialPage()->simultaneousBox()->value(), 4);
    }

    void refusedBoxes_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString retryRange = QStringLiteral("Please enter an integer between 0 and 100.");
        const QString delayRange = QStringLiteral("Please enter an integer between 0 and 60.");
        const QString positive = QStringLiteral("Please enter a positive integer.");
        QTest::newRow("101 retries") << 0 << "retries"
                                     << "101" << retryRange;
        QTest::newRow("0 retries") << 0 << "retries"
                                   << "0"
                                   << "";
        QTest::newRow("retries with blanks") << 0 << "retries"
                                             << " \t7 "
                                             << "";
        QTest::newRow("retries empty") << 0 << "retries"
                                       << "" << positive;
        QTest::newRow("retries with plus") << 0 << "retries"
                                           << "+5" << positive;
        QTest::newRow("retries letters") << 0 << "retries"
                                         << "5a" << positive;
        QTest::newRow("retries past any int") << 0 << "retries"
                                              << "99999999999999999999" << retryRange;
        QTest::newRow("retry delay -1") << 0 << "retryDelay"
                                        << "-1" << positive;
        QTest::newRow("retry delay 90001") << 0 << "retryDelay"
                                           << "90001"
                                           << "Please enter an integer between 0 and 90000.";
        QTest::newRow("e-mail too long")
            << 0 << "email" << QString(257, QLatin1Char('a')) << "Please enter no more than 256 characters.";
        QTest::newRow("empty e-mail") << 0 << "email"
                                      << ""
                                      << "";
        QTest::newRow("keep-alive 61") << 1 << "keepAlive"
                                       << "61" << delayRange;
        QTest::newRow("keep-alive 0") << 1 << "keepAlive"
                                      << "0"
                                      << "";
        QTest::newRow("keep-alive -1") << 1 << "keepAlive"
                                       << "-1" << delayRange;
        QTest::newRow("keep-alive letters") << 1 << "keepAlive"
                                            << "x"
                                            << "Please enter an integer.";
        QTest::newRow("extensions too long") << 1 << "asciiExtensions" << QString(257, QLatin1Char('E'))
                                             << "Please enter no more than 256 characters.";
    }
    void refusedBoxes()
    {
        QFETCH(int, page);
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        PreferencesDialog sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        sheet.tabs()->setCurrentIndex(page);
        auto *edit = sheet.tabs()->widget(page)->findChild<QLineEdit *>(box);
        QVERIFY(edit);
        edit->setText(text);
        const QStringList messages =
            clickAndCollect(sheet.applyButton()->isEnabled() ? sheet.applyButton() : sheet.okButton());
        if (message.isEmpty()) {
            QCOMPARE(messages, QStringList());
            return;
        }
        QCOMPARE(messages, QStringList{message});
        QVERIFY(sheet.isVisible());
        QCOMPARE(sheet.tabs()->currentIndex(), page);
        QCOMPARE(sheet.focusWidget(), edit);
        // Nothing was taken over.
        QCOMPARE(storedInt("Retry"), -999);
        QCOMPARE(storedInt("KeepTime"), -999);
    }

    // Leaving a page checks it; the refused page stays in front, the other is never applied.
    void leavingAPageChecksIt()
    {
        PreferencesDialog sheet;
        sheet.show();
        sheet.generalPage()->retriesEdit()->setText(QStringLiteral("101"));
        QStringList messages;
        {
            guitest::ModalWatcher watcher([&](QWidget *modal) {
                messages << qobject_cast<QMessageBox *>(modal)->text();
                qobject_cast<QDialog *>(modal)->reject();
            });
            sheet.tabs()->setCurrentIndex(1);
            QTest::qWait(50);
        }
        QCOMPARE(messages.size(), 1);
        QCOMPARE(sheet.tabs()->currentIndex(), 0);
        sheet.generalPage()->retriesEdit()->setText(QStringLiteral("4"));
        sheet.reject();
        QCOMPARE(appSettings().retryCount.load(), 3);
        QCOMPARE(storedInt("Retry"), -999);
    }

    void applyThenCancelKeepsWhatWasApplied()
    {
        PreferencesDialog sheet;
        sheet.show();
        QVERIFY(!sheet.applyButton()->isEnabled());
        retype(sheet.generalPage()->retriesEdit(), QStringLiteral("9"));
        QVERIFY(clickAndCollect(sheet.applyButton()).isEmpty());
        QVERIFY(sheet.isVisible());
        QVERIFY(!sheet.applyButton()->isEnabled());
        retype(sheet.generalPage()->retriesEdit(), QStringLiteral("10"));
        sheet.reject();
        QCOMPARE(appSettings().retryCount.load(), 9);
        QCOMPARE(storedInt("Retry"), 9);
        // The Special page was never shown, so nothing of it was written.
        QCOMPARE(storedInt("Passive"), -999);
    }

    void browsingThenCancellingChangesNothing()
    {
        QTemporaryDir picked;
        const QString before = appSettings().downloadFolder;
        PreferencesDialog sheet;
        sheet.show();
        sheet.generalPage()->downloadEdit()->setText(QStringLiteral("/typed/but/not/confirmed"));
        QString pickerStart;
        {
            guitest::ModalWatcher watcher([&](QWidget *modal) {
                auto *picker = qobject_cast<QFileDialog *>(modal);
                pickerStart = picker->directory().absolutePath();
                picker->setDirectory(picked.path());
                static_cast<QDialog *>(picker)->accept();
            });
            QTest::mouseClick(sheet.generalPage()->browseButton(), Qt::LeftButton);
            QTest::qWait(50);
        }
        // The picker opens on the folder in force, not on the typed text.
        QCOMPARE(pickerStart, QDir(before).absolutePath());
        QCOMPARE(sheet.generalPage()->downloadEdit()->text(), picked.path());
        sheet.reject();
        QCOMPARE(appSettings().downloadFolder, before);
        QCOMPARE(storedString("Download"), QStringLiteral("(absent)"));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
