// A resume is proved before anything is appended, and a transferred file is compared with the
// server's checksum: against a scripted server that changes files, ignores REST, sends short
// pieces and answers hash commands with the right digest, a wrong one or garbage.
#include "platform/appsettings.h"
#include "platform/strings.h"
#include "scriptedserver.h"
#include "session/ftpprotocol.h"
#include "session/partialrecord.h"
#include "session/queuetransferjob.h"
#include "session/resumecheck.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/transferqueue.h"
#include "sessionreset.h"
#include "testfiles.h"
#include "testviews.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/xattr.h>

using testsupport::controller;
using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

const QByteArray content = testsupport::randomBytes(256 * 1024, 7);
constexpr int half = 128 * 1024;
const QByteArray listedTime = "20240101000000";

// "@all", "@from N", "@slice N LENGTH" of `content`; anything else is the text itself.
QByteArray bytesOf(const QByteArray &pattern)
{
    const QList<QByteArray> words = pattern.split(' ');
    if (words[0] == "@all")
        return content;
    if (words[0] == "@from")
        return content.mid(words[1].toInt());
    if (words[0] == "@slice")
        return content.mid(words[1].toInt(), words[2].toInt());
    return pattern;
}

// The CRC-32 that XCRC answers with, bit by bit.
QByteArray crc32Of(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return QByteArray::number(~crc, 16).rightJustified(8, '0');
}

// "[1:]COMMAND => REPLY" with the usual answers first; REPLY "data:PATTERN" sends bytesOf(PATTERN) over
// a data connection, "recv" takes an upload, "{sha256}", "{sha1}" and "{crc}" stand for the
// digests of `content`.
void script(ScriptedServer &server, const QStringList &rules)
{
    server.on("PASV", Reply::pasv())
        .on("TYPE", "200 OK")
        .on("CWD", "250 OK")
        .on("LIST", Reply("150 Here").sendData("").then("226 Done"))
        .on("SIZE", "213 262144")
        .on("MDTM", "213 " + listedTime)
        .on("REST", "350 Restarting")
        .on("OPTS", "200 OK");
    for (const QString &rule : rules) {
        QByteArray prefix = rule.section(" => ", 0, 0).toUtf8();
        QByteArray reply = rule.section(" => ", 1).toUtf8();
        reply.replace("{sha256}", QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex())
            .replace("{sha1}", QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex())
            .replace("{crc}", crc32Of(content));
        const bool once = prefix.startsWith("1:");
        if (once)
            prefix = prefix.mid(2);
        Reply r = reply.startsWith("data:") ? Reply("150 Here").sendData(bytesOf(reply.mid(5))).then("226 Done")
                  : reply == "recv"         ? Reply("150 Go").receiveData().then("226 Done")
                                            : Reply(reply);
        if (once)
            server.once(prefix, r);
        else
            server.on(prefix, r);
    }
}

struct Run {
    ScriptedServer server;
    testsupport::TestViews views;
    TransferQueue queue{QString()};
    LogRecorder log;
    QTemporaryDir folder;
    QByteArray local = QFile::encodeName(folder.path());

    bool connected = false;

    explicit Run(const QStringList &rules)
    {
        script(server, rules);
        connected = testsupport::connectControl(server.port()) >= 0;
        controller().session().views.queue = &queue;
        views.onAskExistingFile = [](const QString &, bool, bool) {
            return ExistingFileAnswer{ExistingFileAnswer::Resume, false};
        };
    }
    bool go()
    {
        if (!connected)
            return false;
        return testsupport::runOnWorker(
            [inputs = testsupport::startingTransfer()] {
                FtpProtocol protocol(controller().session());
                (void)TransferQueueJob(protocol, controller().session(), inputs);
            },
            60000);
    }
    [[nodiscard]] bool said(const QString &text) const
    {
        return log.contains(text, LogColor::Error) || log.contains(text, LogColor::Status) ||
               log.contains(text, LogColor::Command);
    }
};

} // namespace

class TestResumeCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setLanguage(Language::English); }
    void init()
    {
        testsupport::freshController();
        appSettings().soundEffects = 0;
        appSettings().transferMode = 0;
        appSettings().afterTransferAction = 0;
        appSettings().verifyChecksums = true;
    }
    void cleanup() { testsupport::freshController(); }

    // A download onto a part of the file: appended only when the part's last 64 KiB are the
    // server's bytes at that place and the remote file has not been modified since the part was
    // started; otherwise a clear line in the log and the file again from its start (or skipped).
    void download_data()
    {
        QTest::addColumn<int>("part");          // bytes of the local part
        QTest::addColumn<QString>("record");    // kept with the part: none, same, damaged, other
        QTest::addColumn<QStringList>("rules"); // besides the usual answers
        QTest::addColumn<bool>("skip");         // the answer after a failed check
        QTest::addColumn<QByteArray>("result"); // the local file afterwards, as bytesOf
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("restAtPart"); // "REST <part>" went to the server
        QTest::addColumn<bool>("stays");      // the item is still queued afterwards

        const QString probe = "1:RETR => data:@slice 65536 65536";
        QTest::addRow("unchanged part resumes")
            << half << "same" << QStringList{probe, "RETR => data:@from 131072"} << false << QByteArray("@all")
            << "/a.bin: the last 64 KiB of the part match the server's file\n" << true << false;
        // The server answers REST with 350 and sends from byte 0 all the same.
        QTest::addRow("server ignores REST")
            << half << "none" << QStringList{"RETR => data:@all"} << false << QByteArray("@all")
            << "/a.bin: the last bytes of the part differ from the server's file, which has changed; nothing is "
               "appended\n"
            << false << false;
        QTest::addRow("server refuses REST")
            << half << "same" << QStringList{"REST => 502 No", "RETR => data:@all"} << false << QByteArray("@all")
            << "/a.bin: the server will not send the file from the middle; nothing is appended\n" << false << false;
        QTest::addRow("remote file shrank below the part")
            << half << "same" << QStringList{"SIZE => 213 100000", "RETR => data:@slice 0 100000"} << false
            << QByteArray("@slice 0 100000")
            << "/a.bin: the server's file (100000 bytes) is not longer than the local part (131072 bytes); nothing "
               "is appended\n"
            << false << false;
        QTest::addRow("fewer than 64 KiB after REST")
            << half << "same" << QStringList{"1:RETR => data:@slice 65536 1000", "RETR => data:@all"} << false
            << QByteArray("@all")
            << "/a.bin: the server sent 1000 of the 65536 bytes before the end of the part; nothing is appended\n"
            << false << false;
        QTest::addRow("MDTM that is no time")
            << half << "same" << QStringList{"MDTM => 213 2024-01-01 12:00", "RETR => data:@all"} << false
            << QByteArray("@all") << "/a.bin: the server's modified time cannot be read (213 2024-01-01 12:00); nothing is appended\n"
            << false << false;
        QTest::addRow("modified since the part was started")
            << half << "same" << QStringList{"MDTM => 213 20250606060606", "RETR => data:@all"} << false
            << QByteArray("@all")
            << "/a.bin: the server's file was modified after the part was started (then MDTM 20240101000000, now "
               "MDTM 20250606060606); nothing is appended\n"
            << false << false;
        QTest::addRow("damaged record")
            << half << "damaged" << QStringList{"RETR => data:@all"} << false << QByteArray("@all")
            << "/a.bin: the record kept with the part is damaged or belongs to another file; nothing is appended\n"
            << false << false;
        QTest::addRow("record of another file")
            << half << "other" << QStringList{"RETR => data:@all"} << false << QByteArray("@all")
            << "/a.bin: the record kept with the part is damaged or belongs to another file; nothing is appended\n"
            << false << false;
        QTest::addRow("skipped after a failed check keeps the part")
            << half << "none" << QStringList{"RETR => data:@all"} << true << QByteArray("@slice 0 131072")
            << "/a.bin: the last bytes of the part differ from the server's file, which has changed; nothing is "
               "appended\n"
            << false << false;
        QTest::addRow("part under 64 KiB fetched whole")
            << 1000 << "none" << QStringList{"RETR => data:@all"} << false << QByteArray("@all")
            << "The part of /a.bin is smaller than 64 KiB: it is fetched again whole\n" << false << false;
            // The check's piece came from the right place, the transfer's from byte 0: the part is cut
        // back to what it was, and the item waits for another run.
        QTest::addRow("REST taken for the check, ignored for the transfer")
            << half << "none" << QStringList{probe, "RETR => data:@all"} << false << QByteArray("@slice 0 131072")
            << "/a.bin: the server sent more than its file holds (393216 of 262144 bytes); the file is not taken as "
               "done\n"
            << true << true;
    }

    void download()
    {
        QFETCH(int, part);
        QFETCH(QString, record);
        QFETCH(QStringList, rules);
        QFETCH(bool, skip);
        QFETCH(QByteArray, result);
        QFETCH(QString, message);
        QFETCH(bool, restAtPart);
        QFETCH(bool, stays);

        Run run(rules);
        const QByteArray path = run.local + "/a.bin";
        QVERIFY(testsupport::writeFile(QFile::decodeName(path), content.left(part)));
        const QByteArray server = ResumeCheck::serverOf(controller().session());
        if (record == "same" || record == "other")
            QVERIFY(partialrecord::save(
                path, {server, record == "same" ? "/a.bin" : "/b.bin", content.size(), "MDTM " + listedTime}));
        if (record == "damaged") {
            // Where the attribute cannot be written the side file holds the record.
            const QByteArray cut = "tidewell-partial 1\n";
            if (::setxattr(path.constData(), "user.tidewell.partial", cut.constData(), size_t(cut.size()), 0) != 0)
                QVERIFY(testsupport::writeFile(QFile::decodeName(partialrecord::sidePath(path)), cut));
        }
        run.views.onAskUnverifiedResume = [skip](const QString &, bool) {
            return ExistingFileAnswer{skip ? ExistingFileAnswer::Skip : ExistingFileAnswer::Overwrite, false};
        };
        run.queue.AddQueueItem({"/a.bin", "262,144", run.local, QueueItem::Download, false}, false);
        QVERIFY(run.go());

        QCOMPARE(testsupport::readFile(QFile::decodeName(path)).toHex().left(80),
                 bytesOf(result).toHex().left(80));
        QCOMPARE(testsupport::readFile(QFile::decodeName(path)).size(), bytesOf(result).size());
        QVERIFY2(run.said(message), qPrintable(message));
        QCOMPARE(run.server.commands().contains("REST " + QByteArray::number(part)), restAtPart);
        QCOMPARE(run.queue.items().size(), stays ? 1 : 0);
        // A complete file keeps no record of its start.
        if (!skip && !stays)
            QCOMPARE(int(partialrecord::load(path).state), int(partialrecord::Loaded::State::Missing));
    }

    // An upload appended with APPE: the server's size always, and its last 64 KiB where it lets
    // them be read, must match the local file.
    void upload_data()
    {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QByteArray>("uploaded"); // as bytesOf
        QTest::addColumn<QString>("message");
        const QString listed = "LIST => data:-rw-r--r--   1 u  g  131072 Jan  1  2020 a.bin\r\n";
        QTest::addRow("appended after the overlap matched")
            << QStringList{listed, "SIZE => 213 131072", "1:RETR => data:@slice 65536 65536", "APPE => recv"}
            << QByteArray("@from 131072") << "/r/a.bin: the last 64 KiB of the part match the server's file\n";
        QTest::addRow("server's part differs: sent whole")
            << QStringList{listed, "SIZE => 213 131072", "1:RETR => data:@slice 0 65536", "STOR => recv"}
            << QByteArray("@all")
            << "/r/a.bin: the last bytes of the part differ from the server's file, which has changed; nothing is "
               "appended\n";
        QTest::addRow("server's part cannot be read: size alone")
            << QStringList{listed, "SIZE => 213 131072", "RETR => 550 No", "APPE => recv"}
            << QByteArray("@from 131072") << "/r/a.bin: the server's file cannot be read back; only its size was compared\n";
        QTest::addRow("server's size differs from the listing: sent whole")
            << QStringList{listed, "SIZE => 213 140000", "STOR => recv"} << QByteArray("@all")
            << "/r/a.bin: the server's file is 140000 bytes, not 131072 as listed; nothing is appended\n";
    }
    void upload()
    {
        QFETCH(QStringList, rules);
        QFETCH(QByteArray, uploaded);
        QFETCH(QString, message);
        Run run(rules);
        QVERIFY(testsupport::writeFile(run.folder.path() + "/a.bin", content));
        run.queue.AddQueueItem({run.local + "/a.bin", "262,144", "/r", QueueItem::Upload, false}, false);
        QVERIFY(run.go());
        QCOMPARE(run.server.uploaded().size(), bytesOf(uploaded).size());
        QVERIFY(run.server.uploaded() == bytesOf(uploaded));
        QVERIFY2(run.said(message), qPrintable(message));
        QVERIFY(run.queue.items().empty());
    }

    // After each transfer the file's hash, made while the bytes streamed, is compared with the
    // server's: a match is said in green, a mismatch in red and the item stays queued, a reply that
    // holds no digest makes no claim.
    void checksum_data()
    {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("offered"); // X commands as letters (2 1 m c), or "HASH:ALG,ALG"
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("color");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<QByteArray>("command"); // sent to the server ("" none)

        const int green = int(LogColor::Command), red = int(LogColor::Error), blue = int(LogColor::Status);
        const QString get = "RETR => data:@all";
        QTest::addRow("XSHA256 matches") << false << "2" << true << QStringList{get, "XSHA256 => 213 {sha256}"}
                                         << "/a.bin: verified (SHA-256)\n" << green << false
                                         << QByteArray("XSHA256 /a.bin");
        QTest::addRow("XSHA256 differs")
            << false << "2" << true << QStringList{get, "XSHA256 => 213 " + QString(64, '0')}
            << "/a.bin: the checksums differ (SHA-256): the server has " + QString(64, '0') + ", the transfer gave "
                   + QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()
                   + "\n"
            << red << true << QByteArray("XSHA256 /a.bin");
        QTest::addRow("reply of the wrong length")
            << false << "2" << true << QStringList{get, "XSHA256 => 213 abc123"}
            << "/a.bin: the server's XSHA256 reply holds no usable checksum; the transfer is not verified\n" << blue
            << false << QByteArray("XSHA256 /a.bin");
        QTest::addRow("HASH after OPTS HASH")
            << false << "HASH:MD5,SHA-1" << true
            << QStringList{get, "HASH => 213 SHA-1 0-262144 {sha1} a.bin"} << "/a.bin: verified (SHA-1)\n" << green
            << false << QByteArray("OPTS HASH SHA-1");
        QTest::addRow("XCRC") << false << "c" << true << QStringList{get, "XCRC => 213 {crc}"}
                              << "/a.bin: verified (CRC32)\n" << green << false << QByteArray("XCRC /a.bin");
        QTest::addRow("turned off") << false << "2" << false << QStringList{get} << QString() << green << false
                                    << QByteArray();
        QTest::addRow("upload matches") << true << "2" << true << QStringList{"STOR => recv", "XSHA256 => 213 {sha256}"}
                                        << "%1/a.bin: verified (SHA-256)\n" << green << false
                                        << QByteArray("XSHA256 /r/a.bin");
        QTest::addRow("resumed download verified whole")
            << false << "2" << true
            << QStringList{"1:RETR => data:@slice 65536 65536", "RETR => data:@from 131072", "XSHA256 => 213 {sha256}"}
            << "/a.bin: the resumed file was verified whole (SHA-256)\n" << green << false
            << QByteArray("REST 131072");
        QTest::addRow("resumed download without a hash: only the overlap")
            << false << "" << true
            << QStringList{"1:RETR => data:@slice 65536 65536", "RETR => data:@from 131072"}
            << "/a.bin: of the resumed file only the 64 KiB before the resume point were verified\n" << blue << false
            << QByteArray("REST 131072");
    }
    void checksum()
    {
        QFETCH(bool, upload);
        QFETCH(QString, offered);
        QFETCH(bool, enabled);
        QFETCH(QStringList, rules);
        QFETCH(QString, message);
        QFETCH(int, color);
        QFETCH(bool, stays);
        QFETCH(QByteArray, command);

        appSettings().verifyChecksums = enabled;
        Run run(rules);
        const bool resumed = command.startsWith("REST");
        const QString path = run.folder.path() + "/a.bin";
        if (upload || resumed)
            QVERIFY(testsupport::writeFile(path, resumed ? content.left(half) : content));
        run.queue.AddQueueItem(upload ? QueueItem{run.local + "/a.bin", "262,144", "/r", QueueItem::Upload, false}
                                      : QueueItem{"/a.bin", "262,144", run.local, QueueItem::Download, false},
                               false);
        ServerFeatures &features = controller().session().features;
        features.answered = true;
        features.xsha256 = offered.contains('2');
        features.xcrc = offered.contains('c');
        if (offered.startsWith("HASH:"))
            features.hashAlgorithms = offered.mid(5).toUtf8().split(',');
        QVERIFY(run.go());

        message.replace("%1", run.folder.path());
        if (!message.isEmpty())
            QVERIFY2(run.log.contains(message, LogColor(color)), qPrintable(message));
        if (!command.isEmpty())
            QVERIFY(run.server.commands().contains(command));
        for (const QByteArray &sent : run.server.commands())
            QVERIFY2(enabled || !sent.startsWith("XSHA256"), sent.constData());
        QCOMPARE(run.queue.items().size(), stays ? 1 : 0);
        if (!upload)
            QVERIFY(testsupport::readFile(path) == content);
    }

    // What a record holds comes back; bytes that are no record are found damaged.
    void partialRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        const PartialRecord sample{"h:21", "/odd\nname%", 5, "LIST Jan  1  2020"};
        QTest::addRow("round trip") << sample.toBytes() << true;
        QTest::addRow("cut") << sample.toBytes().chopped(3) << false;
        QTest::addRow("other version") << QByteArray(sample.toBytes()).replace("partial 1", "partial 2") << false;
        QTest::addRow("negative size") << QByteArray(sample.toBytes()).replace("\n5\n", "\n-5\n") << false;
        QTest::addRow("extra line") << sample.toBytes() + "x\n" << false;
        QTest::addRow("huge") << QByteArray(100000, '\n') << false;
    }
    void partialRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        const std::optional<PartialRecord> read = PartialRecord::fromBytes(bytes);
        QCOMPARE(read.has_value(), valid);
        if (valid)
            QCOMPARE(read->toBytes(), bytes);
    }
};

QTEST_MAIN(TestResumeCheck)
#include "tst_resumecheck.moc"
