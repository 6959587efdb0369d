#include "shell/framelayout.h"

#include "platform/settingsstore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace
{

using settingsstore::applSet;

// A stored number as the C library reads it: leading blanks, an optional sign, digits; anything
// else ends the number, and no digits at all read as 0.
int leadingInt(const QString &text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    long long value = 0;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > 1000000)
            break; // far beyond any screen; keeps the arithmetic below in range
        ++i;
    }
    return int(negative ? -value : value);
}

int storedSize(const char *name, int fallback)
{
    const int value = settingsstore::readInt(applSet, QString::fromLatin1(name), -1);
    return value < 0 ? fallback : value;
}

QRect defaultRect(QSize maximized)
{
    return QRect(QPoint(30, 30), QPoint(maximized.width() - 30 - 1, maximized.height() - 30 - 1));
}

} // namespace

QSize maximizedWindowSize()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry().size();
    return QSize(1024, 768);
}

PaneSizes readPaneSizes(QSize maximized, const FirstStartRows &rows)
{
    PaneSizes sizes;
    sizes.logRow = storedSize("Pane0", rows.log);
    int middle = int(std::lround(maximized.height() * 45 / 100.0));
    if (rows.shared > 0)
        middle = std::max(0, std::min(middle, rows.shared - sizes.logRow - rows.queue));
    sizes.middleRow = storedSize("Pane1", middle);
    sizes.localColumn = storedSize("Pane2", maximized.width() * 45 / 100);
    return sizes;
}

void writePaneSizes(const PaneSizes &sizes)
{
    settingsstore::writeInt(applSet, QStringLiteral("Pane0"), sizes.logRow);
    settingsstore::writeInt(applSet, QStringLiteral("Pane1"), sizes.middleRow);
    settingsstore::writeInt(applSet, QStringLiteral("Pane2"), sizes.localColumn);
}

WindowPlacement parsePlacement(const QString &winPos, int winShow, QSize maximized)
{
    const QStringList parts = winPos.split(QLatin1Char(','));
    int left = leadingInt(parts.value(0));
    int top = leadingInt(parts.value(1));
    int right = leadingInt(parts.value(2));
    int bottom = leadingInt(parts.value(3));
    if (left < 0)
        left = 0;
    if (top < 0)
        top = 0;
    if (right < 0)
        right = maximized.width() - 30;
    if (bottom < 0)
        bottom = maximized.height() - 30;

    WindowPlacement placement;
    placement.maximized = winShow == 3;
    // A rectangle with no area (garbage in the store) would give a window nobody can see or grab.
    if (right <= left || bottom <= top)
        placement.normal = defaultRect(maximized);
    else
        placement.normal = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    return placement;
}

WindowPlacement readPlacement(QSize maximized)
{
    const QString fallback =
        QStringLiteral("30, 30, %1, %2").arg(maximized.width() - 30).arg(maximized.height() - 30);
    return parsePlacement(settingsstore::readString(applSet, QStringLiteral("WinPos"), fallback),
                          settingsstore::readInt(applSet, QStringLiteral("WinShow"), 1), maximized);
}

void writePlacement(const WindowPlacement &placement)
{
    const QRect &r = placement.normal;
    settingsstore::writeString(applSet, QStringLiteral("WinPos"),
                               QStringLiteral("%1,%2,%3,%4")
                                   .arg(r.left())
                                   .arg(r.top())
                                   .arg(r.left() + r.width())
                                   .arg(r.top() + r.height()));
    // A minimized window comes back normal.
    settingsstore::writeInt(applSet, QStringLiteral("WinShow"), placement.maximized ? 3 : 1);
}
