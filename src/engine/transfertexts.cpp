#include "engine/transfertexts.h"

#include "platform/filerow.h"
#include "platform/strings.h"
#include "platform/textformat.h"

#include <algorithm>

int TransferPercent(qint64 done, qint64 total)
{
    if (done >= total)
        return 100;
    if (done <= 0)
        return 0;
    // Rounded half up like MulDiv; 128-bit so that no size can overflow the product.
    const __int128 scaled = static_cast<__int128>(done) * 100 + total / 2;
    return int(scaled / total);
}

QString ProgressText(qint64 done, qint64 total)
{
    return QString::asprintf("%s bytes %2d%%", qPrintable(groupedNumberText(std::max<qint64>(done, 0))),
                             TransferPercent(done, total));
}

QString TimeLeftText(qint64 secondsLeft)
{
    return QString::asprintf("%d:%d:%d left", int(secondsLeft / 3600), int(secondsLeft % 3600 / 60),
                             int(secondsLeft % 60));
}

double BytesPerSecond(qint64 sent, qint64 elapsedMs)
{
    return sent <= 0 ? 0.0 : double(sent) * 1000.0 / double(std::max<qint64>(elapsedMs, 1));
}

qint64 SecondsLeft(qint64 left, double bytesPerSecond)
{
    // Nothing arrived yet: no time left can be estimated, and a division by zero is no estimate.
    if (bytesPerSecond <= 0)
        return -1;
    return qint64(double(std::max<qint64>(left, 0)) / bytesPerSecond);
}

QString RateText(qint64 sent, qint64 remaining, qint64 elapsedMs, bool kilobytes)
{
    const double bytesPerSecond = BytesPerSecond(sent, elapsedMs);
    const qint64 secondsLeft = std::max<qint64>(SecondsLeft(remaining - sent, bytesPerSecond), 0);
    if (kilobytes)
        return QString::asprintf("%3.2fKB/sec  ", bytesPerSecond / 1024.0) + TimeLeftText(secondsLeft);
    return QString::asprintf("%ld bps  ", long(8 * bytesPerSecond)) + TimeLeftText(secondsLeft);
}

QString ItemProgressText(qint64 done, double bytesPerSecond, qint64 secondsLeft)
{
    QString text = groupedNumberText(std::max<qint64>(done, 0)) + QStringLiteral(" bytes");
    if (bytesPerSecond > 0)
        text += QString::asprintf("  %3.2fKB/sec", bytesPerSecond / 1024.0);
    if (bytesPerSecond > 0 && secondsLeft >= 0)
        text += QStringLiteral("  ") + TimeLeftText(secondsLeft);
    return text;
}

QString StatisticsLine(bool upload, qint64 sent, qint64 elapsedMs)
{
    elapsedMs = std::max<qint64>(elapsedMs, 1);
    const double rate = BytesPerSecond(sent, elapsedMs);
    if (sent > 1024)
        return formatText(upload ? TextId::UploadedKbRate : TextId::DownloadedKbRate, long(sent),
                          double(elapsedMs) / 1000.0, rate / 1024.0);
    // Whole seconds in this form: a started second counts, and an empty transfer takes one.
    const qint64 seconds = (elapsedMs + 999) / 1000;
    return formatText(upload ? TextId::UploadedBpsRate : TextId::DownloadedBpsRate, long(sent), long(seconds),
                      long(8 * rate));
}
