#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/watchdog.h"
#include "platform/appsettings.h"
#include "platform/durations.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/workerstop.h"
#include "scriptedserver.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testviews.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

using testsupport::controller;

using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;
using namespace std::chrono_literals;

namespace
{

int connectTo(const ScriptedServer &server)
{
    const int socket = testsupport::connectControl(server.port());
    controller().session().currentType = 'A';
    return socket;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray sample(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 253);
    return bytes;
}

// Bytes that depend on their position in the file beyond 32 bits, so that a wrapped offset shows.
char patternAt(qint64 position)
{
    return char((position * 131 + (position >> 32) * 17 + (position >> 13)) % 251);
}

QByteArray patternRange(qint64 from, qint64 to)
{
    QByteArray bytes;
    bytes.reserve(to - from);
    for (qint64 p = from; p < to; ++p)
        bytes.append(patternAt(p));
    return bytes;
}

QList<QByteArray> withoutPortArguments(QList<QByteArray> commands)
{
    for (QByteArray &command : commands)
        if (command.startsWith("PORT "))
            command = "PORT";
    return commands;
}

} // namespace

class TestDataConnection : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    QString local(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(dir.isValid());
    }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 0;
        controller().session().resumeRequested = false;
        controller().session().resumeOffset = 0;
        controller().session().transferTotalSize = 0;
        controller().session().transferRunning = false;
        controller().session().listingTransfer = false;
        controller().session().passive = true;
    }
    void cleanup() { testsupport::freshController(); }

    void typeOnlyWhenTheLetterChanges()
    {
        ScriptedServer server;
        server.on("TYPE", Reply("200 Type set"));
        server.on("PASV", Reply::pasv());
        server.on("RETR a", Reply("150 Opening").sendData("first").then("226 Done"));
        server.on("RETR b", Reply("150 Opening").sendData("second").then("226 Done"));
        server.on("LIST",
                  Reply("150 Listing").sendData("-rw-r--r-- 1 u g 5 Jan 1 2020 a\r\n").then("226 Done"));
        [[maybe_unused]] const int control = connectTo(server);
        QVERIFY(control >= 0);

        QCOMPARE(RetrieveFile(controller().session(), "RETR a", local("a"), 'I'), 2);
        QCOMPARE(RetrieveFile(controller().session(), "RETR b", local("b"), 'I'), 2);
        controller().session().listingTransfer = true;
        QCOMPARE(RetrieveFile(controller().session(), "LIST", local("list"), 'A'), 2);
        QCOMPARE(fileBytes(local("a")), QByteArray("first"));
        QCOMPARE(fileBytes(local("b")), QByteArray("second"));
        QCOMPARE(server.commands(),
                 (QList<QByteArray>{"TYPE I", "PASV", "RETR a", "PASV", "RETR b", "TYPE A", "PASV", "LIST"}));
        QCOMPARE(controller().session().dataSocket.load(), -1);
    }

    void typeLetters_data()
    {
        QTest::addColumn<char>("letter");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("L") << 'L' << QByteArray("TYPE L 8");
        QTest::newRow("I") << 'I' << QByteArray("TYPE I");
        QTest::newRow("E") << 'E' << QByteArray("TYPE E");
    }
    void typeLetters()
    {
        QFETCH(char, letter);
        QFETCH(QByteArray, command);
        ScriptedServer server;
        server.on("TYPE", Reply("504 Not this one"));
        [[maybe_unused]] const int control = connectTo(server);
        SetTransferType(controller().session(), letter);
        SetTransferType(controller().session(), letter); // stored whatever the answer: not asked twice
        QCOMPARE(server.commands(), QList<QByteArray>{command});
    }

    // PASV refused: this transfer goes on with PORT and the next one sends no PASV.
    // What a download shows: progress only inside a queue transfer, no statistics for a listing,
    // the title too while the window is minimised.
    void readOuts_data()
    {
        QTest::addColumn<bool>("queueTransfer");
        QTest::addColumn<bool>("listing");
        QTest::addColumn<bool>("inTitle");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("progress");
        QTest::addColumn<QString>("statistics");
        QTest::newRow("empty file") << true << false << false << QByteArray() << QString()
                                    << "0 bytes downloaded, 1 seconds, (0 bps)\n";
        QTest::newRow("queue transfer") << true << false << false << sample(5000) << "5,000 bytes 100%"
                                        << "5000 bytes downloaded, ";
        QTest::newRow("minimised") << true << false << true << sample(5000) << "5,000 bytes 100%"
                                   << "5000 bytes downloaded, ";
        QTest::newRow("listing outside a transfer")
            << false << true << false << sample(5000) << QString() << QString();
    }
    void readOuts()
    {
        QFETCH(bool, queueTransfer);
        QFETCH(bool, listing);
        QFETCH(bool, inTitle);
        QFETCH(QByteArray, data);
        QFETCH(QString, progress);
        QFETCH(QString, statistics);
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("RETR", Reply("150 Opening").sendData(data).then("226 Done"));
        [[maybe_unused]] const int control = connectTo(server);
        QStringList shown;
        QStringList titles;
        testsupport::TestViews views;
        views.onProgressText = [&shown](const QString &t) { shown << t; };
        views.onWindowTitle = [&titles](const QString &t) { titles << t; };
        controller().session().transferRunning = queueTransfer;
        controller().session().listingTransfer = listing;
        controller().session().showProgressInTitle = inTitle;
        controller().session().transferTotalSize = data.size();
        LogRecorder log;

        QCOMPARE(RetrieveFile(controller().session(), "RETR f", local("readout"), 'I'), 2);
        QCoreApplication::processEvents(); // everything the transfer posted
        controller().session().showProgressInTitle = false;
        if (progress.isEmpty()) {
            QVERIFY(shown.isEmpty());
        } else {
            QTRY_VERIFY(!shown.isEmpty() && shown.last() == progress);
            QCOMPARE(titles, inTitle ? QStringList{progress} : QStringList{});
        }
        bool found = false;
        for (const auto &line : log.lines())
            found |= line.color == LogColor::Status && line.text.contains(" bytes downloaded, ") &&
                     line.text.startsWith(statistics);
        QCOMPARE(found, !statistics.isEmpty());
    }

    void activeModeOncePasvIsRefused()
    {
        ScriptedServer server;
        server.on("TYPE", Reply("200 Type set"));
        server.on("PASV", Reply("500 Not here"));
        server.on("PORT", Reply::port());
        server.on("RETR a", Reply("150 Opening").sendData(sample(70000)).then("226 Done"));
        server.on("STOR up", Reply("150 Go ahead").receiveData().then("226 Stored"));
        [[maybe_unused]] const int control = connectTo(server);
        const QByteArray upload = sample(50000);
        writeFile(local("up"), upload);

        QCOMPARE(RetrieveFile(controller().session(), "RETR a", local("a"), 'I'), 2);
        QVERIFY(!controller().session().passive);
        QByteArray store = "STOR up";
        QCOMPARE(StoreFile(controller().session(), store, local("up"), 'I'), 2);
        QCOMPARE(fileBytes(local("a")), sample(70000));
        QCOMPARE(server.uploaded(), upload);
        QCOMPARE(withoutPortArguments(server.commands()),
                 (QList<QByteArray>{"TYPE I", "PASV", "PORT", "RETR a", "PORT", "STOR up"}));
        // The address of the control connection's own end, never 0.0.0.0.
        QVERIFY2(server.commands()[2].startsWith("PORT 127,0,0,1,"), server.commands()[2].constData());
        QCOMPARE(controller().session().listenSocket.load(), -1);
    }

    void restRefusedFetchesTheWholeFile()
    {
        ScriptedServer server;
        server.on("TYPE", Reply("200 Type set"));
        server.on("PASV", Reply::pasv());
        server.on("REST", Reply("502 REST not implemented"));
        server.on("RETR f", Reply("150 Opening").sendData("whole file").then("226 Done"));
        [[maybe_unused]] const int control = connectTo(server);
        writeFile(local("rest502"), "partial, longer than the file itself");
        controller().session().resumeRequested = true;
        controller().session().resumeOffset = 8;
        LogRecorder log;

        QCOMPARE(RetrieveFile(controller().session(), "RETR f", local("rest502"), 'I'), 2);
        QVERIFY(log.waitFor(loadText(TextId::ResumeNotSupportedUpload), LogColor::Error));
        QVERIFY(!controller().session().resumeRequested);
        QCOMPARE(fileBytes(local("rest502")), QByteArray("whole file"));
        QCOMPARE(server.commands(), (QList<QByteArray>{"TYPE I", "PASV", "REST 8", "RETR f"}));
    }

    void restAppendsToTheLocalFile()
    {
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("REST 4", Reply("350 Restarting at 4"));
        server.on("RETR f", Reply("150 Opening").sendData("efgh").then("226 Done"));
        [[maybe_unused]] const int control = connectTo(server);
        writeFile(local("resume"), "abcdSTALE-TAIL");
        controller().session().resumeRequested = true;
        controller().session().resumeOffset = 4;
        QCOMPARE(RetrieveFile(controller().session(), "RETR f", local("resume"), 'A'), 2);
        QCOMPARE(fileBytes(local("resume")), QByteArray("abcdefgh"));
    }

    // A download past 4 GiB, cut off by the server and then resumed, comes out whole. The file is
    // sparse below the first offset so that the test stays small on disk.
    void resumePast4GiB()
    {
        const qint64 firstOffset = (qint64(1) << 32) - 1000;
        const qint64 cutAt = (qint64(1) << 32) + 2000;
        const qint64 size = (qint64(1) << 32) + 5000;
        const QString path = local("big");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(file.resize(firstOffset));
        }
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("REST 4294966296", Reply("350 Restarting"));
        server.on("REST 4294969296", Reply("350 Restarting"));
        server.once("RETR big", Reply("150 Opening")
                                    .sendData(patternRange(firstOffset, cutAt))
                                    .then("426 Connection closed; transfer aborted"));
        server.once("RETR big", Reply("150 Opening").sendData(patternRange(cutAt, size)).then("226 Done"));
        [[maybe_unused]] const int control = connectTo(server);
        QString lastProgress;
        testsupport::TestViews views;
        views.onProgressText = [&lastProgress](const QString &t) { lastProgress = t; };
        LogRecorder log;
        controller().session().transferRunning = true;
        controller().session().transferTotalSize = size;
        controller().session().resumeRequested = true;
        controller().session().resumeOffset = firstOffset;

        QCOMPARE(RetrieveFile(controller().session(), "RETR big", path, 'I'), 4);
        QVERIFY(log.waitFor(formatText(TextId::DataConnectionClosedEarly, long(cutAt), long(size)),
                            LogColor::Error));
        QCOMPARE(QFileInfo(path).size(), cutAt);

        controller().session().resumeOffset = QFileInfo(path).size();
        QCOMPARE(RetrieveFile(controller().session(), "RETR big", path, 'I'), 2);
        QCOMPARE(server.commands(), (QList<QByteArray>{"TYPE I", "PASV", "REST 4294966296", "RETR big",
                                                       "PASV", "REST 4294969296", "RETR big"}));
        QCOMPARE(QFileInfo(path).size(), size);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.seek(firstOffset));
        QVERIFY(file.readAll() == patternRange(firstOffset, size));
        QTRY_COMPARE(lastProgress, QStringLiteral("4,294,972,296 bytes 100%"));
        file.close();
        QFile::remove(path);
    }

    void appeRefusedBecomesStor()
    {
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("APPE", Reply("502 No appending here"));
        server.on("STOR", Reply("150 Go ahead").receiveData().then("226 Stored"));
        [[maybe_unused]] const int control = connectTo(server);
        const QByteArray bytes = sample(3000);
        writeFile(local("appe"), bytes);
        controller().session().resumeRequested = true;
        controller().session().resumeOffset = 1000;
        controller().session().transferTotalSize = 3000;
        LogRecorder log;

        QByteArray command = "APPE name";
        QCOMPARE(StoreFile(controller().session(), command, local("appe"), 'A'), 2);
        QCOMPARE(command, QByteArray("STOR name"));
        QVERIFY(log.waitFor(loadText(TextId::ResumeNotSupported), LogColor::Error));
        // From the start, not from the offset; in type A with CR LF line ends.
        QCOMPARE(server.uploaded(), QByteArray(bytes).replace("\n", "\r\n"));
        QCOMPARE(server.commands(), (QList<QByteArray>{"PASV", "APPE name", "STOR name"}));
    }

    void appeResumesFromTheOffset()
    {
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("APPE", Reply("150 Go ahead").receiveData().then("226 Appended"));
        [[maybe_unused]] const int control = connectTo(server);
        const QByteArray bytes = sample(3000);
        writeFile(local("appe2"), bytes);
        QStringList progress;
        testsupport::TestViews views;
        views.onProgressText = [&progress](const QString &t) { progress << t; };
        controller().session().resumeRequested = true;
        controller().session().resumeOffset = 1000;
        controller().session().transferTotalSize = 3000;
        LogRecorder log;

        QByteArray command = "APPE name";
        QCOMPARE(StoreFile(controller().session(), command, local("appe2"), 'I'), 2);
        QCOMPARE(server.uploaded(), bytes.mid(1000));
        // The statistics count the 2000 bytes this run sent, in the milliseconds it took.
        const auto counted = [&log] {
            for (const auto &line : log.lines())
                if (line.color == LogColor::Status && line.text.startsWith(QStringLiteral("2000 bytes uploaded, ")))
                    return true;
            return false;
        };
        QTRY_VERIFY(counted());
        QTRY_VERIFY(!progress.isEmpty() && progress.last() == "3,000 bytes 100%");
    }

    void refusedTransfers_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("message");
        QTest::newRow("RETR 550") << false << true << QByteArray("550 No such file")
                                  << int(TextId::NoPermissionToDownload);
        QTest::newRow("RETR 550, active")
            << false << false << QByteArray("550 No such file") << int(TextId::NoPermissionToDownload);
        QTest::newRow("RETR 450") << false << true << QByteArray("450 Busy") << 0;
        QTest::newRow("STOR 553") << true << true << QByteArray("553 Not allowed")
                                  << int(TextId::UploadError);
        QTest::newRow("STOR 550, active")
            << true << false << QByteArray("550 Not allowed") << int(TextId::UploadError);
    }
    void refusedTransfers()
    {
        QFETCH(bool, upload);
        QFETCH(bool, passive);
        QFETCH(QByteArray, reply);
        QFETCH(int, message);
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("PORT", Reply::port());
        server.on("RETR", Reply(reply));
        server.on("STOR", Reply(reply));
        [[maybe_unused]] const int control = connectTo(server);
        controller().session().passive = passive;
        writeFile(local("refused-up"), "data");
        LogRecorder log;

        QByteArray command = upload ? "STOR x" : "RETR x";
        const int result = upload ? StoreFile(controller().session(), command, local("refused-up"), 'I')
                                  : RetrieveFile(controller().session(), command, local("refused-down"), 'I');
        QCOMPARE(result, 0);
        if (message)
            QVERIFY(log.waitFor(loadText(TextId(message)), LogColor::Error));
        else
            QVERIFY(!log.waitFor(loadText(TextId::NoPermissionToDownload), LogColor::Error, 200));
        QCOMPARE(controller().session().dataSocket.load(), -1);
        QCOMPARE(controller().session().listenSocket.load(), -1);
        QVERIFY(!QFile::exists(local("refused-down")));
    }

    void pasvAddress_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("message");
        QTest::newRow("as given") << QByteArray("227 Entering Passive Mode ({addr},{port})") << 2 << 0;
        QTest::newRow("0.0.0.0 means the server") << QByteArray("227 Entering Passive Mode (0,0,0,0,{port})")
                                                  << 2 << int(TextId::PassiveAddressReplaced);
        QTest::newRow("blanks, not commas") << QByteArray("227 Entering Passive Mode (127 0 0 1 7 7)") << 0
                                            << int(TextId::CannotConnectPassive);
        QTest::newRow("five numbers") << QByteArray("227 Entering Passive Mode (127,0,0,1,7)") << 0
                                      << int(TextId::CannotConnectPassive);
        QTest::newRow("no numbers") << QByteArray("227 Entering Passive Mode") << 0
                                    << int(TextId::CannotConnectPassive);
    }
    void pasvAddress()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, result);
        QFETCH(int, message);
        ScriptedServer server;
        server.on("PASV", Reply::pasv(reply));
        server.on("RETR", Reply("150 Opening").sendData("payload").then("226 Done"));
        [[maybe_unused]] const int control = connectTo(server);
        LogRecorder log;
        const QString path = local("pasv");
        QFile::remove(path);

        QCOMPARE(RetrieveFile(controller().session(), "RETR f", path, 'A'), result);
        if (message == 202)
            QVERIFY(log.waitFor(formatText(TextId::PassiveAddressReplaced, "0.0.0.0", "127.0.0.1"),
                                LogColor::Status));
        else if (message)
            QVERIFY(log.waitFor(loadText(TextId(message)), LogColor::Error));
        QCOMPARE(fileBytes(path), result == 2 ? QByteArray("payload") : QByteArray("<missing>"));
        if (result != 2)
            QCOMPARE(server.commands(), QList<QByteArray>{"PASV"}); // no transfer command follows
        QCOMPARE(controller().session().dataSocket.load(), -1);
    }

    void pasvConnectionRefused()
    {
        const int port = testsupport::closedLoopbackPort();
        QVERIFY(port != 0);

        ScriptedServer server;
        server.on("PASV", Reply(QByteArray("227 Entering Passive Mode (127,0,0,1,") +
                                QByteArray::number(port / 256) + ',' + QByteArray::number(port % 256) + ')'));
        [[maybe_unused]] const int control = connectTo(server);
        LogRecorder log;
        QCOMPARE(RetrieveFile(controller().session(), "RETR f", local("refused"), 'A'), 0);
        QVERIFY(log.waitFor(loadText(TextId::ConnectionRefused), LogColor::Error));
        QVERIFY(log.waitFor(loadText(TextId::CannotConnectPassive), LogColor::Error));
        QVERIFY(controller().session().passive); // no fall-back to PORT in this case
    }

    void dataConnectionThatNeverArrives_data()
    {
        QTest::addColumn<bool>("onWorker");
        // The window thread delivers the watchdog itself, so there the wait's own limit ends it.
        QTest::newRow("window thread: the wait's limit") << false;
        // On the worker the watchdog ends the wait and with it the job.
        QTest::newRow("worker: the watchdog") << true;
    }

    void dataConnectionThatNeverArrives()
    {
        QFETCH(bool, onWorker);
        durations::setForTest(durations::Kind::Watchdog, 300ms);
        int expiries = 0;
        watchdog::setExpiryAction([&expiries] {
            ++expiries;
            workerstop::request();
        });
        const auto removeAction = qScopeGuard([] { watchdog::setExpiryAction({}); });
        ScriptedServer server;
        server.on("PORT", Reply("200 PORT ok")); // but the server never connects
        server.on("RETR", Reply("150 Opening"));
        [[maybe_unused]] const int control = connectTo(server);
        controller().session().passive = false;
        LogRecorder log;
        std::optional<int> result;
        if (onWorker)
            QVERIFY(testsupport::runOnWorker(
                [&] { result = RetrieveFile(controller().session(), "RETR f", local("never"), 'I'); }));
        else
            result = RetrieveFile(controller().session(), "RETR f", local("never"), 'I');
        QVERIFY(log.waitFor(loadText(TextId::DataConnectionNotOpened), LogColor::Error));
        QCOMPARE(log.lines().count({loadText(TextId::DataConnectionNotOpened), LogColor::Error}), 1);
        QVERIFY(!watchdog::armed());
        if (onWorker) {
            // Stopped inside the wait: the call never returned, and the stopper repairs the record.
            QCOMPARE(expiries, 1);
            QVERIFY(!result.has_value());
            return;
        }
        QCOMPARE(expiries, 0);
        QCOMPARE(result, std::optional<int>(0));
        QCOMPARE(controller().session().listenSocket.load(), -1);
        QCOMPARE(controller().session().dataSocket.load(), -1);
    }

    void serverClosesEarly()
    {
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("RETR", Reply("150 Opening").sendData(sample(30000)).then("426 Transfer aborted"));
        [[maybe_unused]] const int control = connectTo(server);
        controller().session().transferRunning = true;
        controller().session().transferTotalSize = 100000;
        LogRecorder log;
        QCOMPARE(RetrieveFile(controller().session(), "RETR f", local("early"), 'I'), 4);
        QVERIFY(log.waitFor(formatText(TextId::DataConnectionClosedEarly, 30000L, 100000L), LogColor::Error));
        QCOMPARE(fileBytes(local("early")), sample(30000)); // kept for a resume
    }

    void localFileProblems_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<bool>("resume");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("cannot create")
            << false << false << "/nonexistent-folder/file" << loadText(TextId::CannotCreateLocalFile);
        QTest::newRow("cannot open to resume")
            << false << true << "/nonexistent-folder/file" << loadText(TextId::CannotOpenLocalFile);
        QTest::newRow("disk full") << false << false << "/dev/full"
                                   << formatText(TextId::CannotWriteLocalFile,
                                                 qt_error_string(ENOSPC).toUtf8().constData());
        QTest::newRow("cannot read the upload")
            << true << false << "/nonexistent-folder/file" << loadText(TextId::CannotOpenLocalFile);
        QTest::newRow("read error in the upload")
            << true << false << QDir::tempPath() << loadText(TextId::CannotOpenLocalFile);
    }
    void localFileProblems()
    {
        QFETCH(bool, upload);
        QFETCH(bool, resume);
        QFETCH(QString, path);
        QFETCH(QString, message);
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("REST", Reply("350 Restarting"));
        server.on("RETR", Reply("150 Opening").sendData(sample(100000)).then("226 Done"));
        server.on("STOR", Reply("150 Go ahead").receiveData().then("226 Stored"));
        server.on("NOOP", Reply("200 Still here"));
        [[maybe_unused]] const int control = connectTo(server);
        controller().session().resumeRequested = resume;
        controller().session().resumeOffset = resume ? 10 : 0;
        LogRecorder log;

        QByteArray command = upload ? "STOR f" : "RETR f";
        const int result =
            upload ? StoreFile(controller().session(), command, path, 'I') : RetrieveFile(controller().session(), command, path, 'I');
        QCOMPARE(result, 0); // never reported as a completed transfer
        QVERIFY(log.waitFor(message, LogColor::Error));
        QCOMPARE(controller().session().downloadFile.load(), -1);
        QCOMPARE(controller().session().uploadFile.load(), -1);
        // The final reply was read: the control connection is in step.
        QCOMPARE(SendCommand(controller().session(), "NOOP"), 2);
        QCOMPARE(controller().session().replyText(), QByteArray("200 Still here"));
    }

    void storeWithoutControlConnection()
    {
        LogRecorder log;
        QByteArray command = "STOR f";
        QCOMPARE(StoreFile(controller().session(), command, local("x"), 'I'), 0);
        QVERIFY(log.waitFor(loadText(TextId::InvalidControlSocket), LogColor::Error));
        QCOMPARE(RetrieveFile(controller().session(), "RETR f", local("x"), 'I'), 0);
    }
};

QTEST_GUILESS_MAIN(TestDataConnection)
#include "tst_dataconnection.moc"
