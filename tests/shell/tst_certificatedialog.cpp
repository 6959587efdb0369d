#include "guitest.h"
#include "tlsftpserver.h"

#include "platform/durations.h"
#include "platform/strings.h"
#include "session/knowncertificates.h"
#include "session/sessioncontroller.h"
#include "shell/certificatedialog.h"
#include "shell/mainframe.h"
#include "shell/progressstatusbar.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <memory>

using testsupport::TlsFtpServer;

namespace
{

CertificateFacts sampleFacts()
{
    CertificateFacts facts;
    facts.host = QStringLiteral("ftp.example.org");
    facts.port = 21;
    facts.subject = QStringLiteral("CN = <b>ftp.example.org</b>");
    facts.issuer = QStringLiteral("CN = Someone");
    facts.validFrom = QStringLiteral("2026-01-01 00:00:00 UTC");
    facts.validUntil = QStringLiteral("2027-01-01 00:00:00 UTC");
    facts.reason = QStringLiteral("self-signed certificate");
    facts.fingerprint = QByteArray(95, 'A');
    return facts;
}

LoginFields loginTo(quint16 port)
{
    LoginFields login;
    login.serverHost = QStringLiteral("127.0.0.1");
    login.port = port;
    login.userName = QStringLiteral("tester");
    login.password = QStringLiteral("secret");
    login.encryption = Encryption::ExplicitRequired;
    return login;
}

} // namespace

class TestCertificateDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setLanguage(Language::English); }
    void cleanup() { durations::resetForTest(); }

    // Each way out gives its answer; Cancel is the default, Escape's and the time-out's.
    void answers_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<CertificateAnswer>("expected");
        QTest::newRow("Trust always") << "always" << CertificateAnswer::TrustAlways;
        QTest::newRow("Trust once") << "once" << CertificateAnswer::TrustOnce;
        QTest::newRow("Cancel") << "cancel" << CertificateAnswer::Cancel;
        QTest::newRow("Enter takes the default") << "enter" << CertificateAnswer::Cancel;
        QTest::newRow("Escape") << "escape" << CertificateAnswer::Cancel;
        QTest::newRow("time-out") << "wait" << CertificateAnswer::Cancel;
    }
    void answers()
    {
        QFETCH(QString, action);
        QFETCH(CertificateAnswer, expected);
        durations::setForTest(durations::Kind::DialogTimeout, std::chrono::milliseconds(300));
        QTimer::singleShot(50, this, [action] {
            auto *dialog = qobject_cast<CertificateDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (action == QLatin1String("always"))
                dialog->trustAlwaysButton()->click();
            else if (action == QLatin1String("once"))
                dialog->trustOnceButton()->click();
            else if (action == QLatin1String("cancel"))
                dialog->cancelButton()->click();
            else if (action == QLatin1String("enter"))
                QTest::keyClick(dialog, Qt::Key_Return);
            else if (action == QLatin1String("escape"))
                QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(askCertificateWithDialog(sampleFacts(), false), expected);
    }

    // Both variants say "certificate" in the title and show every fact as plain text.
    void showsTheFacts_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("warning");
        QTest::newRow("not verified") << false << "could not be verified";
        QTest::newRow("changed") << true << "intercepting";
    }
    void showsTheFacts()
    {
        QFETCH(bool, changed);
        QFETCH(QString, warning);
        const CertificateFacts facts = sampleFacts();
        CertificateDialog dialog(facts, changed);
        QVERIFY(dialog.windowTitle().contains(QStringLiteral("certificate"), Qt::CaseInsensitive));
        QVERIFY(dialog.messageLabel()->text().contains(warning));
        QVERIFY(dialog.cancelButton()->isDefault());
        QStringList shown;
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            shown << label->text();
            if (label->text() == facts.subject)
                QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        for (const QString &fact : {facts.subject, facts.issuer, facts.validFrom, facts.validUntil, facts.reason,
                                    QString::fromLatin1(facts.fingerprint)})
            QVERIFY2(shown.contains(fact), qPrintable(fact));
        QCOMPARE(dialog.trustAlwaysButton()->text(), QStringLiteral("&Trust always"));
        QCOMPARE(dialog.trustOnceButton()->text(), QStringLiteral("Trust &once"));
    }

    // Through the real window: a self-signed server is asked about, trusted always, remembered
    // in the data folder and not asked about again; the same host with another certificate gets
    // the warning, and Cancel leaves it unconnected. The status bar says when the session is
    // encrypted.
    void trustAlwaysThenChanged()
    {
        TlsFtpServer server(TlsFtpServer::Mode::Explicit, QStringLiteral("selfsigned"));
        QVERIFY(server.isRunning());
        int asked = 0;
        bool changedAsked = false;
        QString answer = QStringLiteral("always");
        guitest::ModalWatcher watcher([&](QWidget *dialog) {
            auto *question = qobject_cast<CertificateDialog *>(dialog);
            if (!question) {
                qobject_cast<QDialog *>(dialog)->reject();
                return;
            }
            ++asked;
            changedAsked = question->messageLabel()->text().contains(QStringLiteral("intercepting"));
            if (answer == QLatin1String("always"))
                question->trustAlwaysButton()->click();
            else
                question->cancelButton()->click();
        });
        auto frame = std::make_unique<CMainFrame>();
        frame->show();
        SessionController *controller = frame->controller();
        controller->connectTo(loginTo(server.port()));
        QTRY_VERIFY_WITH_TIMEOUT(controller->connected() && !controller->busy(), 20000);
        QCOMPARE(asked, 1);
        QTRY_COMPARE(frame->progressBar()->encryptionText(), QStringLiteral("Encrypted (TLS)"));
        const QString known = KnownCertificates::defaultPath();
        QVERIFY(QFile::exists(known));
        QCOMPARE(int(QFile::permissions(known) & (QFile::ReadGroup | QFile::ReadOther)), 0);
        controller->disconnect();
        QTRY_COMPARE(frame->progressBar()->encryptionText(), QStringLiteral(" "));

        controller->connectTo(loginTo(server.port()));
        QTRY_VERIFY_WITH_TIMEOUT(controller->connected() && !controller->busy(), 20000);
        QCOMPARE(asked, 1);
        controller->disconnect();

        // The remembered certificate is not the one the server now shows.
        KnownCertificates other;
        QVERIFY(other.remember(QStringLiteral("127.0.0.1"), server.port(), fingerprintWithDigit('7')));
        QVERIFY(other.save(known));
        answer = QStringLiteral("cancel");
        controller->connectTo(loginTo(server.port()));
        const bool answered = QTest::qWaitFor([&] { return asked == 2 && !controller->busy(); }, 20000);
        if (!answered)
            qDebug().noquote() << guitest::logText(frame.get()) << watcher.seen;
        QVERIFY(answered);
        QVERIFY(changedAsked);
        QVERIFY(!controller->connected());
        QTRY_VERIFY(guitest::logText(frame.get()).contains(QStringLiteral("certificate was not accepted")));
        // A refused certificate is not asked about again by the reconnect attempts.
        QTest::qWait(200);
        QCOMPARE(asked, 2);
        // What the user trusted stays as it was.
        QCOMPARE(KnownCertificates::load(known).serialized(), other.serialized());
    }

private:
    static QByteArray fingerprintWithDigit(char digit)
    {
        QByteArray pairs;
        for (int i = 0; i < 32; ++i)
            pairs += QByteArray(i ? ":" : "") + digit + digit;
        return pairs;
    }
};

TIDEWELL_GUI_TEST_MAIN(TestCertificateDialog)
#include "tst_certificatedialog.moc"
