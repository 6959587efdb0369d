#include "scriptedserver.h"
#include "sessionreset.h"

#include "platform/appsettings.h"
#include "platform/durations.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "session/connectjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/worker.h"
#include "testviews.h"

#include <QTest>

using testsupport::controller;

using testsupport::LogRecorder;

namespace
{

QStringList statusAndErrorTexts(const LogRecorder &log)
{
    QStringList texts;
    for (const auto &line : log.lines())
        if (line.color == LogColor::Status || line.color == LogColor::Error)
            texts << line.text;
    return texts;
}

} // namespace

class TestConnectJob : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        testsupport::freshController();
        appSettings().retryCount = 3;
        appSettings().retryDelaySeconds = 0;
        appSettings().soundEffects = 0;
        appSettings().passiveMode = 1;
    }
    void cleanup() { testsupport::freshController(); }

    void retriesAgainstAClosedPort_data()
    {
        QTest::addColumn<int>("retries");
        QTest::addColumn<int>("delaySeconds");
        QTest::addColumn<bool>("stopInDelay");
        QTest::newRow("three retries, no delay") << 3 << 0 << false;
        QTest::newRow("two retries with a delay") << 2 << 2 << false;
        // The delay holds the next attempt back: a stop that comes while it lasts ends the job
        // before the reconnect line.
        QTest::newRow("a stop during the delay") << 2 << 2 << true;
        QTest::newRow("no retries") << 0 << 0 << false;
    }

    void retriesAgainstAClosedPort()
    {
        QFETCH(int, retries);
        QFETCH(int, delaySeconds);
        QFETCH(bool, stopInDelay);
        // A delay to stop in lasts until the stop; the others pass at once.
        durations::setForTest(durations::Kind::RetrySecond,
                              stopInDelay ? std::chrono::milliseconds(600000) : std::chrono::milliseconds(5));
        appSettings().retryCount = retries;
        appSettings().retryDelaySeconds = delaySeconds;
        controller().session().serverHost = QStringLiteral("127.0.0.1");
        controller().session().port = testsupport::closedLoopbackPort();
        QVERIFY(controller().session().port != 0);

        LogRecorder log;
        QVERIFY(controller().startJob(ConnectRequest{}));
        if (stopInDelay) {
            QVERIFY(log.waitFor(formatText(TextId::DelayingBeforeReconnect, delaySeconds), LogColor::Status,
                                20000));
            controller().worker().join();
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!controller().session().busy(), 20000);
        }
        QCoreApplication::processEvents();
        QVERIFY(!controller().session().connected);
        QCOMPARE(controller().session().controlSocket.load(), -1);

        // Every attempt begins with the connecting line; between attempts come the delay (when
        // set) and the numbered reconnect line; the final line only when there were retries.
        const QString connecting = formatText(TextId::ConnectingTo, "127.0.0.1");
        QStringList expected;
        QStringList seen;
        for (const QString &text : statusAndErrorTexts(log)) {
            if (text == connecting || text.startsWith(QStringLiteral("Delaying")) ||
                text.startsWith(QStringLiteral("Reconnecting")) || text.startsWith(QStringLiteral("All ")))
                seen << text;
        }
        if (stopInDelay) {
            QCOMPARE(seen,
                     (QStringList{connecting, formatText(TextId::DelayingBeforeReconnect, delaySeconds)}));
            return;
        }
        for (int attempt = 0; attempt <= retries; ++attempt) {
            if (attempt > 0) {
                if (delaySeconds > 0)
                    expected << formatText(TextId::DelayingBeforeReconnect, delaySeconds);
                expected << formatText(TextId::Reconnecting, attempt, retries);
            }
            expected << connecting;
        }
        if (retries > 0)
            expected << formatText(TextId::AllRetriesFailed, retries, "127.0.0.1");
        QCOMPARE(seen, expected);
        if (retries > 0)
            QVERIFY(
                log.contains(formatText(TextId::AllRetriesFailed, retries, "127.0.0.1"), LogColor::Error));
    }

    // After the login the job asks for the working directory; only a quoted path in a positive
    // reply changes the pane's path, and only a positive reply titles the window.
    void workingDirectoryAfterLogin_data()
    {
        QTest::addColumn<QByteArray>("pwdReply");
        QTest::addColumn<QByteArrayList>("paths");
        QTest::addColumn<bool>("titled");
        QTest::newRow("quoted path") << QByteArray("257 \"/home/u\" is the current directory")
                                     << QByteArrayList{"/home/u"} << true;
        QTest::newRow("no quoted path keeps the path")
            << QByteArray("257 somewhere") << QByteArrayList{} << true;
        QTest::newRow("refused") << QByteArray("550 Not allowed") << QByteArrayList{} << false;
    }

    void workingDirectoryAfterLogin()
    {
        QFETCH(QByteArray, pwdReply);
        QFETCH(QByteArrayList, paths);
        QFETCH(bool, titled);
        testsupport::ScriptedServer server;
        server.on("USER", "331 Password required").on("PASS", "230 Logged in").on("PWD", pwdReply);
        Session &s = controller().session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server.port();
        s.userName = QStringLiteral("u");
        s.password = QStringLiteral("p");
        s.initialRemotePath.clear();
        QByteArrayList pathsSet;
        QStringList titles;
        int connected = 0;
        testsupport::TestViews views;
        views.onSetRemotePath = [&](const QByteArray &path) { pathsSet << path; };
        views.onWindowTitle = [&](const QString &title) { titles << title; };
        views.onSessionConnected = [&] { ++connected; };
        QVERIFY(controller().startJob(ConnectRequest{}));
        QTRY_VERIFY_WITH_TIMEOUT(connected == 1, 20000);
        QCOMPARE(server.commands(), (QList<QByteArray>{"USER u", "PASS p", "FEAT", "PWD"}));
        QCOMPARE(pathsSet, paths);
        QCOMPARE(titles, titled ? QStringList{loadText(TextId::ProgramTitle) + QStringLiteral(" - 127.0.0.1")}
                                : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestConnectJob)
#include "tst_connectjob.moc"
