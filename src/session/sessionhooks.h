#pragma once

#include "engine/listingparser.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// What the engine and the jobs need from the windows, installed by the windows at start-up and by
// tests. Each hook runs on the window thread: callers on the worker go through uithread::post
// (or uithread::call when they need an answer). An absent hook does nothing.
struct SessionHooks {
    // Timer 0 of the remote pane: the keep-alive.
    std::function<void()> stopKeepAlive;
    std::function<void(int milliseconds)> startKeepAlive;

    // The private messages and commands posted to the remote pane (32773 connected, 32776 refresh).
    std::function<void(int message)> postToRemotePane;
    std::function<void(int message)> postToLocalPane;

    // The status bar's two progress panes and the main window's title.
    std::function<void(const QString &)> setProgressText;
    std::function<void(const QString &)> setRateText;
    std::function<void(const QString &)> setWindowTitle;

    // The password question of a login without a stored password; nullopt when cancelled.
    std::function<std::optional<QString>()> askPassword;

    // The Site Manager's hand-over to the frame: end a running session (the remote pane's
    // disconnect request, returning once it was handled), then start the connect job (32773).
    std::function<void()> requestDisconnect;
    std::function<void()> requestConnect;

    // The remote pane while a listing loads: the working directory as the server named it (bytes;
    // currentPath and the path box),
    // emptying the list, and the parsed rows handed over whole, which the pane re-sorts and, when
    // writeCache is set, writes to its listing cache.
    std::function<void(const QByteArray &path)> setRemotePath;
    std::function<void()> clearRemoteList;
    std::function<void(std::vector<FileEntry> rows, bool writeCache)> showRemoteListing;
    // A new session empties the remote pane's box of folders visited.
    std::function<void()> clearRemotePathBox;
    // The wait cursor of a running listing.
    std::function<void(bool on)> setWaitCursor;
    // Opens a local file in the desktop's viewer for it (the debug copy of a listing).
    std::function<void(const QString &path)> openDocument;
};

SessionHooks &sessionHooks();
