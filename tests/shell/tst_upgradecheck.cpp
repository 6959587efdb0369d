#include "guitest.h"
#include "httpserver.h"
#include "sessionreset.h"

#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "shell/checkforupgrade.h"
#include "shell/updatedialog.h"
#include "shell/upgradecheck.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

using testsupport::LogRecorder;

namespace
{

// Stands in for the browser: records every address the program hands to the desktop.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    UrlRecorder()
    {
        for (const char *scheme : {"http", "https", "file", "ftp"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlRecorder() override
    {
        for (const char *scheme : {"http", "https", "file", "ftp"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

// What the user was shown at the end of a check.
struct Outcome {
    QString dialog; // "UpdateDialog" or "QMessageBox"
    QString text;   // the message box's text, or the update dialog's version and release
    bool done = false;
};

} // namespace

class TestUpgradeCheck : public QObject
{
    Q_OBJECT

    testsupport::HttpServer server_;

    // Runs the check as the menu command does and answers whatever it shows with `answer`.
    Outcome runCheck(const QUrl &address, const std::function<void(QWidget *)> &answer = {})
    {
        Outcome outcome;
        guitest::ModalWatcher watcher([&](QWidget *modal) {
            outcome.dialog = QString::fromLatin1(modal->metaObject()->className());
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                outcome.text = box->text();
            if (auto *update = qobject_cast<UpdateDialog *>(modal))
                outcome.text =
                    update->versionLabel()->text() + QLatin1Char(' ') + update->releaseLabel()->text();
            if (answer)
                answer(modal);
            else
                qobject_cast<QDialog *>(modal)->reject();
            outcome.done = true;
        });
        CheckForUpgrade(nullptr, address);
        (void)QTest::qWaitFor([&] { return outcome.done; }, 30000);
        return outcome;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(server_.isRunning());
        UpgradeCheck::setTimeLimitForTest(std::chrono::seconds(3));
    }

    // One row per answer of the web site: what the user is shown, and the reason in the log.
    void outcomes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("logged");
        const QString message = QStringLiteral("QMessageBox");
        const QString update = QStringLiteral("UpdateDialog");
        const QString cannot = loadText(TextId::CannotConnectToHomepage);
        QTest::newRow("same version and date")
            << "/files/version.txt" << QByteArray("VERSION: 000602\nRELEASE: 2000-10-26\n") << message
            << loadText(TextId::NoUpgradedVersion) << "";
        QTest::newRow("later date, CRLF")
            << "/files/version.txt" << QByteArray("VERSION: 000602\r\nRELEASE: 2000-11-01\r\n") << update
            << "000602 2000-11-01"
            << "";
        QTest::newRow("higher version wins")
            << "/files/version.txt" << QByteArray("VERSION: 000700\nRELEASE: 1999-01-01\n") << update
            << "000700 1999-01-01"
            << "";
        QTest::newRow("later date alone")
            << "/files/version.txt" << QByteArray("VERSION: 000500\nRELEASE: 2000/11/01\n") << update
            << "000500 2000/11/01"
            << "";
        QTest::newRow("lower version without a date")
            << "/files/version.txt" << QByteArray("VERSION: 000601\n") << message
            << loadText(TextId::NoUpgradedVersion) << "";
        QTest::newRow("redirection not followed") << "/redirect" << QByteArray("VERSION: 000900\n") << message
                                                  << cannot << formatText(TextId::VersionFileHttpStatus, 302);
        QTest::newRow("not found") << "/status/404" << QByteArray() << message << cannot
                                   << formatText(TextId::VersionFileHttpStatus, 404);
        QTest::newRow("endless body")
            << "/endless" << QByteArray() << message << cannot
            << formatText(TextId::VersionFileTooLarge, int(UpgradeCheck::sizeLimit));
        QTest::newRow("binary") << "/files/version.txt" << QByteArray("VERSION: 000603\n\0\x01\xff", 19)
                                << message << cannot << formatText(TextId::VersionFileNotText);
        // The cap itself is accepted, with a length and without one (read as it arrives).
        QByteArray atCap = "VERSION: 000602\nRELEASE: 2000-10-26\n";
        while (atCap.size() < UpgradeCheck::sizeLimit)
            atCap +=
                QByteArray(std::min<qsizetype>(63, UpgradeCheck::sizeLimit - atCap.size() - 1), '.') + '\n';
        const QString tooLarge = formatText(TextId::VersionFileTooLarge, int(UpgradeCheck::sizeLimit));
        for (const QString &path :
             {QStringLiteral("/files/version.txt"), QStringLiteral("/unsized/version.txt")}) {
            QTest::addRow("body at the cap, %s", qPrintable(path))
                << path << atCap << message << loadText(TextId::NoUpgradedVersion) << "";
            QTest::addRow("body one byte over the cap, %s", qPrintable(path))
                << path << atCap + '\n'
                << message << cannot << tooLarge;
        }
        QTest::newRow("a page without the lines")
            << "/files/version.txt" << QByteArray("<html><body>Sign in</body></html>") << message << cannot
            << formatText(TextId::VersionFileEmpty);
    }
    void outcomes()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(QString, dialog);
        QFETCH(QString, text);
        QFETCH(QString, logged);
        QVERIFY(server_.serve(QStringLiteral("version.txt"), content));
        LogRecorder log;
        const Outcome outcome = runCheck(server_.url(path));
        QCOMPARE(outcome.dialog, dialog);
        QCOMPARE(outcome.text, text);
        if (!logged.isEmpty())
            QVERIFY(log.waitFor(logged, LogColor::Error));
        else
            QVERIFY(!log.contains(formatText(TextId::VersionFileTooLarge, int(UpgradeCheck::sizeLimit)),
                                  LogColor::Error));
        QVERIFY(!QApplication::overrideCursor());
    }

    void unreachableAddresses_data()
    {
        QTest::addColumn<QUrl>("address");
        QTest::addColumn<QString>("logStart");
        const quint16 closed = testsupport::closedLoopbackPort();
        QTest::newRow("connection refused") << QUrl(QStringLiteral("http://127.0.0.1:%1/v.txt").arg(closed))
                                            << formatText(TextId::CannotFetchVersionFile, "").trimmed();
        // https is taken as a web address: it gets as far as the handshake, which a plain server fails.
        QTest::newRow("https to a plain server")
            << QUrl(QStringLiteral("https://127.0.0.1:%1/files/version.txt").arg(server_.port()))
            << formatText(TextId::CannotFetchVersionFile, "").trimmed();
        QTest::newRow("not a web address") << QUrl(QStringLiteral("ftp://127.0.0.1/version.txt"))
                                           << formatText(TextId::VersionAddressNotWeb, "").trimmed();
    }
    void unreachableAddresses()
    {
        QFETCH(QUrl, address);
        QFETCH(QString, logStart);
        LogRecorder log;
        const Outcome outcome = runCheck(address);
        QCOMPARE(outcome.text, loadText(TextId::CannotConnectToHomepage));
        QTRY_VERIFY(!log.lines().isEmpty());
        QVERIFY2(log.lines().constFirst().text.startsWith(logStart),
                 qPrintable(log.lines().constFirst().text));
    }

    // The window keeps working under the wait cursor while the server dribbles, its status bar says
    // that the check runs, and the time limit ends the wait.
    void slowServerLeavesTheWindowResponsive()
    {
        QMainWindow window;
        auto *button = new QPushButton(QStringLiteral("still here"));
        window.setCentralWidget(button);
        window.statusBar()->showMessage(QStringLiteral("Ready"));
        window.show();
        int clicks = 0;
        connect(button, &QPushButton::clicked, this, [&] { ++clicks; });
        LogRecorder log;
        Outcome outcome;
        int answers = 0;
        guitest::ModalWatcher watcher([&](QWidget *modal) {
            outcome.text =
                qobject_cast<QMessageBox *>(modal) ? qobject_cast<QMessageBox *>(modal)->text() : QString();
            ++answers;
            qobject_cast<QDialog *>(modal)->reject();
            outcome.done = true;
        });
        CheckForUpgrade(button, server_.url(QStringLiteral("/slow")));
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QCOMPARE(window.statusBar()->currentMessage(), UiText::tr("Checking for an upgraded version..."));
        // A second request while one runs is ignored rather than stacked: one answer in the end.
        CheckForUpgrade(button, server_.url(QStringLiteral("/files/version.txt")));
        // The click goes through the event loop, which the check must not hold up.
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        QTRY_COMPARE(clicks, 1);
        QVERIFY(!outcome.done);
        QCOMPARE(window.statusBar()->currentMessage(), UiText::tr("Checking for an upgraded version..."));
        QTRY_VERIFY_WITH_TIMEOUT(outcome.done, 30000);
        QCOMPARE(outcome.text, loadText(TextId::CannotConnectToHomepage));
        QVERIFY(log.waitFor(formatText(TextId::HomepageTimedOut, 3), LogColor::Error));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(window.statusBar()->currentMessage(), QString());
        QTest::qWait(300);
        QCOMPARE(answers, 1);
    }

    // The download address comes from the network: only a web address reaches the browser.
    void downloadAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << "https://tidewell.example.org/tidewell-0.7.tar.gz" << true;
        QTest::newRow("http") << "http://127.0.0.1:8080/get" << true;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("local path") << "/usr/bin/xterm" << false;
        QTest::newRow("other scheme") << "ftp://127.0.0.1/tidewell.tar.gz" << false;
        QTest::newRow("missing") << "" << false;
    }
    void downloadAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        QVERIFY(server_.serve(QStringLiteral("version.txt"),
                              "VERSION: 000700\nRELEASE: 2001-01-01\nDOWNURL: " + address.toUtf8() + "\n"));
        UrlRecorder browser;
        LogRecorder log;
        const Outcome outcome =
            runCheck(server_.url(QStringLiteral("/files/version.txt")), [](QWidget *modal) {
                if (auto *update = qobject_cast<UpdateDialog *>(modal))
                    QTest::mouseClick(update->downloadButton(), Qt::LeftButton);
                else
                    qobject_cast<QDialog *>(modal)->reject();
            });
        QCOMPARE(outcome.dialog, QStringLiteral("UpdateDialog"));
        if (opened) {
            QCOMPARE(browser.opened, QList<QUrl>{QUrl(address)});
        } else {
            QVERIFY(log.waitFor(formatText(TextId::DownloadAddressNotWeb, address.toUtf8().constData()),
                                LogColor::Error));
            QVERIFY(browser.opened.isEmpty());
        }
    }
};

TIDEWELL_GUI_TEST_MAIN(TestUpgradeCheck)
#include "tst_upgradecheck.moc"
