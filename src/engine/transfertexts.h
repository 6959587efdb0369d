#pragma once

#include <QString>
#include <QtGlobal>

// The read-outs of a running transfer and the line that closes it. Times are milliseconds of a
// monotonic clock: a transfer of half a second must not be counted as a whole one.

// done x 100 / total rounded to the nearest integer; 100 once done reaches total (also for 0).
[[nodiscard]] int TransferPercent(qint64 done, qint64 total);

// "%s bytes %2d%%": the bytes done so far (the resume offset included, grouped) and the percentage.
[[nodiscard]] QString ProgressText(qint64 done, qint64 total);

// "%d:%d:%d left", hours, minutes and seconds without padding.
[[nodiscard]] QString TimeLeftText(qint64 secondsLeft);

// The rate and time left. `sent` counts only this run's bytes, `remaining` what this run had to
// move, `elapsedMs` is raised to 1. The KB form when `kilobytes`, else bits per second.
[[nodiscard]] QString RateText(qint64 sent, qint64 remaining, qint64 elapsedMs, bool kilobytes);

// Bytes a second from a count and the milliseconds it took (raised to 1); 0 for nothing sent.
[[nodiscard]] double BytesPerSecond(qint64 sent, qint64 elapsedMs);

// Whole seconds left at that rate, truncated; -1 when the rate gives no estimate.
[[nodiscard]] qint64 SecondsLeft(qint64 left, double bytesPerSecond);

// The statistics line logged after a transfer (texts 178 to 181). The KB form gives the seconds
// to the hundredth; the bps form, for 1024 bytes or less, in whole seconds, at least 1.
[[nodiscard]] QString StatisticsLine(bool upload, qint64 sent, qint64 elapsedMs);

// A queue row's progress: "1,234,567 bytes", then the rate ("%3.2fKB/sec") once known and the time
// left once it can be estimated (`secondsLeft` -1: none).
[[nodiscard]] QString ItemProgressText(qint64 done, double bytesPerSecond, qint64 secondsLeft);
