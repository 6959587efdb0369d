// The kernel copy paths (sendfile, splice) and the byte loop side by side: the same bytes against
// the real server, and the same messages and partial files when the disk fills, the data
// connection is reset or the file shrinks under an upload.
#include "testfiles.h"
#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/login.h"
#include "engine/zerocopy.h"
#include "ftpserver.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/workerstop.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <functional>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using testsupport::FtpServer;
using testsupport::LogRecorder;
using testsupport::Reply;
using testsupport::ScriptedServer;

using testsupport::readFile;
using testsupport::writeFile;

namespace
{

QByteArray sample(int size, bool text)
{
    if (!text)
        return testsupport::randomBytes(size);
    QByteArray bytes;
    for (int line = 0; bytes.size() < size; ++line)
        bytes += "line " + QByteArray::number(line) + (line % 7 ? "\n" : " and a longer one\n");
    bytes.truncate(size);
    return bytes;
}

// Processor time of the calling thread, in milliseconds: a loop that spins on a socket with
// nothing to read shows here.
qint64 threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

// The other end of one data connection, served by a test's own function on a thread: PASV
// replies of the scripted server point here.
class DataPeer
{
public:
    explicit DataPeer(std::function<void(int socket)> serve)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        // A small window: the sender cannot have the whole file in flight long before it is read.
        const int window = 64 * 1024;
        setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0 ||
            ::listen(listener_, 1) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, serve = std::move(serve)] {
            const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (socket >= 0)
                serve(socket);
        });
    }
    ~DataPeer()
    {
        ::shutdown(listener_, SHUT_RDWR); // ends an accept that nobody answered
        wait();
        ::close(listener_);
    }
    // Until the serving function has returned.
    void wait()
    {
        if (thread_.joinable())
            thread_.join();
    }
    DataPeer(const DataPeer &) = delete;
    DataPeer &operator=(const DataPeer &) = delete;

    QByteArray pasvReply() const
    {
        return "227 Entering Passive Mode (127,0,0,1," + QByteArray::number(port_ >> 8) + ',' +
               QByteArray::number(port_ & 0xFF) + ')';
    }

private:
    int listener_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
};

