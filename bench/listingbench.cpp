// Speed and memory of the listing path: parse, fill the list, sort by each column.
#include "controls/sortlistctrl.h"
#include "engine/listingloader.h"
#include "platform/datetimetext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>
#include <malloc.h>
#include <memory>

namespace
{

const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const extensions[] = {"txt", "zip", "tar.gz", "c",    "h",  "png",
                                  "jpg", "pdf", "iso",    "html", "md", ""};

QByteArray fileName(QRandomGenerator &random, int i)
{
    QByteArray name = "file_" + QByteArray::number(random.bounded(1000000)) + "_" + QByteArray::number(i);
    const char *extension = extensions[random.bounded(int(std::size(extensions)))];
    if (*extension)
        name += QByteArray(".") + extension;
    return name;
}

QByteArray unixListing(int lines)
{
    QRandomGenerator random(1);
    QByteArray out = "total " + QByteArray::number(lines) + "\r\n";
    for (int i = 0; i < lines; ++i) {
        const bool folder = random.bounded(20) == 0;
        const qint64 size = folder ? 4096 : random.bounded(Q_INT64_C(20000000000));
        char date[16];
        if (random.bounded(10) < 3) // recent: with a time
            std::snprintf(date, sizeof date, "%s %2d %02d:%02d", months[random.bounded(12)],
                          1 + random.bounded(28), random.bounded(24), random.bounded(60));
        else
            std::snprintf(date, sizeof date, "%s %2d  %d", months[random.bounded(12)], 1 + random.bounded(28),
                          1995 + random.bounded(30));
        char line[400];
        std::snprintf(line, sizeof line, "%s   1 user     group    %12lld %s %s\r\n",
                      folder ? "drwxr-xr-x" : "-rw-r--r--", static_cast<long long>(size), date,
                      fileName(random, i).constData());
        out += line;
    }
    return out;
}

QByteArray dosListing(int lines)
{
    QRandomGenerator random(2);
    QByteArray out;
    for (int i = 0; i < lines; ++i) {
        const bool folder = random.bounded(20) == 0;
        char line[400];
        const int hour = 1 + random.bounded(12);
        char size[32];
        if (folder)
            std::snprintf(size, sizeof size, "%-20s", "<DIR>");
        else
            std::snprintf(size, sizeof size, "%20lld",
                          static_cast<long long>(random.bounded(Q_INT64_C(5000000000))));
        std::snprintf(line, sizeof line, "%02d-%02d-%02d  %02d:%02d%s %s %s\r\n", 1 + random.bounded(12),
                      1 + random.bounded(28), random.bounded(30), hour, random.bounded(60),
                      random.bounded(2) ? "AM" : "PM", size, fileName(random, i).constData());
        out += line;
    }
    return out;
}

// The same kind of folder as MLSD sends it (the facts a server of today gives unasked).
QByteArray mlsdListing(int lines)
{
    QRandomGenerator random(3);
    QByteArray out = "type=cdir;modify=20240101000000;perm=flcdmpe; /pub\r\n";
    for (int i = 0; i < lines; ++i) {
        const bool folder = random.bounded(20) == 0;
        char line[400];
        std::snprintf(
            line, sizeof line, "modify=%04d%02d%02d%02d%02d%02d;perm=%s;%stype=%s;unix.mode=0%s; %s\r\n",
            1995 + random.bounded(30), 1 + random.bounded(12), 1 + random.bounded(28), random.bounded(24),
            random.bounded(60), random.bounded(60), folder ? "flcdmpe" : "adfrw",
            folder ? "" : qPrintable(QStringLiteral("size=%1;").arg(random.bounded(Q_INT64_C(20000000000)))),
            folder ? "dir" : "file", folder ? "755" : "644", fileName(random, i).constData());
        out += line;
    }
    return out;
}

double peakMegabytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

double residentMegabytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// What the heap holds now, mapped blocks included (a vector of rows is one).
double heapMegabytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// What the store says it holds, for comparison with what the heap gained.
void printRowBreakdown(const FileRows &rows)
{
    std::fprintf(stderr, "rows: %zu, store %.1f MB (%.0f bytes a row)\n", rows.size(),
                 double(rows.memoryBytes()) / (1024.0 * 1024.0),
                 rows.empty() ? 0.0 : double(rows.memoryBytes()) / double(rows.size()));
}

// Best of a few runs of parsing the file; returns the rows of the last run.
FileRows parseFile(const QString &path, ServerKind kind, double &seconds, bool machine = false)
{
    FileRows rows;
    seconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        rows.clear();
        ListingState state(kind);
        state.machineListing = machine;
        QElapsedTimer timer;
        timer.start();
        rows = *ReadListingFile(path, state);
        seconds = std::min(seconds, timer.nsecsElapsed() / 1e9);
    }
    return rows;
}

// Every row's date text, as writing the listing cache asks for them; best of three.
void benchDates(const FileRows &unixRows, const FileRows &dosRows)
{
    std::vector<datetimetext::Key> keys;
    for (const FileRows *rows : {&unixRows, &dosRows})
        for (size_t row = 0; row < rows->size(); ++row)
            if (const std::optional<qint64> key = rows->dateKey(row, 2))
                keys.push_back(*key);
    double ms = 1e9;
    qsizetype sink = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (datetimetext::Key key : keys)
            sink += datetimetext::format(key).size();
        ms = std::min(ms, timer.nsecsElapsed() / 1e6);
    }
    std::printf("dates: %zu texts (%s) in %.1f ms (%lld)\n", keys.size(),
                qPrintable(QLocale::system().name()), ms, static_cast<long long>(sink));
}

} // namespace

