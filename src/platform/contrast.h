#pragma once

#include <QColor>

// Readability of text on a background, measured the way accessibility guidelines measure it:
// the ratio of the relative luminances, from 1 (no contrast) to 21 (black on white).
double relativeLuminance(const QColor &color);
double contrastRatio(const QColor &foreground, const QColor &background);

// `wanted` itself when it reaches `minRatio` on `background`; otherwise the same hue made darker
// or lighter, whichever way leads away from the background, just far enough to reach it. Black or
// white reach 4.5 on any background, so a ratio up to that is always met.
QColor readableColor(const QColor &wanted, const QColor &background, double minRatio);
