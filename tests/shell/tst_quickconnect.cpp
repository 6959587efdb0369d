#include "ftpserver.h"
#include "guitest.h"

#include "platform/settingsstore.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "session/lastsession.h"
#include "session/sessioncontroller.h"
#include "shell/mainframe.h"
#include "shell/passwordpromptdialog.h"
#include "shell/quickconnectbar.h"
#include "shell/startarguments.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <memory>

Q_DECLARE_METATYPE(Encryption)

// Connecting without a stored site: from the quick-connect bar, and from the program's argument.
class TestQuickConnect : public QObject
{
    Q_OBJECT

    static QString storedRecent()
    {
        return settingsstore::readString(QLatin1String(settingsstore::applSet), QStringLiteral("RecentAddresses"),
                                         {});
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3")); }
    void init() { guitest::clearSettings(); }

    void startArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode"); // -1: the program starts
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("host");
        QTest::addColumn<Encryption>("encryption");
        QTest::addColumn<QString>("error");
        const QString none;
        const auto plain = Encryption::Plain;
        QTest::addRow("nothing") << QStringList{} << -1 << none << none << plain << none;
        QTest::addRow("version") << QStringList{"--version"} << 0 << "Tidewell 1.2.3\n" << none << plain << none;
        QTest::addRow("help") << QStringList{"--help"} << 0 << "--version" << none << plain << none;
        QTest::addRow("unknown option") << QStringList{"--frobnicate"} << 2 << none << none << plain << none;
        QTest::addRow("two addresses") << QStringList{"a", "b"} << 2 << none << none << plain << none;
        QTest::addRow("URL") << QStringList{"ftpes://bob@files.example/pub"} << -1 << none << "files.example"
                             << Encryption::ExplicitRequired << none;
        QTest::addRow("host name") << QStringList{"files.example"} << -1 << none << "files.example"
                                   << Encryption::ExplicitIfOffered << none;
        QTest::addRow("refused URL") << QStringList{"ftp://files.example:0"} << -1 << none << none << plain
                                     << loadText(TextId::AddressBadPort);
    }

