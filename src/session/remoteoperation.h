#pragma once

#include <QByteArray>

#include <vector>

// The remote pane's rows as the file operation jobs take them, and the checks a name passes
// before it goes into a command line.

// One selected row of the remote list.
struct RemoteItem {
    QByteArray name; // column 0 as bytes; a link keeps its " -> target"
    bool folder = false;
    bool linkAttributes = false; // the attribute text begins with "l"

    bool operator==(const RemoteItem &) const = default;
};

// What the remote pane gathers before it asks for a job: the folder it shows, the selected rows,
// and the text the user typed (a new name, a new folder's name, a move's destination).
struct RemoteOperation {
    QByteArray folder;
    std::vector<RemoteItem> items;
    QByteArray text;
};

// A link row: its name shows " ->" and the target.
[[nodiscard]] bool isLinkName(const QByteArray &name);

// Why a text may not go into a command line as a name.
enum class NameProblem {
    None,
    Separator,   // the server would read a path: "/", or "\" on a backslash-style server
    ControlByte, // CR or LF would end the command line early and send the rest as a command
};
// A name typed for a rename or a new folder, for a server whose paths look like `folder`.
[[nodiscard]] NameProblem typedNameProblem(const QByteArray &name, const QByteArray &folder);
// A destination path or a whole command line: only control bytes are refused.
[[nodiscard]] bool hasControlByte(const QByteArray &text);

// A name taken from a listing that is safe to join to its folder inside a tree walk: not empty,
// not "." or "..", and free of separators and control bytes.
[[nodiscard]] bool isPlainName(const QByteArray &name, const QByteArray &folder);
