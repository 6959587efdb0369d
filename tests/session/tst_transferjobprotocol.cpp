// The queue transfer job over a recording protocol: no server, no window, a controller of its own.
#include "platform/appsettings.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "session/engineoptions.h"
#include "session/queuetransferjob.h"
#include "session/remoteprotocol.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "session/transferqueue.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Records each call as the command it stands for; every call is done unless `fail` names it.
// LIST writes `listing` into the listing file; RETR appends "x" bytes up to `remoteSize`, after
// calling `whileRetrieving`.
class RecordingProtocol : public RemoteProtocol
{
public:
    QStringList calls;
    QString fail;
    OperationResult::Outcome failure = OperationResult::Outcome::Refused;
    QByteArray listing;
    qint64 remoteSize = 0;
    std::function<void()> whileRetrieving;

    OperationResult logIn(const LoginFields &) override { return note("USER"); }
    OperationResult changeFolder(const QByteArray &path) override { return note("CWD " + path); }
    OperationResult changeToParent() override { return note("CDUP"); }
    OperationResult printFolder(std::optional<QByteArray> &folder) override
    {
        folder.reset();
        return note("PWD");
    }
    OperationResult listWorkingFolder() override
    {
        QFile file(programpaths::listingTempFile());
        if (!file.open(QIODevice::WriteOnly) || file.write(listing) != listing.size())
            return {OperationResult::Outcome::Refused};
        return note("LIST");
    }
    OperationResult makeFolder(const QByteArray &path) override { return note("MKD " + path); }
    OperationResult removeFolder(const QByteArray &path) override { return note("RMD " + path); }
    OperationResult deleteFile(const QByteArray &path) override { return note("DELE " + path); }
    std::optional<OperationResult> rename(const QByteArray &from, const QByteArray &) override
    {
        return note("RNFR " + from);
    }
    qint64 fileSize(const QByteArray &path) override { return note("SIZE " + path).done() ? remoteSize : -1; }
    OperationResult changeMode(int, const QByteArray &path) override { return note("SITE CHMOD " + path); }
    OperationResult rawCommand(const QByteArray &line) override { return note(line); }
    OperationResult retrieve(const FileTransfer &file, qint64 &received) override
    {
        if (whileRetrieving)
            whileRetrieving();
        const OperationResult result = note(transferText("RETR", file));
        QFile local(file.localPath);
        if (result.done() &&
            local.open(QIODevice::WriteOnly | (file.offset > 0 ? QIODevice::Append : QIODevice::Truncate)))
            local.write(QByteArray(remoteSize - file.offset, 'x'));
        received = result.done() ? remoteSize : 0;
        return result;
    }
    OperationResult store(const FileTransfer &file) override { return note(transferText("STOR", file)); }
    OperationResult keepAlive() override { return note("NOOP"); }
    OperationResult close() override { return note("QUIT"); }
    OperationResult abort() override { return note("ABOR"); }
    OperationResult readPendingReply() override { return note("reply"); }

private:
    static QString transferText(const char *verb, const FileTransfer &file)
    {
        return QStringLiteral("%1 %2 %3 from %4 of %5")
            .arg(QLatin1String(verb), QString::fromUtf8(file.remotePath), QChar::fromLatin1(file.type))
            .arg(file.offset)
            .arg(file.size);
    }
    OperationResult note(const QString &call)
    {
        calls << call;
        if (!fail.isEmpty() && call.startsWith(fail))
            return {failure, 550, "550 No"};
        return {};
    }
};

// Every existing file is resumed when it can be; the after-transfer question is answered No.
class ResumingQuestions : public QuestionView
{
public:
    bool askedAfterTransfer = false;

