#pragma once

#include "session/listingcachetarget.h"
#include "session/remoteoperation.h"
#include "session/transferinputs.h"

#include <QByteArray>

#include <optional>

#include <variant>
#include <vector>

// The jobs the worker runs, each with the inputs it works on, taken on the window thread so that
// the worker never reads a widget. Folders are the remote pane's path when the job was asked for.

// One login with the reconnects the settings allow, then the server's folder shown.
struct ConnectRequest {
};
// `folder` listed again (unless the server's folder already follows the pane). `cache`: where
// the worker writes the listing of `folder` before handing the rows over, as the pane decided
// when the job was asked for; none leaves the cache to the pane.
struct RefreshRequest {
    QByteArray folder;
    std::optional<ListingCacheTarget> cache;
};
struct RenameRequest {
    QByteArray folder;
    QByteArray name;
    QByteArray newName;
};
// Files with DELE, (empty) folders with RMD; links are left alone.
struct DeleteRequest {
    QByteArray folder;
    std::vector<RemoteItem> rows;
};
struct NewFolderRequest {
    QByteArray folder;
    QByteArray name;
};
struct MoveRequest {
    QByteArray folder;
    std::vector<RemoteItem> rows;
    QByteArray destination;
};
// The folder `top` of `folder` with everything below it.
struct DeleteTreeRequest {
    QByteArray folder;
    RemoteItem top;
};
// SITE CHMOD: `mode` as the dialog shows it (three octal digits), `path` as the command names it.
struct ChangeModeRequest {
    int mode = 0;
    QByteArray path;
};
// In relative-path mode the server's working folder follows the pane: into `name`, or up to the
// parent when `name` is empty. `paneFolder` is the folder the pane showed when it asked; the pane
// goes on from there once the server has answered.
struct StepFolderRequest {
    QByteArray name;
    QByteArray paneFolder;
};
// A line the user typed, sent as it stands.
struct UserCommandRequest {
    QByteArray line;
};
// The queue's transfers; the job takes its work from the queue itself. Inputs left empty are taken
// from the registered views when the job starts.
struct TransferRequest {
    TransferInputs inputs;
};
// The clean-up jobs of Disconnect and Abort: QUIT, ABOR, the reply a stopped command left behind.
struct QuitRequest {
};
struct AbortRequest {
};
struct ReadPendingReplyRequest {
};

using JobRequest =
    std::variant<ConnectRequest, RefreshRequest, RenameRequest, DeleteRequest, NewFolderRequest, MoveRequest,
                 DeleteTreeRequest, ChangeModeRequest, StepFolderRequest, UserCommandRequest, TransferRequest,
                 QuitRequest, AbortRequest, ReadPendingReplyRequest>;

// The clean-up jobs signal their end to the window thread, which waits for them a bounded time.
[[nodiscard]] inline bool isCleanUpJob(const JobRequest &request)
{
    return std::holds_alternative<QuitRequest>(request) || std::holds_alternative<AbortRequest>(request) ||
           std::holds_alternative<ReadPendingReplyRequest>(request);
}
