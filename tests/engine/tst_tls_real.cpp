#include "testfiles.h"
#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/login.h"
#include "engine/tlssession.h"
#include "ftpserver.h"
#include "platform/strings.h"
#include "sessionreset.h"
#include "tlsftpserver.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using testsupport::LogRecorder;
using testsupport::TlsFtpServer;

using testsupport::randomBytes;
using testsupport::readFile;
using testsupport::writeFile;

namespace
{

// The SHA-256 fingerprint of a PEM certificate file, as the engine shows it.
QByteArray fingerprintOf(const QString &pemPath)
{
    QByteArray base64;
    for (const QByteArray &line : readFile(pemPath).split('\n'))
        if (!line.startsWith("-----"))
            base64 += line.trimmed();
    return QCryptographicHash::hash(QByteArray::fromBase64(base64), QCryptographicHash::Sha256).toHex(':').toUpper();
}

// Answers the certificate question as told and keeps what it was shown.
class CertificateHost : public EngineHost
{
public:
    bool trust = false;
    std::atomic<int> asked{0};
    CertificateFacts shown;
    bool acceptCertificate(const CertificateFacts &facts) override
    {
        ++asked;
        shown = facts;
        return trust;
    }
};

int countLines(const LogRecorder &log, const QString &start, LogColor color)
{
    int count = 0;
    for (const QString &text : log.texts(color))
        count += text.startsWith(start) ? 1 : 0;
    return count;
}

} // namespace

// The TLS road against a real FTP-over-TLS server that, like the strict servers, refuses data
// connections that do not resume the control connection's TLS session.
class TestTlsReal : public QObject
{
    Q_OBJECT
    QTemporaryDir local;
    // The read-outs a transfer posts name their connection: each lives as long as the test.
    std::vector<std::unique_ptr<FtpConnection>> connections;

    FtpConnection &freshConnection(EngineHost *host)
    {
        connections.push_back(std::make_unique<FtpConnection>());
        connections.back()->host = host;
        return *connections.back();
    }