    std::optional<QString> askPassword() override { return std::nullopt; }
    bool confirmAbortTransfer() override { return true; }
    ExistingFileAnswer askExistingFile(const QString &, bool, bool, const ExistingFileFacts &) override
    {
        return {ExistingFileAnswer::Resume, true};
    }
    std::optional<QByteArray> askRenameTarget(const QByteArray &) override { return std::nullopt; }
    bool confirmAfterTransfer(AfterTransferAction) override
    {
        askedAfterTransfer = true;
        return false;
    }
};

QByteArray listed(const QByteArray &name, int size)
{
    return "-rw-r--r--   1 u  g  " + QByteArray::number(size) + " Jan  1  2020 " + name + "\r\n";
}

} // namespace

class TestTransferJobProtocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }

    void init()
    {
        appSettings().soundEffects = 0;
        appSettings().transferMode = 0;
        appSettings().afterTransferAction = 0;
        appSettings().asciiExtensions = QStringLiteral("txt");
    }

    void transfers_data()
    {
        QTest::addColumn<QStringList>("queued");  // "D name size" or "U name" (local, 10 bytes)
        QTest::addColumn<QByteArray>("existing"); // bytes of the local file before a download
        QTest::addColumn<QString>("fail");        // the call that does not succeed
        QTest::addColumn<int>("failure");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("left"); // still queued after the run
        QTest::addColumn<int>("outcome");

        const int refused = int(OperationResult::Outcome::Refused);
        const int lost = int(OperationResult::Outcome::ConnectionLost);
        const int done = int(OperationResult::Outcome::Done);
        // A part this small proves nothing about the file it came from.
        QTest::addRow("small part fetched again whole")
            << QStringList{"D a.bin 8"} << QByteArray("xxx") << QString() << refused
            << QStringList{"RETR /pub/a.bin I from 0 of 8"} << QStringList{} << done;
        QTest::addRow("text download not resumed")
            << QStringList{"D a.txt 8"} << QByteArray("xxx") << QString() << refused
            << QStringList{"RETR /pub/a.txt A from 0 of 8"} << QStringList{} << done;
        QTest::addRow("small remote part sent again whole")
            << QStringList{"U a.bin"} << QByteArray() << QString() << refused
            << QStringList{"CWD /pub", "LIST", "STOR /pub/a.bin I from 0 of 10"} << QStringList{} << done;
        QTest::addRow("text upload sent whole instead of appended")
            << QStringList{"U a.txt"} << QByteArray() << QString() << refused
            << QStringList{"CWD /pub", "LIST", "STOR /pub/a.txt A from 0 of 10"} << QStringList{} << done;
        QTest::addRow("refused RETR stays queued, the next goes on")
            << QStringList{"D a.bin 10", "D b.bin 10"} << QByteArray() << "RETR /pub/a" << refused
            << QStringList{"RETR /pub/a.bin I from 0 of 10", "RETR /pub/b.bin I from 0 of 10"}
            << QStringList{"/pub/a.bin"} << done;
        QTest::addRow("lost connection ends the run, the queue intact")
            << QStringList{"D a.bin 10", "D b.bin 10"} << QByteArray() << "RETR" << lost
            << QStringList{"RETR /pub/a.bin I from 0 of 10"} << QStringList{"/pub/a.bin", "/pub/b.bin"}
            << lost;
        QTest::addRow("lost connection while listing")
            << QStringList{"U a.bin", "U b.bin"} << QByteArray() << "LIST" << lost
            << QStringList{"CWD /pub", "LIST"} << QStringList{"a.bin", "b.bin"} << lost;
    }
    void transfers()
    {
        QFETCH(QStringList, queued);
        QFETCH(QByteArray, existing);
        QFETCH(QString, fail);
        QFETCH(int, failure);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, left);
        QFETCH(int, outcome);

        QTemporaryDir local;
        QVERIFY(local.isValid());
        const QByteArray localFolder = QFile::encodeName(local.path());
        TransferQueue queue(local.path());
        for (const QString &line : queued) {
            const QStringList parts = line.split(' ');
            const QByteArray name = parts[1].toUtf8();
            QueueItem item;
            if (parts[0] == "D") {
                item = {"/pub/" + name, parts[2].toUtf8(), localFolder, QueueItem::Download, false};
                if (!existing.isEmpty()) {
                    QFile file(local.filePath(parts[1]));
                    QVERIFY(file.open(QIODevice::WriteOnly));
                    file.write(existing);
                }
            } else {
                QFile file(local.filePath(parts[1]));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(10, 'u'));
                item = {localFolder + '/' + name, "10", "/pub", QueueItem::Upload, false};
            }
            queue.AddQueueItem(item, false);
        }

        RecordingProtocol protocol;
        protocol.fail = fail;
        protocol.failure = OperationResult::Outcome(failure);
        protocol.remoteSize = 10;
        protocol.listing = listed("a.bin", 4) + listed("a.txt", 4);
        ResumingQuestions questions;
        SessionController controller(appSettings());
        controller.setQuestionView(&questions);
        Session &s = controller.session();
        s.connected = true;
        // As the worker takes them when a job starts.
        s.options = engineOptions(appSettings());
        s.jobOptions = jobOptions(appSettings());
        const TransferInputs inputs{&queue, localFolder, "/pub", std::nullopt, std::nullopt};

        const OperationResult result = TransferQueueJob(protocol, s, inputs);
        QCOMPARE(protocol.calls, calls);
        QCOMPARE(int(result.outcome), outcome);
        QStringList names;
        for (const QueueItem &item : queue.items())
            names << QString::fromUtf8(item.name).remove(local.path() + '/');
        QCOMPARE(names, left);
        QVERIFY(!s.transferRunning);
        // A resumed download kept the local bytes and added the rest.
        if (left.isEmpty() && queued.first().startsWith('D'))
            QCOMPARE(QFile(local.filePath(queued.first().section(' ', 1, 1))).size(), protocol.remoteSize);
        // The job's posts name this session: they run while it lives.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // The user saves the Preferences while the first file comes down: the run goes on with the
    // preferences it started with.
    void preferencesChangedDuringTheRunDoNotReachIt_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::newRow("text extensions") << "extensions";
        QTest::newRow("transfer mode") << "mode";
        QTest::newRow("after-transfer action") << "after";
    }
    void preferencesChangedDuringTheRunDoNotReachIt()
    {
        QFETCH(QString, changed);
        QTemporaryDir local;
        QVERIFY(local.isValid());
        const QByteArray localFolder = QFile::encodeName(local.path());
        TransferQueue queue(local.path());
        queue.AddQueueItem({"/pub/a.bin", "10", localFolder, QueueItem::Download, false}, false);
        queue.AddQueueItem({"/pub/b.txt", "10", localFolder, QueueItem::Download, false}, false);

        ResumingQuestions questions;
        SessionController controller(appSettings());
        controller.setQuestionView(&questions);
        Session &s = controller.session();
        s.connected = true;
        s.options = engineOptions(appSettings());
        s.jobOptions = jobOptions(appSettings());
        RecordingProtocol protocol;
        protocol.remoteSize = 10;
        protocol.whileRetrieving = [changed] {
            if (changed == "extensions")
                appSettings().asciiExtensions = QStringLiteral("bin");
            else if (changed == "mode")
                appSettings().transferMode = 1;
            else
                appSettings().afterTransferAction = int(AfterTransferAction::Disconnect);
        };
        const TransferInputs inputs{&queue, localFolder, "/pub", std::nullopt, std::nullopt};

        QVERIFY(TransferQueueJob(protocol, s, inputs).done());
        QCOMPARE(protocol.calls,
                 (QStringList{"RETR /pub/a.bin I from 0 of 10", "RETR /pub/b.txt A from 0 of 10"}));
        QVERIFY(!questions.askedAfterTransfer);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(TestTransferJobProtocol)
#include "tst_transferjobprotocol.moc"
