#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

// What the remote pane hands to a file operation job: the folder it shows and the rows the
// operation works on, taken on the window thread so that the worker never reads a widget.

// One selected row of the remote list.
struct RemoteItem {
    QByteArray name; // column 0 as bytes; a link keeps its " -> target"
    bool folder = false;
    bool linkAttributes = false; // the attribute text begins with "l"

    bool operator==(const RemoteItem &) const = default;
};

struct RemoteOperation {
    QByteArray folder; // the pane's current path
    std::vector<RemoteItem> items;
    // The new name of a rename, the typed name of a new folder, the destination of a move.
    QByteArray text;

    bool operator==(const RemoteOperation &) const = default;

    // The job's argument, and back; nullopt for an argument that is not one.
    [[nodiscard]] QByteArray encode() const;
    [[nodiscard]] static std::optional<RemoteOperation> decode(const QByteArray &argument);
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
