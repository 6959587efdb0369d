#include "engine/listingparser.h"
#include "platform/durations.h"
#include "platform/strings.h"
#include "platform/workerstop.h"
#include "shell/aftertransferdialog.h"
#include "shell/existingfiledialog.h"
#include "shell/renametargetdialog.h"
#include "shell/unverifiedresumedialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <tuple>

using namespace std::chrono_literals;

namespace
{

// With TIDEWELL_SCREENSHOTS naming a folder, the dialog as shown is saved there as a PNG.
void saveScreenshot(QWidget *dialog, const QString &name)
{
    const QString folder = qEnvironmentVariable("TIDEWELL_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY(dialog->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    dialog->hide();
}

} // namespace

class TestTransferDialogs : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        durations::resetForTest();
        workerstop::clear();
    }

    void existingFileAnswers_data()
    {
        QTest::addColumn<bool>("resumePossible");
        QTest::addColumn<bool>("tickAll");
        QTest::addColumn<QString>("press"); // empty: left to time out
        QTest::addColumn<int>("choice");
        QTest::addRow("resume") << true << false << "resume" << int(ExistingFileAnswer::Resume);
        QTest::addRow("skip all") << false << true << "skip" << int(ExistingFileAnswer::Skip);
        QTest::addRow("rename") << false << false << "rename" << int(ExistingFileAnswer::Rename);
        QTest::addRow("time-out resumes, All as it stands")
            << false << true << "" << int(ExistingFileAnswer::Resume);
    }
    void existingFileAnswers()
    {
        QFETCH(bool, resumePossible);
        QFETCH(bool, tickAll);
        QFETCH(QString, press);
        QFETCH(int, choice);
        durations::setForTest(durations::Kind::DialogTimeout, press.isEmpty() ? 50ms : 60s);
        ExistingFileDialog dialog(QStringLiteral("a.bin"), false, resumePossible);
        QCOMPARE(dialog.messageLabel()->text(), QStringLiteral("The file a.bin already exists."));
        QCOMPARE(dialog.resumeButton()->isEnabled(), resumePossible);
        dialog.allBox()->setChecked(tickAll);
        // "All" may govern later files for which resume is possible.
        QCOMPARE(dialog.resumeButton()->isEnabled(), resumePossible || tickAll);
        QTimer::singleShot(0, &dialog, [&] {
            if (press == "resume")
                dialog.resumeButton()->click();
            else if (press == "skip")
                dialog.skipButton()->click();
            else if (press == "rename")
                dialog.renameButton()->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.answer(), (ExistingFileAnswer{ExistingFileAnswer::Choice(choice), tickAll}));
    }

    // Resume says it was verified only when the check passed.
    void resumeSaysVerified()
    {
        for (const bool verified : {false, true}) {
            ExistingFileFacts facts;
            facts.resumeVerified = verified;
            ExistingFileDialog dialog(QStringLiteral("a.bin"), false, verified, facts);
            QCOMPARE(dialog.resumeButton()->text(), verified ? QStringLiteral("Resume (verified)") : QStringLiteral("Resume"));
        }
    }

    // After a failed check: from the start again (also by itself) or skip, with "All".
    void unverifiedResumeAnswers_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("tickAll");
        QTest::addColumn<QString>("press"); // empty: left to time out
        QTest::addColumn<int>("choice");
        QTest::addRow("download again") << false << false << "again" << int(ExistingFileAnswer::Overwrite);
        QTest::addRow("skip all uploads") << true << true << "skip" << int(ExistingFileAnswer::Skip);
        QTest::addRow("time-out starts again") << false << true << "" << int(ExistingFileAnswer::Overwrite);
    }
    void unverifiedResumeAnswers()
    {
        QFETCH(bool, upload);
        QFETCH(bool, tickAll);
        QFETCH(QString, press);
        QFETCH(int, choice);
        durations::setForTest(durations::Kind::DialogTimeout, press.isEmpty() ? 50ms : 60s);
        UnverifiedResumeDialog dialog(QStringLiteral("a.bin"), upload);
        QCOMPARE(dialog.againButton()->text(), upload ? QStringLiteral("Upload again from the start")
                                                      : QStringLiteral("Download again from the start"));
        QVERIFY(dialog.againButton()->isDefault());
        dialog.allBox()->setChecked(tickAll);
        QTimer::singleShot(0, &dialog, [&] {
            if (press == "again")
                dialog.againButton()->click();
            else if (press == "skip")
                dialog.skipButton()->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.answer(), (ExistingFileAnswer{ExistingFileAnswer::Choice(choice), tickAll}));
    }

    // The question sets the two files side by side, in the user's language; what is not known
    // says so.
    void existingFileShowsBothFiles_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QStringList>("captions"); // existing, incoming, not known
        QTest::addRow("english") << int(Language::English) << "1,234 bytes   2026-12-01 10:00"
                                 << "5,000,000,000 bytes"
                                 << QStringList{"Existing file:", "New file:", "not known"};
        QTest::addRow("korean") << int(Language::Korean)
                                << QString::fromUtf8("1,234바이트   2026-12-01 10:00")
                                << QString::fromUtf8("5,000,000,000바이트")
                                << QStringList{QString::fromUtf8("기존 파일:"), QString::fromUtf8("새 파일:"),
                                               QString::fromUtf8("알 수 없음")};
    }
    void existingFileShowsBothFiles()
    {
        QFETCH(int, language);
        QFETCH(QString, existing);
        QFETCH(QString, incoming);
        QFETCH(QStringList, captions);
        setLanguage(Language(language));
        const ExistingFileFacts facts{{1234, QStringLiteral("2026-12-01 10:00")},
                                      {Q_INT64_C(5000000000), {}}};
        ExistingFileDialog dialog(QStringLiteral("report.pdf"), false, true, facts);
        QCOMPARE(dialog.existingFileLabel()->text(), existing);
        QCOMPARE(dialog.incomingFileLabel()->text(), incoming);
        auto *files = dialog.findChild<QFormLayout *>();
        QVERIFY(files);
        QCOMPARE(qobject_cast<QLabel *>(files->labelForField(dialog.existingFileLabel()))->text(),
                 captions[0]);
        QCOMPARE(qobject_cast<QLabel *>(files->labelForField(dialog.incomingFileLabel()))->text(),
                 captions[1]);
        QCOMPARE(ExistingFileDialog::factsText({}), captions[2]);
        saveScreenshot(&dialog,
                       QStringLiteral("existing-file-%1").arg(QString::fromLatin1(QTest::currentDataTag())));
        RenameTargetDialog rename("/home/ann/report.pdf");
        saveScreenshot(&rename,
                       QStringLiteral("rename-target-%1").arg(QString::fromLatin1(QTest::currentDataTag())));
        setLanguage(Language::English);
    }

    // The facts the transfer gathers: a local file by its status, a remote one from the listing.
    void fileFacts_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("date");
        QTest::addRow("listed") << QByteArray("a.bin") << qint64(1234567) << "2026-11-30 09:15";
        QTest::addRow("other case") << QByteArray("A.BIN") << qint64(1234567) << "2026-11-30 09:15";
        QTest::addRow("a link") << QByteArray("l.bin") << qint64(12) << "2026-01-02 03:04";
        QTest::addRow("not listed") << QByteArray("b.bin") << qint64(-1) << QString();
    }
    void fileFacts()
    {
        QFETCH(QByteArray, name);
        QFETCH(qint64, size);
        QFETCH(QString, date);
        FileRows rows;
        for (const auto &[listed, sizeText, dateText] :
             {std::tuple{"a.bin", "1,234,567", "2026-11-30 09:15"},
              std::tuple{"l.bin -> target", "12", "2026-01-02 03:04"}}) {
            FileRow row;
            row.texts[NameColumn] = QString::fromLatin1(listed);
            row.texts[SizeColumn] = QString::fromLatin1(sizeText);
            row.texts[DateTimeColumn] = QString::fromLatin1(dateText);
            rows.push_back(row);
        }
        QCOMPARE(listedFileFacts(rows, name), (FileFacts{size, date}));
        // A local file: its size, and a date as the local pane would show it.
        QTemporaryDir dir;
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("local.bin")));
        QFile file(QString::fromUtf8(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(4321));
        file.close();
        const FileFacts local = localFileFacts(path);
        QCOMPARE(local.size, qint64(4321));
        QVERIFY(!local.date.isEmpty());
        QCOMPARE(localFileFacts(path + ".missing"), FileFacts{});
    }

    // The rename box says what it asks for, and Cancel goes back without a path.
    void renameBoxLabelAndCancel()
    {
        RenameTargetDialog dialog("/tmp/a.bin");
        auto *label = dialog.findChild<QLabel *>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("New name:"));
        QCOMPARE(label->buddy(), dialog.pathEdit());
        dialog.pathEdit()->setText(QStringLiteral("/tmp/b.bin"));
        QTimer::singleShot(0, &dialog, [&] { dialog.cancelButton()->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }

    void renameNeedsAnotherPath()
    {
        RenameTargetDialog dialog("/tmp/a.bin");
        dialog.show();
        dialog.accept();
        QVERIFY(dialog.isVisible());
        dialog.pathEdit()->setText(QStringLiteral("/tmp/b.bin"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.path(), QByteArray("/tmp/b.bin"));
    }

    void afterTransferSaysYesByItself_data()
    {
        QTest::addColumn<int>("action");
        QTest::addRow("disconnect") << int(AfterTransferAction::Disconnect);
        QTest::addRow("shut down") << int(AfterTransferAction::Shutdown);
    }
    void afterTransferSaysYesByItself()
    {
        QFETCH(int, action);
        durations::setForTest(durations::Kind::DialogTimeout, 50ms);
        QVERIFY(confirmAfterTransferWithDialog(AfterTransferAction(action)));
    }

    void afterTransferNamesTheComputer_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::newRow("English") << int(Language::English) << QStringLiteral("Shut down the computer");
        QTest::newRow("Korean") << int(Language::Korean) << QStringLiteral("컴퓨터 종료");
    }
    void afterTransferNamesTheComputer()
    {
        QFETCH(int, language);
        QFETCH(QString, title);
        setLanguage(Language(language));
        const auto english = qScopeGuard([] { setLanguage(Language::English); });
        AfterTransferDialog dialog(AfterTransferAction::Shutdown);
        QCOMPARE(dialog.windowTitle(), title);
        const auto labels = dialog.findChildren<QLabel *>();
        QCOMPARE(labels.size(), 1);
        QVERIFY(labels.front()->text().contains(title.contains(QLatin1String("computer"))
                                                    ? QStringLiteral("Shut down the computer now?")
                                                    : QStringLiteral("컴퓨터를 종료")));
        QVERIFY(!labels.front()->text().contains(QLatin1String("Windows")));
    }

    // A stopped worker waits for no answer: its question closes without one.
    void stopClosesTheQuestion()
    {
        ExistingFileDialog dialog(QStringLiteral("a.bin"), true, true);
        QTimer::singleShot(0, [] { workerstop::request(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.answer().choice, ExistingFileAnswer::None);
    }
};

QTEST_MAIN(TestTransferDialogs)
#include "tst_transferdialogs.moc"
