#pragma once

#include <QRect>
#include <QSize>
#include <QString>

// The main window's stored layout: its normal rectangle and whether it was maximized ("WinPos",
// "WinShow"), and the sizes of its panes ("Pane0" log row, "Pane1" middle row, "Pane2" local
// column). A negative stored size counts as absent.

struct PaneSizes {
    int logRow = 70;
    int middleRow = 0;
    int localColumn = 0;
};

struct WindowPlacement {
    QRect normal;
    bool maximized = false;
};

// The size a maximized window gets on the primary screen.
QSize maximizedWindowSize();

// What a first start asks of the rows: the heights that show the log's and the queue's least
// number of lines, and the height the three rows share (0: not known).
struct FirstStartRows {
    int log = 70;
    int queue = 0;
    int shared = 0;
};

// A stored size wins over the first start's; the middle row takes 45 % of the screen's height,
// or what the log and the queue leave when that is less.
PaneSizes readPaneSizes(QSize maximized, const FirstStartRows &rows = {});
void writePaneSizes(const PaneSizes &sizes);

// "left, top, right, bottom" as stored; unreadable parts read 0, negative ones are clamped.
WindowPlacement parsePlacement(const QString &winPos, int winShow, QSize maximized);
WindowPlacement readPlacement(QSize maximized);
void writePlacement(const WindowPlacement &placement);
