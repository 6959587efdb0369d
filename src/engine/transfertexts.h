#pragma once

#include <QString>
#include <QtGlobal>

// The read-outs of a running transfer and the line that closes it.

// done x 100 / total rounded to the nearest integer; 100 once done reaches total (also for 0).
[[nodiscard]] int TransferPercent(qint64 done, qint64 total);

// "%lu bytes %2d%%": the bytes done so far (the resume offset included) and the percentage.
[[nodiscard]] QString ProgressText(qint64 done, qint64 total);

// The rate and time left. `sent` counts only this run's bytes, `remaining` what this run had to
// move, `elapsedSeconds` is at least 1. The KB form when `kilobytes`, else bits per second.
[[nodiscard]] QString RateText(qint64 sent, qint64 remaining, qint64 elapsedSeconds, bool kilobytes);

// The statistics line logged after a transfer (texts 178 to 181); `elapsedSeconds` is raised to 1.
[[nodiscard]] QString StatisticsLine(bool upload, qint64 sent, qint64 elapsedSeconds);