// Ends the connection with a reset instead of a close: what a crashed or killed server leaves.
void resetConnection(int socket)
{
    const linger abortive{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::close(socket);
}

void sendAll(int socket, const QByteArray &bytes)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(socket, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

// A small file system of its own that fills after `size`; removed again when the guard goes.
// Needs the right to mount (the tests run as root in the build container).
class SmallDisk
{
public:
    SmallDisk(const QString &path, const QByteArray &size) : path_(QFile::encodeName(path))
    {
        mounted_ = ::mount("tmpfs", path_.constData(), "tmpfs", 0, ("size=" + size).constData()) == 0;
    }
    ~SmallDisk()
    {
        if (mounted_)
            ::umount2(path_.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return mounted_; }

private:
    QByteArray path_;
    bool mounted_ = false;
};

// One row for the kernel paths, one for the byte loop.
void addPathRows()
{
    QTest::addColumn<bool>("zeroCopy");
    QTest::newRow("kernel") << true;
    QTest::newRow("bytes") << false;
}

} // namespace

class TestCopyPaths : public QObject
{
    Q_OBJECT
    QTemporaryDir local;
    // Fresh for every case: nothing of one case's connection reaches the next.
    std::unique_ptr<FtpConnection> connection;

    // The control connection to the scripted server, greeting read, as a login leaves it.
    bool connectTo(const ScriptedServer &server)
    {
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(server.port());
        if (::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(socket);
            return false;
        }
        connection->controlSocket = socket;
        if (ReadReply(*connection) != 2)
            return false;
        connection->connected = true;
        connection->currentType = 'I';
        return true;
    }

private slots:
    void initTestCase()
    {
        setLanguage(Language::English);
        QVERIFY(local.isValid());
    }
    // Uploads to this machine take the byte loop unless told otherwise; elsewhere the kernel path.
    // A connected datagram socket names a peer without sending anything.
    void uploadPathByPeer_data()
    {
        QTest::addColumn<QByteArray>("peer");
        QTest::addColumn<bool>("byteLoopToThisMachine");
        QTest::addColumn<char>("type");
        QTest::addColumn<bool>("kernel");
        QTest::newRow("127.0.0.1") << QByteArray("127.0.0.1") << true << 'I' << false;
        QTest::newRow("127.1.2.3") << QByteArray("127.1.2.3") << true << 'I' << false;
        QTest::newRow("::1") << QByteArray("::1") << true << 'I' << false;
        QTest::newRow("::ffff:127.0.0.1") << QByteArray("::ffff:127.0.0.1") << true << 'I' << false;
        QTest::newRow("127.0.0.1, told to use the kernel") << QByteArray("127.0.0.1") << false << 'I' << true;
        QTest::newRow("another machine") << QByteArray("192.0.2.1") << true << 'I' << true;
        QTest::newRow("another machine, type A") << QByteArray("192.0.2.1") << true << 'A' << false;
    }
    void uploadPathByPeer()
    {
        QFETCH(QByteArray, peer);
        QFETCH(bool, byteLoopToThisMachine);
        QFETCH(char, type);
        QFETCH(bool, kernel);
        sockaddr_storage address{};
        socklen_t length = 0;
        auto *v4 = reinterpret_cast<sockaddr_in *>(&address);
        auto *v6 = reinterpret_cast<sockaddr_in6 *>(&address);
        if (inet_pton(AF_INET, peer.constData(), &v4->sin_addr) == 1) {
            v4->sin_family = AF_INET;
            v4->sin_port = htons(9);
            length = sizeof *v4;
        } else {
            QVERIFY(inet_pton(AF_INET6, peer.constData(), &v6->sin6_addr) == 1);
            v6->sin6_family = AF_INET6;
            v6->sin6_port = htons(9);
            length = sizeof *v6;
        }
        const int socket = ::socket(address.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        QVERIFY(socket >= 0);
        const auto closer = qScopeGuard([socket] { ::close(socket); });
        if (::connect(socket, reinterpret_cast<sockaddr *>(&address), length) != 0)
            QSKIP("no route to the address on this machine");
        connection->options.byteLoopToThisMachine = byteLoopToThisMachine;
        QCOMPARE(canSendWithoutCopy(*connection, type, socket), kernel);
    }

    void init()
    {
        connection = std::make_unique<FtpConnection>();
        connection->options.anonymousPassword = "tester@example.org";
        connection->options.bell = false;
    }
    void cleanup()
    {
        for (auto *socket : {&connection->dataSocket, &connection->listenSocket, &connection->controlSocket})
            *socket = CloseSocketAbortive(*connection, *socket);
        (void)CloseLocalFiles(*connection);
        // The progress read-outs still on their way name the connection (and wait out their
        // interval): they arrive first.
        QTest::qWait(120);
        connection.reset();
    }

    // Every path and type both ways against the real server, byte for byte; passive and active
    // data connections alike.
    void sameBytesOnEveryPath_data()
    {
        QTest::addColumn<bool>("zeroCopy");
        QTest::addColumn<char>("type");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<int>("size");
        for (const bool zeroCopy : {true, false})
            for (const char type : {'I', 'A'})
                for (const bool passive : {true, false})
                    for (const int size : {0, 1, (3 << 20) + 4099})
                        QTest::addRow("%s %c %s %d", zeroCopy ? "kernel" : "bytes", type, passive ? "PASV" : "PORT",
                                      size)
                            << zeroCopy << type << passive << size;
    }
    void sameBytesOnEveryPath()
    {
        QFETCH(bool, zeroCopy);
        QFETCH(char, type);
        QFETCH(bool, passive);
        QFETCH(int, size);
        FtpServer server;
        QVERIFY(server.isRunning());
        const QByteArray content = sample(size, type == 'A');
        const QString name = QStringLiteral("f%1").arg(size);
        QVERIFY(writeFile(server.root() + "/" + name, content));
        const QString downloaded = local.filePath(name + ".down");
        const QString toUpload = local.filePath(name + ".up");
        QVERIFY(writeFile(toUpload, content));

        int down = -1;
        int up = -1;
        FtpConnection &c = *connection;
        c.options.zeroCopy = zeroCopy;
        c.options.byteLoopToThisMachine = false; // the kernel rows must take the kernel path here too
        QVERIFY(testsupport::runOnWorker([&] {
            LoginFields login;
            login.serverHost = QStringLiteral("127.0.0.1");
            login.port = server.port();
            login.userName = QString::fromLatin1(FtpServer::user);
            login.password = QString::fromLatin1(FtpServer::password);
            c.controlSocket = Login(c, login);
            if (c.controlSocket == -1)
                return;
            c.passive = passive;
            c.transferRunning = true;
            c.transferTotalSize = size;
            down = RetrieveFile(c, "RETR " + name.toUtf8(), downloaded, type);
            QByteArray command = "STOR " + name.toUtf8() + ".back";
            up = StoreFile(c, command, toUpload, type);
            (void)SendCommand(c, "QUIT");
        }));
        QCOMPARE(down, 2);
        QCOMPARE(up, 2);
        QVERIFY(readFile(downloaded) == content);
        QVERIFY(readFile(server.root() + "/" + name + ".back") == content);
        QCOMPARE(c.transferDone.load(), qint64(size));
    }

    // The disk fills in the middle: the file keeps what fitted, the transfer is no success, and
    // the message is the one of a failed write, whichever path wrote.
    void fullDisk_data()
    {
        addPathRows();
    }
    void fullDisk()
    {
        QFETCH(bool, zeroCopy);
        const QString folder = local.filePath(QStringLiteral("small-%1").arg(zeroCopy));
        QVERIFY(QDir().mkpath(folder));
        const SmallDisk disk(folder, "1m");
        if (!disk.mounted())
            QSKIP("a small file system cannot be mounted here");
        const QByteArray content = sample(3 << 20, false);
        ScriptedServer server;
        server.on("PASV", Reply::pasv());
        server.on("RETR", Reply("150 Opening").sendData(content).then("226 Done"));
        QVERIFY(connectTo(server));
        connection->options.zeroCopy = zeroCopy;
        connection->options.byteLoopToThisMachine = false;
        connection->transferRunning = true;
        connection->transferTotalSize = content.size();
        LogRecorder log;
        const QString target = folder + QStringLiteral("/big");
        const qint64 cpuBefore = threadCpuMs();
        QCOMPARE(RetrieveFile(*connection, "RETR big", target, 'I'), 0);
        QVERIFY(threadCpuMs() - cpuBefore < 2000);
        const QByteArray written = readFile(target);
        QVERIFY(written.size() > 0);
        QVERIFY(written.size() <= 1 << 20);
        QVERIFY(written == content.left(written.size()));
        QCOMPARE(log.texts(LogColor::Error),
                 QStringList{formatText(TextId::CannotWriteLocalFile, qt_error_string(ENOSPC).toUtf8().constData())});
    }

    // The server goes away with a reset after a part, with a pause before it: the part stays,
    // the log says the data ended early, and the wait for more costs no processor time.
    void resetInTheMiddle_data()
    {
        addPathRows();
    }
    void resetInTheMiddle()
    {
        QFETCH(bool, zeroCopy);
        const QByteArray content = sample(1 << 20, false);
        const int part = 300000;
        DataPeer peer([&](int socket) {
            sendAll(socket, content.left(part));
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            resetConnection(socket);
        });
        ScriptedServer server;
        server.on("PASV", Reply::pasv(peer.pasvReply()));
        server.on("RETR", Reply("150 Opening\r\n426 Connection reset"));
        QVERIFY(connectTo(server));
        connection->options.zeroCopy = zeroCopy;
        connection->options.byteLoopToThisMachine = false;
        connection->transferRunning = true;
        connection->transferTotalSize = content.size();
        LogRecorder log;
        const QString target = local.filePath(QStringLiteral("reset-%1").arg(zeroCopy));
        const qint64 cpuBefore = threadCpuMs();
        QCOMPARE(RetrieveFile(*connection, "RETR big", target, 'I'), 4);
        // Waiting costs next to nothing; a loop that spins takes a core for the whole pause, or on
        // a machine this busy at least a good part of it.
        QVERIFY2(threadCpuMs() - cpuBefore < 40, "the wait for data spins");
        QCOMPARE(readFile(target), content.left(part));
        QCOMPARE(connection->transferDone.load(), qint64(part));
        QCOMPARE(log.texts(LogColor::Error),
                 QStringList{formatText(TextId::DataConnectionClosedEarly, long(part), long(content.size()))});
    }

    // Another program cuts the file while it goes up: the upload ends where the file now ends,
    // with what it held before the cut, as the byte loop always did.
    void fileShrinksDuringUpload_data()
    {
        addPathRows();
    }
    void fileShrinksDuringUpload()
    {
        QFETCH(bool, zeroCopy);
        const QByteArray content = sample(16 << 20, false);
        const QString source = local.filePath(QStringLiteral("shrinks-%1").arg(zeroCopy));
        QVERIFY(writeFile(source, content));
        const qint64 cut = 4 << 20;
        QByteArray received;
        DataPeer peer([&](int socket) {
            char buffer[65536];
            bool shrunk = false;
            for (;;) {
                const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                received.append(buffer, n);
                if (!shrunk && received.size() >= 1 << 20) {
                    shrunk = ::truncate(QFile::encodeName(source).constData(), cut) == 0;
                    // The sender runs into the new end while this side reads slowly.
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            }
            ::close(socket);
        });
        ScriptedServer server;
        server.on("PASV", Reply::pasv(peer.pasvReply()));
        server.on("STOR", Reply("150 Opening\r\n226 Done"));
        QVERIFY(connectTo(server));
        connection->options.zeroCopy = zeroCopy;
        connection->options.byteLoopToThisMachine = false;
        connection->transferRunning = true;
        connection->transferTotalSize = content.size();
        LogRecorder log;
        QByteArray command = "STOR shrinks";
        QCOMPARE(StoreFile(*connection, command, source, 'I'), 2);
        peer.wait();
        QVERIFY(received.size() >= cut);
        QVERIFY(received.size() < content.size());
        QVERIFY(received == content.left(received.size()));
        QCOMPARE(connection->transferDone.load(), qint64(received.size()));
        QCOMPARE(log.texts(LogColor::Error), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCopyPaths)
#include "tst_copypaths.moc"
