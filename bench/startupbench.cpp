// Driver of bench/startup.sh: starts the program as its main() does and reports, on the first
// showing of the Site Manager (which opens at every start), how long after the process was
// started that was. The script gives the start as CLOCK_REALTIME nanoseconds just before exec.
#include "shell/application.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace
{

qint64 nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

class ShownWatcher : public QObject
{
public:
    explicit ShownWatcher(qint64 startNs) : startNs_(startNs) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!reported_ && event->type() == QEvent::Show && watched->inherits("SiteManagerDialog")) {
            reported_ = true;
            std::printf("site manager shown %.1f ms after start\n", (nowNs() - startNs_) / 1e6);
            std::fflush(stdout);
            // Closed once it has painted, which ends the program's event loop's only dialog.
            QTimer::singleShot(0, [watched] { static_cast<QDialog *>(watched)->reject(); });
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    qint64 startNs_;
    bool reported_ = false;
};

qint64 startNs = 0;

// Runs as soon as the application object exists, before the main window is built.
void watchForSiteManager()
{
    qApp->installEventFilter(new ShownWatcher(startNs));
}
Q_COREAPP_STARTUP_FUNCTION(watchForSiteManager)

} // namespace

int main(int argc, char *argv[])
{
    startNs = argc > 1 ? QByteArray(argv[1]).toLongLong() : nowNs();
    return runApplication(argc, argv);
}
