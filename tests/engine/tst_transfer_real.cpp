#include "testfiles.h"
#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/login.h"
#include "engine/transfertexts.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/strings.h"
#include "platform/workerstop.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QFile>
#include <QTest>

#include <atomic>
#include <functional>
#include <thread>

using testsupport::controller;

using testsupport::FtpServer;
using testsupport::LogRecorder;

using testsupport::randomBytes;
using testsupport::readFile;
using testsupport::writeFile;

namespace
{

QByteArray textSample(int size)
{
    QByteArray bytes;
    for (int line = 0; bytes.size() < size; ++line)
        bytes += "line " + QByteArray::number(line) + " of some text\n";
    bytes.truncate(size);
    return bytes;
}

// Runs the engine on a worker thread, as the jobs do, while this thread delivers the log, the
// progress read-outs and the watchdog.

} // namespace

class TestTransferReal : public QObject
{
    Q_OBJECT
    FtpServer server;
    QTemporaryDir local;

    void login(bool anonymous)
    {
        auto &s = controller().session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server.port();
        s.anonymousLogin = anonymous;
        s.userName = anonymous ? QString() : QString::fromLatin1(FtpServer::user);
        s.password = anonymous ? QString() : QString::fromLatin1(FtpServer::password);
        appSettings().emailAddress = QStringLiteral("tester@example.org");
        s.currentType = 'A';
        s.passive = true;
        s.controlSocket = Login(s, s.login());
    }

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(server.isRunning());
        QVERIFY(local.isValid());
    }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 0;
        auto &s = controller().session();
        s.resumeRequested = false;
        s.resumeOffset = 0;
        s.transferTotalSize = 0;
        s.listingTransfer = false;
        s.transferRunning = false;
    }
    void cleanup() { testsupport::freshController(); }

    void downAndUp_data()
    {
        QTest::addColumn<bool>("anonymous");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<char>("type");
        QTest::addColumn<int>("size");
        for (const bool anonymous : {true, false})
            for (const bool passive : {true, false})
                for (const char type : {'I', 'A'})
                    for (const int size : {0, 1024, 3 << 20})
                        QTest::addRow("%s %s %c %d", anonymous ? "anonymous" : "tester",
                                      passive ? "PASV" : "PORT", type, size)
                            << anonymous << passive << type << size;
    }
    void downAndUp()
    {
        QFETCH(bool, anonymous);
        QFETCH(bool, passive);
        QFETCH(char, type);
        QFETCH(int, size);
        const QByteArray content = type == 'I' ? randomBytes(size) : textSample(size);
        const QString name = QStringLiteral("f%1%2%3").arg(size).arg(type).arg(passive);
        QVERIFY(writeFile(server.root() + "/" + name, content));
        const QString downloaded = local.filePath(name + ".down");
        const QString toUpload = local.filePath(name + ".up");
        QVERIFY(writeFile(toUpload, content));

        int down = -1;
        int up = -1;
        QVERIFY(testsupport::runOnWorker([&] {
            login(anonymous);
            if (controller().session().controlSocket == -1)
                return;
            controller().session().passive = passive;
            controller().session().transferRunning = true;
            controller().session().transferTotalSize = size;
            down = RetrieveFile(controller().session(), "RETR " + name.toUtf8(), downloaded, type);
            QByteArray command = "STOR " + name.toUtf8() + ".back";
            up = StoreFile(controller().session(), command, toUpload, type);
            SendCommand(controller().session(), "QUIT");
        }));
        QCOMPARE(down, 2);
        QCOMPARE(up, 2);
        // In type A the text travels with CR LF line ends and lands with the local LF both ways.
        QVERIFY(readFile(downloaded) == content);
        QVERIFY(readFile(server.root() + "/" + name + ".back") == content);
    }

    // Downloads resume with REST onto the partial local file, uploads with APPE onto the partial
    // remote one; the worker's commands, replies, progress and statistics reach the log.
    void resume_data()
    {
        QTest::addColumn<bool>("passive");
        QTest::newRow("PASV") << true;
        QTest::newRow("PORT") << false;
    }
    void resume()
    {
        QFETCH(bool, passive);
        const int size = 2 << 20;
        const qint64 offset = 700001;
        const QByteArray content = randomBytes(size);
        const QString name = passive ? QStringLiteral("resume-p") : QStringLiteral("resume-a");
        QVERIFY(writeFile(server.root() + "/" + name, content));
        QVERIFY(writeFile(server.root() + "/" + name + ".part", content.left(offset)));
        const QString partial = local.filePath(name);
        QVERIFY(writeFile(partial, content.left(offset)));
        const QString whole = local.filePath(name + ".whole");
        QVERIFY(writeFile(whole, content));
        QString progress;
        testsupport::TestViews views;
        views.onProgressText = [&progress](const QString &text) { progress = text; };
        LogRecorder log;

        int down = -1;
        int up = -1;
        QVERIFY(testsupport::runOnWorker([&] {
            login(false);
            auto &s = controller().session();
            if (s.controlSocket == -1)
                return;
            s.passive = passive;
            s.transferRunning = true;
            s.transferTotalSize = size;
            s.resumeRequested = true;
            s.resumeOffset = offset;
            down = RetrieveFile(controller().session(), "RETR " + name.toUtf8(), partial, 'I');
            s.resumeRequested = true;
            QByteArray command = "APPE " + name.toUtf8() + ".part";
            up = StoreFile(controller().session(), command, whole, 'I');
            SendCommand(controller().session(), "QUIT");
        }));
        QCOMPARE(down, 2);
        QCOMPARE(up, 2);
        QVERIFY(readFile(partial) == content);
        QVERIFY(readFile(server.root() + "/" + name + ".part") == content);

        const QString restLine = "REST " + QString::number(offset) + "\n";
        QVERIFY(log.contains(restLine, LogColor::Command));
        QVERIFY(log.contains("APPE " + name + ".part\n", LogColor::Command));
        const QString statisticsStart = QString::number(size - offset) + " bytes downloaded, ";
        const QString uploadStart = QString::number(size - offset) + " bytes uploaded, ";
        bool downloadStatistics = false;
        bool uploadStatistics = false;
        bool serverReplies = false;
        bool dataCommand = false;
        for (const auto &line : log.lines()) {
            downloadStatistics |= line.color == LogColor::Status && line.text.startsWith(statisticsStart);
            uploadStatistics |= line.color == LogColor::Status && line.text.startsWith(uploadStart);
            serverReplies |= line.color == LogColor::Reply && line.text.startsWith("226");
            dataCommand |=
                line.color == LogColor::Command && line.text.startsWith(passive ? "EPSV" : "PORT 127,0,0,1,");
        }
        QVERIFY(downloadStatistics);
        QVERIFY(uploadStatistics);
        QVERIFY(serverReplies);
        QVERIFY(dataCommand);
        QTRY_COMPARE(progress, ProgressText(size, size));
    }
};

QTEST_GUILESS_MAIN(TestTransferReal)
#include "tst_transfer_real.moc"