CSortListCtrl *makeList()
{
    auto *list = new CSortListCtrl;
    list->InsertFileColumns();
    list->resize(800, 600);
    list->show();
    QCoreApplication::processEvents();
    return list;
}

// A process of its own that only loads one listing into the list and sorts it, so that its
// peak is what the rows cost on top of the window system.
int memoryRun(const QString &listingPath)
{
    CSortListCtrl *list = makeList();
    const double baseline = residentMegabytes();
    ListingState state;
    // The rows alone: what the heap gained from the parse, the parser's passing buffers gone.
    const double heapBefore = heapMegabytes();
    FileRows rows = *ReadListingFile(listingPath, state);
    const double rowsMegabytes = heapMegabytes() - heapBefore;
    printRowBreakdown(rows);
    list->setRows(std::move(rows));
    for (int column = 0; column < 4; ++column)
        list->SortByColumn(column);
    QCoreApplication::processEvents();
    std::printf("%.1f %.1f %d %.1f %.1f\n", baseline, peakMegabytes(), list->listModel()->rowCount(),
                rowsMegabytes, residentMegabytes());
    delete list;
    return 0;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--memory")
        return memoryRun(QString::fromLocal8Bit(argv[2]));
    const int lines = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString unixPath = dir.filePath("DIRunix"), dosPath = dir.filePath("DIRdos");
    const QString mlsdPath = dir.filePath("DIRmlsd");
    {
        QFile unixFile(unixPath), dosFile(dosPath), mlsdFile(mlsdPath);
        if (!unixFile.open(QIODevice::WriteOnly) || !dosFile.open(QIODevice::WriteOnly) ||
            !mlsdFile.open(QIODevice::WriteOnly))
            return 1;
        unixFile.write(unixListing(lines));
        dosFile.write(dosListing(lines));
        mlsdFile.write(mlsdListing(lines));
    }

    double unixSeconds = 0, dosSeconds = 0;
    FileRows dosRows = parseFile(dosPath, ServerKind::Microsoft, dosSeconds);
    std::printf("dos: %zu rows in %.1f ms\n", dosRows.size(), dosSeconds * 1000);
    FileRows unixRows = parseFile(unixPath, ServerKind::Generic, unixSeconds);
    std::printf("unix: %zu rows in %.1f ms\n", unixRows.size(), unixSeconds * 1000);
    const double linesPerSecond = 2.0 * lines / (unixSeconds + dosSeconds);
    double mlsdSeconds = 0;
    const FileRows mlsdRows = parseFile(mlsdPath, ServerKind::Generic, mlsdSeconds, true);
    std::printf("mlsd: %zu rows in %.1f ms\n", mlsdRows.size(), mlsdSeconds * 1000);
    benchDates(unixRows, dosRows);
    dosRows.clear();

    std::unique_ptr<CSortListCtrl> owner(makeList());
    CSortListCtrl &list = *owner;

    QElapsedTimer timer;
    timer.start();
    list.setRows(std::move(unixRows));
    QCoreApplication::processEvents();
    const double fillMs = timer.nsecsElapsed() / 1e6;

    double worstResortMs = 0;
    for (int column = 0; column < 4; ++column) {
        for (int click = 0; click < 2; ++click) {
            timer.restart();
            list.SortByColumn(column);
            const double sortMs = timer.nsecsElapsed() / 1e6;
            QCoreApplication::processEvents();
            const double ms = timer.nsecsElapsed() / 1e6;
            std::printf("sort column %d %s: %.1f ms (%.1f ms before the repaint)\n", column,
                        list.columnDescending(column) ? "desc" : "asc", ms, sortMs);
            worstResortMs = std::max(worstResortMs, ms);
        }
    }
    timer.restart();
    list.ReSort();
    worstResortMs = std::max(worstResortMs, timer.nsecsElapsed() / 1e6);
    QProcess memory;
    memory.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    memory.start(QCoreApplication::applicationFilePath(), {"--memory", unixPath});
    memory.waitForFinished(-1);
    const QList<QByteArray> figures = memory.readAllStandardOutput().trimmed().split(' ');
    const double baseline = figures.value(0).toDouble(), peak = figures.value(1).toDouble();
    const double rowsMegabytes = figures.value(3).toDouble(), steady = figures.value(4).toDouble();
    std::printf("memory: %s rows loaded alone: peak %.1f MB, of which %.1f MB before the listing; %.1f MB "
                "after the sorts; the rows %.1f MB (%.0f bytes a row)\n",
                figures.value(2).constData(), peak, baseline, steady, rowsMegabytes,
                rowsMegabytes * 1024 * 1024 / std::max(1, lines));
    std::printf("mlsd %.0f lines/s (unix %.0f lines/s)\n", lines / mlsdSeconds, lines / unixSeconds);
    std::printf("%d lines: parse %.0f lines/s fill+sort %.0f ms resort %.0f ms peak %.0f MB rows %.0f MB\n",
                lines, linesPerSecond, fillMs, worstResortMs, peak, rowsMegabytes);
    return 0;
}
