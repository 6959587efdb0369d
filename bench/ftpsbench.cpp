// Headless driver of the engine for bench/ftps-vs-curl.sh: one login over explicit TLS (the
// bench server's self-signed certificate trusted as a user would), one download (get) or upload
// (put) on the worker, the read-outs delivered to this thread as the window gets them.
#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/login.h"
#include "platform/log.h"
#include "platform/workerstop.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 9 || (args[1] != "get" && args[1] != "put")) {
        std::fprintf(stderr, "usage: ftpsbench get|put host port user password remote-name local-path size\n");
        return 2;
    }
    const bool download = args[1] == "get";
    // FTPSBENCH_LOG=1 shows the session log on stderr (for trying a server by hand).
    if (qEnvironmentVariableIsSet("FTPSBENCH_LOG"))
        setLogSink([](const QString &text, LogColor) { std::fputs(text.toUtf8().constData(), stderr); });
    LoginFields login;
    login.serverHost = args[2];
    login.port = args[3].toInt();
    login.userName = args[4];
    login.password = args[5];
    login.encryption = Encryption::ExplicitRequired;

    struct BenchHost : EngineHost {
        bool acceptCertificate(const CertificateFacts &) override { return true; }
    } host;
    FtpConnection connection;
    connection.host = &host;
    connection.options.bell = false;

    int result = 0;
    std::thread worker([&] {
        workerstop::beginWorker();
        try {
            connection.controlSocket = Login(connection, login);
            if (connection.controlSocket != -1) {
                connection.transferRunning = true;
                connection.transferTotalSize = args[8].toLongLong();
                const QByteArray name = args[6].toUtf8();
                if (download) {
                    result = RetrieveFile(connection, "RETR " + name, args[7], 'I');
                } else {
                    QByteArray command = "STOR " + name;
                    result = StoreFile(connection, command, args[7], 'I');
                }
                (void)SendCommand(connection, "QUIT");
            }
        } catch (const WorkerStopped &) {
        }
        workerstop::endWorker();
        QMetaObject::invokeMethod(&app, [&app] { app.quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    connection.controlSocket = CloseSocketAbortive(connection, connection.controlSocket);
    return result == 2 ? 0 : 1;
}
