// Headless driver of the queue transfer job for bench/tree-vs-lftp.sh: one login, one folder item
// queued (a remote folder to download, or a local folder to upload), the real job run on the
// worker until the queue is empty, with no window: the job's calls to the window thread still go
// through this process's event loop, as they would in the program.
#include "engine/controlconnection.h"
#include "engine/login.h"
#include "platform/appsettings.h"
#include "platform/log.h"
#include "platform/workerstop.h"
#include "session/jobs.h"
#include "session/engineoptions.h"
#include "session/ftpprotocol.h"
#include "session/queuetransferjob.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "session/transferqueue.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 8 || (args[1] != "get" && args[1] != "put")) {
        std::fprintf(stderr, "usage: treebench get|put host port user password remote-folder local-folder\n"
                             "  get: remote-folder comes down into local-folder\n"
                             "  put: local-folder goes up into remote-folder\n");
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
    appSettings().asciiExtensions.clear();
    appSettings().afterTransferAction = 0;
    // Connections for the run, the session's own included (bench/tree-latency.sh).
    appSettings().simultaneousTransfers = qEnvironmentVariableIsSet("TREEBENCH_CONNECTIONS")
                                              ? qEnvironmentVariableIntValue("TREEBENCH_CONNECTIONS")
                                              : 1;
    // As the worker takes them when a job starts.
    s.options = engineOptions(appSettings());
    s.jobOptions = jobOptions(appSettings());

    // Errors go to the terminal; everything else would only slow the run down.
    setLogSink([](const QString &text, LogColor color) {
        if (color == LogColor::Error || qEnvironmentVariableIsSet("TREEBENCH_LOG"))
            std::fputs(text.toLocal8Bit().constData(), stderr);
    });
    // A queue of its own in a scratch folder: the program's QUEUE.Q is left alone.
    TransferQueue queue(QFile::decodeName(qgetenv("TMPDIR").isEmpty() ? "/tmp/" : qgetenv("TMPDIR") + "/"));
    s.views.queue = &queue;
    QueueItem item;
    item.isFolder = true;
    item.direction = download ? QueueItem::Download : QueueItem::Upload;
    item.name = download ? args[6].toUtf8() : QFile::encodeName(args[7]);
    item.destination = download ? QFile::encodeName(args[7]) : args[6].toUtf8();
    queue.AddQueueItem(item, false);

    bool loggedIn = false;
    std::thread worker([&] {
        workerstop::beginWorker();
        try {
            s.controlSocket = Login(s, s.login());
            if (s.controlSocket >= 0) {
                loggedIn = true;
                s.connected = true;
                s.currentType = 'A';
                s.passive = true;
                TransferInputs inputs;
                inputs.queue = &queue;
                FtpProtocol protocol(s);
                (void)TransferQueueJob(protocol, s, inputs);
                (void)SendCommand(s, "QUIT");
            }
        } catch (const WorkerStopped &) {
        }
        workerstop::endWorker();
        QMetaObject::invokeMethod(
            &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    const int left = queue.queueCount();
    std::fprintf(stderr, "logged in %d, items left in the queue %d\n", int(loggedIn), left);
    return loggedIn && left == 0 ? 0 : 1;
}
