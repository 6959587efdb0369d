// Headless driver of the engine for bench/transfer-vs-curl.sh: one login, one download (get) or
// upload (put) on the worker, with the progress and rate read-outs posted to the window thread
// exactly as the main window receives them.
#include "engine/controlconnection.h"
#include "engine/dataconnection.h"
#include "engine/login.h"
#include "platform/workerstop.h"
#include "platform/appsettings.h"
#include "session/session.h"
#include "session/sessioncontroller.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 9 || (args[1] != "get" && args[1] != "put")) {
        std::fprintf(stderr,
                     "usage: transferbench get|put host port user password remote-name local-path size\n");
        return 2;
    }
    const bool download = args[1] == "get";
    SessionController controller(appSettings());
    Session &s = controller.session();
    s.serverHost = args[2];
    s.port = args[3].toInt();
    s.userName = args[4];
    s.password = args[5];
    s.anonymousLogin = false;
    appSettings().soundEffects = 0;
    // ZEROCOPY=0 measures the byte loop that type A and encrypted connections take.
    s.options.zeroCopy = qEnvironmentVariable("ZEROCOPY", QStringLiteral("1")) != QLatin1String("0");

    // The read-outs arrive on this thread, as they would in the window.
    struct CountingHost : EngineHost {
        long progressShown = 0;
        void progressText(const QString &) override { ++progressShown; }
    } host;
    s.host = &host;

    int result = 0;
    std::thread worker([&] {
        workerstop::beginWorker();
        try {
            const int control = Login(s, s.login());
            if (control != -1) {
                s.controlSocket = control;
                s.connected = true;
                s.currentType = 'A';
                s.passive = true;
                s.transferRunning = true;
                const QByteArray name = args[6].toUtf8();
                const QString local = args[7];
                s.transferTotalSize = args[8].toLongLong();
                if (download) {
                    result = RetrieveFile(s, "RETR " + name, local, 'I');
                } else {
                    QByteArray command = "STOR " + name;
                    result = StoreFile(s, command, local, 'I');
                }
                s.transferRunning = false;
                SendCommand(s, "QUIT");
            }
        } catch (const WorkerStopped &) {
        }
        workerstop::endWorker();
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    QCoreApplication::processEvents();
    s.host = nullptr;
    std::fprintf(stderr, "result %d, progress read-outs shown %ld\n", result, host.progressShown);
    return result == 2 ? 0 : 1;
}
