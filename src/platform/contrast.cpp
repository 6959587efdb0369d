#include "platform/contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double linearChannel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

} // namespace

double relativeLuminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.redF()) + 0.7152 * linearChannel(rgb.greenF()) +
           0.0722 * linearChannel(rgb.blueF());
}

double contrastRatio(const QColor &foreground, const QColor &background)
{
    const double a = relativeLuminance(foreground) + 0.05;
    const double b = relativeLuminance(background) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

QColor readableColor(const QColor &wanted, const QColor &background, double minRatio)
{
    if (contrastRatio(wanted, background) >= minRatio)
        return wanted;
    // Lightness alone moves, so red stays a red and green a green; the end of the way is black
    // or white, whichever stands further from the background.
    const bool darken = contrastRatio(Qt::black, background) >= contrastRatio(Qt::white, background);
    const QColor hsl = wanted.toHsl();
    const float hue = std::max(0.0f, hsl.hslHueF()); // -1 for a grey, whose hue does not matter
    const float saturation = hsl.hslSaturationF();
    float near = hsl.lightnessF();
    float far = darken ? 0.0f : 1.0f;
    // Luminance follows lightness monotonically for a fixed hue and saturation: halve the gap.
    for (int step = 0; step < 20; ++step) {
        const float middle = (near + far) / 2;
        if (contrastRatio(QColor::fromHslF(hue, saturation, middle), background) >= minRatio)
            far = middle;
        else
            near = middle;
    }
    return QColor::fromHslF(hue, saturation, far).toRgb();
}