    void startArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, host);
        QFETCH(QString, error);
        const StartArguments start = parseStartArguments(QStringList{QStringLiteral("tidewell")} + arguments);
        QCOMPARE(start.exitCode.value_or(-1), exitCode);
        QVERIFY(start.output.contains(output));
        QCOMPARE(start.output.isEmpty(), exitCode == -1);
        QCOMPARE(start.login.has_value(), !host.isEmpty());
        if (start.login) {
            QCOMPARE(start.login->serverHost, host);
            QTEST(start.login->encryption, "encryption");
        }
        QCOMPARE(start.error, error);
    }

    // The whole road from the bar: the boxes filled as a user would, Connect, a logged-in session
    // on the real server, the address kept without its password; then an address refused.
    void barConnectsToRealServer()
    {
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        auto frame = std::make_unique<CMainFrame>();
        {
            guitest::ModalWatcher closeSiteManager;
            frame->show();
            QTRY_COMPARE(closeSiteManager.seen, QStringList{QStringLiteral("SiteManagerDialog")});
        }

        auto *bar = frame->findChild<QuickConnectBar *>();
        QVERIFY(bar);
        QCOMPARE(frame->toolBarArea(bar), Qt::TopToolBarArea);
        QVERIFY(frame->toolBarBreak(bar));
        // Every box has a label whose access key reaches it, in the order Tab goes.
        auto *host = bar->findChild<QComboBox *>(QStringLiteral("quickHost"));
        auto *user = bar->findChild<QLineEdit *>(QStringLiteral("quickUser"));
        auto *password = bar->findChild<QLineEdit *>(QStringLiteral("quickPassword"));
        auto *port = bar->findChild<QLineEdit *>(QStringLiteral("quickPort"));
        auto *connect = bar->findChild<QPushButton *>(QStringLiteral("quickConnect"));
        QList<QWidget *> buddies;
        for (QLabel *label : bar->findChildren<QLabel *>())
            buddies << (label->text().contains(QLatin1Char('&')) ? label->buddy() : nullptr);
        QCOMPARE(buddies, (QList<QWidget *>{host, user, password, port}));
        QList<QWidget *> tabOrder;
        for (QWidget *w = host->nextInFocusChain(); w != host && tabOrder.size() < 4; w = w->nextInFocusChain())
            if (QList<QWidget *>{user, password, port, connect}.contains(w))
                tabOrder << w;
        QCOMPARE(tabOrder, (QList<QWidget *>{user, password, port, connect}));

        QTest::keyClicks(host->lineEdit(), QStringLiteral("127.0.0.1"));
        QTest::keyClicks(user, QString::fromLatin1(testsupport::FtpServer::user));
        QTest::keyClicks(password, QString::fromLatin1(testsupport::FtpServer::password));
        QTest::keyClicks(port, QString::number(server.port()));
        connect->click();
        SessionController *controller = frame->controller();
        QTRY_VERIFY_WITH_TIMEOUT(controller->connected(), 20000);
        QCOMPARE(controller->login().encryption, Encryption::ExplicitIfOffered);
        QTRY_VERIFY(guitest::logText(frame.get()).contains(QStringLiteral("PASS xxxxxx")));
        // The next start's Connect protects the session as this one did.
        QTRY_COMPARE(readLastSession().encryption, Encryption::ExplicitIfOffered);

        const QString kept = QStringLiteral("tester@127.0.0.1:%1").arg(server.port());
        QCOMPARE(QuickConnectBar::recentAddresses(), QStringList{kept});
        QVERIFY(!storedRecent().contains(QLatin1String(testsupport::FtpServer::password)));
        QCOMPARE(host->itemText(0), kept);
        controller->disconnect();
        QVERIFY(!controller->connected());

        // A refused address says why and starts nothing.
        QStringList messages;
        guitest::ModalWatcher answer([&messages](QWidget *box) {
            messages << static_cast<QMessageBox *>(box)->text();
            static_cast<QMessageBox *>(box)->accept();
        });
        host->setEditText(QStringLiteral("ftp://127.0.0.1:0"));
        QTest::keyClick(host->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE(messages, QStringList{loadText(TextId::AddressBadPort).trimmed()});
        QVERIFY(!controller->busy() && !controller->connected());
        frame.reset();
    }

    // The program started with a URL connects at once instead of opening the Site Manager, and asks
    // for the password the URL does not hold.
    void commandLineConnectsAtStart()
    {
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        QVERIFY(QDir(server.root()).mkpath(QStringLiteral("pub")));
        const StartArguments start = parseStartArguments(
            {QStringLiteral("tidewell"), QStringLiteral("ftp://tester@127.0.0.1:%1/pub").arg(server.port())});
        QVERIFY(start.login && !start.exitCode);

        guitest::ModalWatcher answer([](QWidget *dialog) {
            if (auto *prompt = qobject_cast<PasswordPromptDialog *>(dialog)) {
                prompt->passwordEdit()->setText(QString::fromLatin1(testsupport::FtpServer::password));
                prompt->accept();
            } else if (auto *other = qobject_cast<QDialog *>(dialog)) {
                other->reject();
            }
        });
        auto frame = std::make_unique<CMainFrame>(nullptr, start.login);
        frame->show();
        QTRY_VERIFY_WITH_TIMEOUT(frame->controller()->connected(), 20000);
        QCOMPARE(answer.seen, QStringList{QStringLiteral("PasswordPromptDialog")});
        QTRY_VERIFY(guitest::logText(frame.get()).contains(QStringLiteral("CWD /pub")));
        QVERIFY(frame->controller()->login().password.isEmpty());
        frame.reset();
    }
};

TIDEWELL_GUI_TEST_MAIN(TestQuickConnect)
#include "tst_quickconnect.moc"
