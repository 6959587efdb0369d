#pragma once

#include "platform/log.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTimer>

#include <vector>

class QMenu;

// The session log pane: every command sent, every reply line and every status or error message,
// each in its colour, appended at the end. The user can select, copy and delete text but not type.
//
// Lines arrive one call at a time, from both threads, through AppendLog (which already orders them
// on the window thread). Each call is cheap: the text joins a pending run of its colour and a short
// timer writes the runs into the document in one edit, so a busy transfer does not re-lay out the
// view for every reply line.
class CLogWnd : public QPlainTextEdit {
    Q_OBJECT
public:
    // Command ids of the context menu.
    static constexpr int copyCommand = 32794;
    static constexpr int deleteCommand = 32795;
    static constexpr int deleteAllCommand = 32783;

    // The history kept, whichever bound is met first; the oldest lines go.
    static constexpr int maxLines = 5000;
    static constexpr int maxCharacters = 2'000'000;

    explicit CLogWnd(QWidget *parent = nullptr);
    ~CLogWnd() override;

    // Appends text in the colour after everything appended before. Window thread only; other
    // threads go through AppendLog.
    void appendLog(const QString &text, LogColor color);
    // Writes the pending runs into the document now.
    void flushPending();

    void copySelection();
    void deleteSelection();
    void deleteAll();

    // The context menu with the three commands, owned by the caller.
    QMenu *createContextMenu(QWidget *parent);

    // How text of the colour is drawn on this pane's current background: the colour's hue, made
    // darker or lighter where needed to stay readable in a light or a dark theme.
    QColor shownColor(LogColor color) const;

    // The least contrast any log text has against the background.
    static constexpr double minContrast = 4.5;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Run {
        QString text;
        LogColor color;
    };

    void trimHistory();
    // Lines already shown take the colours of the new background.
    void recolour();

    std::vector<Run> pending_;
    qsizetype pendingCharacters_ = 0;
    QTimer flushTimer_;
    // The background the shown lines were coloured for.
    QColor colouredFor_;
};
