// Speed of the queue pane with a large queue: adding, saving, loading and moving rows.
#include "controls/reorderlistctrl.h"
#include "controls/sortlistctrl.h"
#include "controls/sortlistmodel.h"
#include "panes/localwnd.h"
#include "queue/queuemodel.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KALO"));
    QApplication::setApplicationName(QStringLiteral("Tidewell"));
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    std::vector<QueueItem> items;
    for (int i = 0; i < count; ++i) {
        QueueItem item;
        item.name = "/pub/releases/2024/folder-" + QByteArray::number(i % 97) + "/file-" +
                    QByteArray::number(i) + ".tar.gz";
        item.sizeText = QByteArray::number(i * 7919 % 100000) + ",123";
        item.destination = "/home/ann/Down/releases";
        item.direction = QueueItem::Download;
        items.push_back(item);
    }

    CQueueWnd pane;
    pane.resize(800, 600);
    pane.initialUpdate();
    pane.show();
    QApplication::processEvents();
    const QString file = home.filePath(QStringLiteral("bench.q"));
    QElapsedTimer timer;

    timer.start();
    const int added = pane.queue()->AddQueueItems(items, false);
    QApplication::processEvents();
    const qint64 addMs = timer.elapsed();

    timer.restart();
    const int saved = pane.SaveQueueFile(file);
    const qint64 saveMs = timer.elapsed();

    timer.restart();
    const int loaded = pane.LoadQueueFile(file);
    QApplication::processEvents();
    const qint64 loadMs = timer.elapsed();

    // Every tenth row, then all of them to the top.
    QItemSelection selection;
    for (int row = 5; row < pane.model()->size() && selection.size() < 1000; row += 10)
        selection.select(pane.model()->index(row, 0), pane.model()->index(row, 3));
    pane.list()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    timer.restart();
    pane.commands().moveToTop->trigger();
    QApplication::processEvents();
    const qint64 moveMs = timer.elapsed();

    // The local pane with a folder of 100,000 files, for the figure beside the queue's.
    const QByteArray many = QFile::encodeName(home.filePath(QStringLiteral("many")));
    QDir().mkpath(QString::fromUtf8(many));
    for (int i = 0; i < 100000; ++i) {
        const QByteArray path = many + "/file-" + QByteArray::number(i) + (i % 3 ? ".txt" : ".bin");
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    CLocalWnd local;
    local.resize(800, 600);
    local.initialUpdate();
    local.show();
    QApplication::processEvents();
    timer.restart();
    local.ShowFolder(many);
    QApplication::processEvents();
    std::printf("local pane: %d files listed and sorted in %lld ms\n", local.list()->listModel()->size(),
                static_cast<long long>(timer.elapsed()));

    std::printf("%d items added, saved %d, loaded %d (%d rows), %zu rows moved\n", added, saved, loaded,
                pane.model()->size(), pane.list()->selectedRows().size());
    std::printf("add %lld ms save %lld ms load %lld ms move %lld ms\n", static_cast<long long>(addMs),
                static_cast<long long>(saveMs), static_cast<long long>(loadMs),
                static_cast<long long>(moveMs));
    pane.commands().deleteAll->trigger();
    return 0;
}
