#include "platform/durations.h"
#include "platform/workerstop.h"
#include "shell/aftertransferdialog.h"
#include "shell/existingfiledialog.h"
#include "shell/renametargetdialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

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
