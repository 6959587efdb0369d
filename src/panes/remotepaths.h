#pragma once

#include "session/remotepath.h"

#include <QByteArray>
#include <QString>

// The path rules of the remote pane (the joining rules are the session's, remotepath.h).

// A link row's name without its " ->" and target.
[[nodiscard]] QByteArray linkName(const QByteArray &name);

struct ParentStep {
    bool hasParent = false;
    QByteArray parent;     // the folder to show
    QByteArray leftFolder; // the folder being left, to select in the parent
};
// "/pub" gives "/" leaving "pub"; "C:\dir" gives "C:\"; a path without separator has no parent.
[[nodiscard]] ParentStep parentPath(const QByteArray &path);

// A typed folder without its trailing separator, except for a drive root ("C:\") and the root.
[[nodiscard]] QByteArray trimTypedPath(const QByteArray &typed);

// The path as shown: UTF-8 when valid, otherwise the user's legacy code page.
[[nodiscard]] QString displayPath(const QByteArray &path);
