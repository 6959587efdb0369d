#include "engine/transfertexts.h"

#include "platform/strings.h"
#include "platform/textformat.h"

#include <algorithm>

namespace
{

QString timeLeftText(qint64 secondsLeft)
{
    return QString::asprintf("%d:%d:%d left", int(secondsLeft / 3600), int(secondsLeft % 3600 / 60),
                             int(secondsLeft % 60));
}

} // namespace

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
    return QString::asprintf("%lu bytes %2d%%", static_cast<unsigned long>(std::max<qint64>(done, 0)),
                             TransferPercent(done, total));
}

QString RateText(qint64 sent, qint64 remaining, qint64 elapsedSeconds, bool kilobytes)
{
    elapsedSeconds = std::max<qint64>(elapsedSeconds, 1);
    const qint64 left = std::max<qint64>(remaining - sent, 0);
    if (kilobytes) {
        const double rate = double(sent) / 1024.0 / double(elapsedSeconds);
        // Nothing arrived yet: no time left can be estimated, and a division by zero is no estimate.
        const qint64 secondsLeft = rate > 0 ? qint64(double(left) / 1024.0 / rate) : 0;
        return QString::asprintf("%3.2fKB/sec  ", rate) + timeLeftText(secondsLeft);
    }
    const qint64 rate = 8 * sent / elapsedSeconds;
    const qint64 secondsLeft = rate > 0 ? qint64(8.0 * double(left) / double(rate)) : 0;
    return QString::asprintf("%ld bps  ", long(rate)) + timeLeftText(secondsLeft);
}

QString StatisticsLine(bool upload, qint64 sent, qint64 elapsedSeconds)
{
    elapsedSeconds = std::max<qint64>(elapsedSeconds, 1);
    if (sent > 1024)
        return formatText(upload ? TextId::UploadedKbRate : TextId::DownloadedKbRate, long(sent),
                          double(elapsedSeconds), double(sent) / 1024.0 / double(elapsedSeconds));
    return formatText(upload ? TextId::UploadedBpsRate : TextId::DownloadedBpsRate, long(sent),
                      long(elapsedSeconds), long(8 * sent / elapsedSeconds));
}