    static LoginFields loginTo(quint16 port, Encryption encryption, const QString &host = QStringLiteral("127.0.0.1"))
    {
        LoginFields login;
        login.serverHost = host;
        login.port = port;
        login.userName = QStringLiteral("tester");
        login.password = QStringLiteral("secret");
        login.encryption = encryption;
        return login;
    }

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(local.isValid());
        // The test CA stands in for the system's trust store.
        qputenv("SSL_CERT_FILE", TlsFtpServer::dataFile(QStringLiteral("ca.pem")).toLocal8Bit());
        qunsetenv("SSL_CERT_DIR");
    }

    // Listing, download and upload arrive byte-identical over encrypted data connections that
    // resumed the control connection's session, for TLS 1.2 session ids and TLS 1.3 tickets.
    void browseDownloadUpload_data()
    {
        QTest::addColumn<bool>("implicit");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("passive");
        QTest::newRow("explicit TLS 1.3 PASV") << false << "1.3" << true;
        QTest::newRow("explicit TLS 1.2 PASV") << false << "1.2" << true;
        QTest::newRow("explicit TLS 1.3 PORT") << false << "1.3" << false;
        QTest::newRow("implicit TLS 1.3 PASV") << true << "1.3" << true;
        QTest::newRow("implicit TLS 1.2 PORT") << true << "1.2" << false;
    }
    void browseDownloadUpload()
    {
        QFETCH(bool, implicit);
        QFETCH(QString, version);
        QFETCH(bool, passive);
        TlsFtpServer server(implicit ? TlsFtpServer::Mode::Implicit : TlsFtpServer::Mode::Explicit,
                            QStringLiteral("server"), version);
        QVERIFY(server.isRunning());
        const int size = 3 << 20;
        const QByteArray content = randomBytes(size);
        QVERIFY(writeFile(server.root() + "/remote.bin", content));
        const QString toUpload = local.filePath(QStringLiteral("up.bin"));
        QVERIFY(writeFile(toUpload, content));
        const QString downloaded = local.filePath(QStringLiteral("down.bin"));
        const QString listing = local.filePath(QStringLiteral("listing.txt"));

        LogRecorder log;
        static CertificateHost host;
        host.asked = 0;
        host.trust = false;
        FtpConnection &connection = freshConnection(&host);
        int listed = -1;
        int down = -1;
        int up = -1;
        QVERIFY(testsupport::runOnWorker([&] {
            const Encryption encryption = implicit ? Encryption::Implicit : Encryption::ExplicitRequired;
            connection.controlSocket = Login(connection, loginTo(server.port(), encryption));
            if (connection.controlSocket == -1)
                return;
            connection.passive = passive;
            connection.listingTransfer = true;
            listed = RetrieveFile(connection, "NLST", listing, 'A');
            connection.listingTransfer = false;
            connection.transferRunning = true;
            connection.transferTotalSize = size;
            down = RetrieveFile(connection, "RETR remote.bin", downloaded, 'I');
            QByteArray command = "STOR back.bin";
            up = StoreFile(connection, command, toUpload, 'I');
            SendCommand(connection, "QUIT");
        }));
        if (listed != 2 || down != 2 || up != 2)
            for (const auto &line : log.lines())
                qDebug().noquote() << int(line.color) << line.text.trimmed();
        QCOMPARE(listed, 2);
        QCOMPARE(down, 2);
        QCOMPARE(up, 2);
        QVERIFY(readFile(listing).contains("remote.bin"));
        QVERIFY(readFile(downloaded) == content);
        QVERIFY(readFile(server.root() + "/back.bin") == content);
        QCOMPARE(host.asked.load(), 0);
        QVERIFY(connection.dataProtected);
        // Protocol and cipher once per connection; every data connection resumed.
        QCOMPARE(countLines(log, "TLS connection: TLSv" + version + ", ", LogColor::Status), 1);
        QCOMPARE(countLines(log, QStringLiteral("The data connection did not resume"), LogColor::Status), 0);
        QVERIFY(!log.texts(LogColor::Command).contains(QStringLiteral("AUTH TLS\n")) || !implicit);
        QVERIFY(log.texts(LogColor::Command).contains(QStringLiteral("PROT P\n")));
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    }

    // A certificate that does not verify is put to the user before anything else is sent; only
    // a yes lets the login go on.
    void certificateQuestion_data()
    {
        QTest::addColumn<QString>("certificate");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("trust");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("reason");
        const QString ip = QStringLiteral("127.0.0.1");
        const QString name = QStringLiteral("localhost");
        QTest::newRow("signed by a trusted CA") << "server" << ip << false << false << "";
        QTest::newRow("signed by a trusted CA, by name") << "server" << name << false << false << "";
        QTest::newRow("self-signed, trusted") << "selfsigned" << ip << true << true << "self-signed certificate";
        QTest::newRow("self-signed, refused") << "selfsigned" << ip << false << true << "self-signed certificate";
        QTest::newRow("for another name, refused") << "othername" << ip << false << true << "IP address mismatch";
        QTest::newRow("for another name, trusted") << "othername" << ip << true << true << "IP address mismatch";
        QTest::newRow("a NUL in the name") << "nulname" << name << false << true << "hostname mismatch";
    }
    void certificateQuestion()
    {
        QFETCH(QString, certificate);
        QFETCH(QString, host);
        QFETCH(bool, trust);
        QFETCH(bool, asked);
        QFETCH(QString, reason);
        TlsFtpServer server(TlsFtpServer::Mode::Explicit, certificate);
        QVERIFY(server.isRunning());
        QVERIFY(writeFile(server.root() + "/a.txt", "hello\n"));
        LogRecorder log;
        static CertificateHost question;
        question.asked = 0;
        question.trust = trust;
        question.shown = {};
        FtpConnection &connection = freshConnection(&question);
        int listed = -1;
        const QString listing = local.filePath(QStringLiteral("cert-listing.txt"));
        QVERIFY(testsupport::runOnWorker([&] {
            connection.controlSocket = Login(connection, loginTo(server.port(), Encryption::ExplicitRequired, host));
            if (connection.controlSocket == -1)
                return;
            connection.listingTransfer = true;
            listed = RetrieveFile(connection, "NLST", listing, 'A');
            SendCommand(connection, "QUIT");
        }));
        const bool loggedIn = !asked || trust;
        QCOMPARE(question.asked.load(), asked ? 1 : 0);
        QCOMPARE(listed, loggedIn ? 2 : -1);
        if (asked) {
            QCOMPARE(question.shown.reason, reason);
            QCOMPARE(question.shown.host, host);
            QCOMPARE(question.shown.port, int(server.port()));
            QCOMPARE(question.shown.fingerprint, fingerprintOf(TlsFtpServer::dataFile(certificate + ".pem")));
            QVERIFY(question.shown.subject.contains(QStringLiteral("CN")));
            QVERIFY(!question.shown.validUntil.isEmpty());
        }
        if (!loggedIn) {
            // Not even the user name went out.
            QCOMPARE(log.texts(LogColor::Command), QStringList{QStringLiteral("AUTH TLS\n")});
            QVERIFY(log.contains(QStringLiteral("The server's certificate was not accepted: connection closed\n"),
                                 LogColor::Error));
            QCOMPARE(connection.controlSocket.load(), -1);
        }
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    }

    // A data connection that ends without close_notify may have been cut by anyone on the way:
    // the download is not complete, even when the server says it is, and the session goes on.
    void cutDataConnection_data()
    {
        QTest::addColumn<qint64>("listedSize");
        QTest::newRow("size listed") << qint64(1 << 20);
        QTest::newRow("size not known") << qint64(0);
    }
    void cutDataConnection()
    {
        QFETCH(qint64, listedSize);
        TlsFtpServer server(TlsFtpServer::Mode::Explicit, QStringLiteral("server"), QStringLiteral("1.3"),
                            QStringLiteral("cut"));
        QVERIFY(server.isRunning());
        QVERIFY(writeFile(server.root() + "/remote.bin", randomBytes(1 << 20)));
        LogRecorder log;
        FtpConnection &connection = freshConnection(nullptr);
        int down = -1;
        int noop = -1;
        QVERIFY(testsupport::runOnWorker([&] {
            connection.controlSocket = Login(connection, loginTo(server.port(), Encryption::ExplicitRequired));
            if (connection.controlSocket == -1)
                return;
            connection.transferRunning = true;
            connection.transferTotalSize = listedSize;
            down = RetrieveFile(connection, "RETR remote.bin", local.filePath(QStringLiteral("cut.bin")), 'I');
            connection.transferRunning = false;
            noop = SendCommand(connection, "NOOP");
        }));
        QCOMPARE(down, 0);
        QVERIFY(log.contains(QStringLiteral("The data connection ended without closing TLS: the transfer is incomplete\n"),
                             LogColor::Error));
        QCOMPARE(noop, 2);
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    }

    // PROT P refused: a site that requires TLS ends the login, since its files would go in the
    // clear; "if offered" goes on with unencrypted data connections and says so in red.
    void protectionRefused_data()
    {
        QTest::addColumn<Encryption>("encryption");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("redLine");
        QTest::newRow("required") << Encryption::ExplicitRequired << false
                                  << "The server refused to encrypt data connections (PROT P): connection closed\n";
        QTest::newRow("if offered") << Encryption::ExplicitIfOffered << true
                                    << "The server refused to encrypt data connections (PROT P): listings and files "
                                       "are sent unencrypted\n";
    }
    void protectionRefused()
    {
        QFETCH(Encryption, encryption);
        QFETCH(bool, loggedIn);
        QFETCH(QString, redLine);
        TlsFtpServer server(TlsFtpServer::Mode::Explicit, QStringLiteral("server"), QStringLiteral("1.3"),
                            QStringLiteral("refuse-prot"));
        QVERIFY(server.isRunning());
        QVERIFY(writeFile(server.root() + "/a.txt", "hello\n"));
        LogRecorder log;
        FtpConnection &connection = freshConnection(nullptr);
        int listed = -1;
        const QString listing = local.filePath(QStringLiteral("clear-listing.txt"));
        QVERIFY(testsupport::runOnWorker([&] {
            connection.controlSocket = Login(connection, loginTo(server.port(), encryption));
            if (connection.controlSocket == -1)
                return;
            connection.listingTransfer = true;
            listed = RetrieveFile(connection, "NLST", listing, 'A');
        }));
        QCOMPARE(connection.controlSocket != -1, loggedIn);
        QVERIFY(log.contains(redLine, LogColor::Error));
        QVERIFY(!connection.dataProtected);
        QCOMPARE(connection.tlsRefused.load(), !loggedIn);
        if (loggedIn) {
            QCOMPARE(listed, 2);
            QVERIFY(readFile(listing).contains("a.txt"));
        }
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    }

    // A server without TLS: "if offered" goes on in the clear and says so in red; "required"
    // ends before the user name goes out.
    void serverWithoutTls_data()
    {
        QTest::addColumn<Encryption>("encryption");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("redLine");
        QTest::newRow("if offered") << Encryption::ExplicitIfOffered << true
                                    << "The server does not offer TLS: the password is sent unencrypted\n";
        QTest::newRow("required") << Encryption::ExplicitRequired << false
                                  << "The server refused TLS, which this site requires: connection closed\n";
    }
    void serverWithoutTls()
    {
        QFETCH(Encryption, encryption);
        QFETCH(bool, loggedIn);
        QFETCH(QString, redLine);
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        LogRecorder log;
        FtpConnection &connection = freshConnection(nullptr);
        int socket = -1;
        QVERIFY(testsupport::runOnWorker([&] {
            LoginFields login = loginTo(server.port(), encryption);
            socket = Login(connection, login);
            if (socket != -1)
                SendCommand(connection, "QUIT");
        }));
        QCOMPARE(socket != -1, loggedIn);
        QVERIFY(log.contains(redLine, LogColor::Error));
        QCOMPARE(log.texts(LogColor::Command).contains(QStringLiteral("USER tester\n")), loggedIn);
        QVERIFY(!connection.dataProtected);
        connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    }

    // A session closed right after a login leaves its encryption read-out on the way: it must not
    // reach the host that has gone (it once called into freed memory), and must reach a live one.
    void readOutAfterTheHostHasGone()
    {
        struct ReadOutHost : EngineHost {
            int *seen;
            explicit ReadOutHost(int *counter) : seen(counter) {}
            void encryptionChanged(bool, bool) override { ++*seen; }
        };
        int seen = 0;
        FtpConnection connection;
        for (const bool gone : {true, false}) {
            auto host = std::make_unique<ReadOutHost>(&seen);
            connection.host = host.get();
            std::thread([&] { ReportEncryption(connection); }).join();
            if (gone)
                host.reset();
            QCoreApplication::processEvents();
            QCOMPARE(seen, gone ? 0 : 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestTlsReal)
#include "tst_tls_real.moc"
