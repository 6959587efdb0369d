#include "shell/passwordpromptdialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestPasswordPromptDialog : public QObject
{
    Q_OBJECT
private slots:
    void masksAndLimitsTheText()
    {
        PasswordPromptDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Enter your password"));
        QCOMPARE(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
        QTest::keyClicks(dialog.passwordEdit(), QString(200, QLatin1Char('p')));
        QCOMPARE(dialog.password().size(), 150);
    }

    void hookReturnsTheTypedTextOrNothing_data()
    {
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("OK") << true << std::optional<QString>(QStringLiteral("s3cret"));
        QTest::newRow("closed") << false << std::optional<QString>();
    }

    void hookReturnsTheTypedTextOrNothing()
    {
        QFETCH(bool, pressOk);
        QFETCH(std::optional<QString>, expected);
        QTimer::singleShot(0, this, [pressOk] {
            auto *dialog = qobject_cast<PasswordPromptDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->passwordEdit(), QStringLiteral("s3cret"));
            if (pressOk)
                dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            else
                dialog->reject();
        });
        QCOMPARE(askPasswordWithDialog(), expected);
    }
};

QTEST_MAIN(TestPasswordPromptDialog)
#include "tst_passwordpromptdialog.moc"
