#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The path rules of the queue transfer: which names may become files on the other side, where a
// listed link leads, how remote paths are joined, and the transfer type a path asks for.

// A name that can only be one entry inside its folder: not empty, not "." or "..", no "/" or
// "\\", no control byte (a CR LF would end the command that carries it).
[[nodiscard]] bool IsPlainEntryName(QByteArrayView name);

// A link target that stays inside the folder holding the link: relative, and no ".." that climbs
// above that folder.
[[nodiscard]] bool LinkStaysInside(QByteArrayView target);

// A listed link as the listing shows it: the name, " -> ", the target.
struct ListedLink {
    QByteArray name;
    QByteArray target;
};
[[nodiscard]] std::optional<ListedLink> SplitListedLink(const QByteArray &name);

// The separator of a remote path: "\\" when it holds one, else "/".
[[nodiscard]] char RemoteSeparator(QByteArrayView path);
// The base, the separator and the name, without a doubled separator at the joint.
[[nodiscard]] QByteArray RemoteChildPath(const QByteArray &base, const QByteArray &name);
// The path with "." and ".." resolved by their text alone (the server's own links are not known).
[[nodiscard]] QByteArray NormalRemotePath(const QByteArray &path);
// One change of folder that names no more than one folder: up to the parent, or into `name`.
struct RemoteFolderStep {
    bool up = false;
    QByteArray name;
    QByteArray reached; // the folder the server is in after the step
};
// The steps from folder `from` to folder `to` through their deepest common folder, for servers
// that are sent names relative to their working directory. Paths that do not both start at the
// root ("/...") give one step that names `to` whole.
[[nodiscard]] std::vector<RemoteFolderStep> RemoteFolderSteps(const QByteArray &from, const QByteArray &to);

// A local path under the folder.
[[nodiscard]] QByteArray LocalChildPath(const QByteArray &folder, const QByteArray &name);

// 'A' when the extension after the last "." of the whole path is one of the comma-separated
// extensions (case ignored; an empty one ends the list), else 'I'.
[[nodiscard]] char TransferTypeForPath(QByteArrayView path, const QString &asciiExtensions);

// "1,234,567" as the panes show sizes.
[[nodiscard]] QByteArray GroupedSizeText(qint64 size);
