#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/listingloader.h"
#include "engine/login.h"
#include "ftpserver.h"
#include "platform/appsettings.h"
#include "platform/programpaths.h"
#include "platform/strings.h"
#include "session/ftpprotocol.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "sessionreset.h"
#include "testfiles.h"
#include "testviews.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using testsupport::controller;
using testsupport::FtpServer;
using testsupport::LogRecorder;

namespace
{

// Names with sizes (folders without), sorted: what MLSD and LIST of one folder must agree on.
QStringList namesAndSizes(const FileRows &rows)
{
    QStringList out;
    for (size_t row = 0; row < rows.size(); ++row)
        out.append(QString::fromUtf8(rows.nameBytes(row)) + QLatin1Char('/') + rows.text(row, SizeColumn));
    out.sort();
    return out;
}

std::optional<FileRows> listFolder(Session &s, const QByteArray &command)
{
    s.machineListingWanted = true;
    const int result = command.isEmpty() ? DownloadFolderListing(s) : DownloadListing(s, command);
    if (result != 2)
        return std::nullopt;
    ListingState state(s.serverKind);
    state.machineListing = command.isEmpty() && s.machineListing;
    return ReadListingFile(programpaths::listingTempFile(), state);
}

bool setModified(const QString &path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

time_t modifiedOf(const QString &path)
{
    struct stat status {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mtim.tv_sec : -1;
}

} // namespace

class TestServerRoadsReal : public QObject
{
    Q_OBJECT
    QTemporaryDir local;

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(local.isValid());
    }
    void init() { testsupport::freshController(); }
    void cleanup() { testsupport::freshController(); }

    // Over IPv6 and IPv4, passive and active: the login reads the features, the folder is listed
    // by MLSD with the names and sizes LIST gives, a file goes down and up again whole, and both
    // copies keep the time of the one they were made from.
    void wholeRoad_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<QString>("dataCommand");
        QTest::newRow("IPv6 passive") << "::1"
                                      << "[::1]" << true << "EPSV\n";
        QTest::newRow("IPv6 active") << "::1"
                                     << "::1" << false << "EPRT |2|::1|";
        QTest::newRow("IPv4 passive") << "127.0.0.1"
                                      << "127.0.0.1" << true << "EPSV\n";
        QTest::newRow("IPv4 active") << "127.0.0.1"
                                     << "127.0.0.1" << false << "PORT 127,0,0,1,";
    }
    void wholeRoad()
    {
        QFETCH(QString, address);
        QFETCH(QString, host);
        QFETCH(bool, passive);
        QFETCH(QString, dataCommand);
        FtpServer server(address);
        if (!server.isRunning() && address == QLatin1String("::1"))
            QSKIP("no IPv6 loopback on this machine");
        QVERIFY(server.isRunning());

        const QByteArray content = testsupport::randomBytes(300000);
        QVERIFY(testsupport::writeFile(server.root() + "/data.bin", content));
        QVERIFY(testsupport::writeFile(server.root() + "/a b;c.txt", "semicolon"));
        QVERIFY(testsupport::writeFile(server.root() + "/  leading", "blanks"));
        QVERIFY(testsupport::writeFile(server.root() + "/empty", ""));
        QVERIFY(QDir(server.root()).mkdir(QStringLiteral("folder")));
        const time_t serverTime = 1500000000; // 2017-07-14 02:40:00 UTC
        QVERIFY(setModified(server.root() + "/data.bin", serverTime));
        const QString downloaded =
            local.filePath(QStringLiteral("down-%1-%2").arg(passive).arg(address.size()));
        const QString upload = local.filePath(QStringLiteral("up-%1-%2").arg(passive).arg(address.size()));
        QVERIFY(testsupport::writeFile(upload, content));
        const time_t localTime = 1400000000;
        QVERIFY(setModified(upload, localTime));

        auto &s = controller().session();
        s.serverHost = host;
        s.port = server.port();
        s.userName = QString::fromLatin1(FtpServer::user);
        s.password = QString::fromLatin1(FtpServer::password);
        s.currentType = 'A';
        s.options.keepFileTimes = true;
        LogRecorder log;
        std::optional<FileRows> machine, text;
        OperationResult down, up;
        QVERIFY(testsupport::runOnWorker([&] {
            if (Login(s, s.login()) < 0)
                return;
            s.passive = passive;
            machine = listFolder(s, {});
            text = listFolder(s, "LIST");
            FtpProtocol protocol(s);
            qint64 received = 0;
            down = protocol.retrieve({"data.bin", downloaded, 'I', 0, content.size()}, received);
            up = protocol.store({"up.bin", upload, 'I', 0, content.size()});
            (void)SendCommand(s, "QUIT");
        }));
        QVERIFY(s.features.mlsd && s.features.epsv && s.features.mfmt && s.features.mdtm);
        QVERIFY(machine && text);
        QVERIFY(log.contains(QStringLiteral("MLSD\n"), LogColor::Command));
        QCOMPARE(namesAndSizes(*machine), namesAndSizes(*text));
        QCOMPARE(machine->size(), size_t(5));
        QVERIFY(down.done());
        QVERIFY(up.done());
        QVERIFY(testsupport::readFile(downloaded) == content);
        QVERIFY(testsupport::readFile(server.root() + "/up.bin") == content);
        QCOMPARE(modifiedOf(downloaded), serverTime);
        QCOMPARE(modifiedOf(server.root() + "/up.bin"), localTime);
        bool sawDataCommand = false;
        for (const QString &line : log.texts(LogColor::Command))
            sawDataCommand = sawDataCommand || line.startsWith(dataCommand);
        QVERIFY2(sawDataCommand, qPrintable(log.texts(LogColor::Command).join(QLatin1Char('|'))));
        QVERIFY(!log.contains(QStringLiteral("PASV\n"), LogColor::Command));
    }
};

QTEST_GUILESS_MAIN(TestServerRoadsReal)
#include "tst_serverroads_real.moc"
