#pragma once

// A worker job; its code is the id of the command that starts it.
enum class JobCode : int {
    None = 0,
    Connect = 32773,
    Disconnect = 32774,      // QUIT
    Refresh = 32776,
    ReadPendingReply = 32778, // the reply that follows a closed data connection
    TransferQueue = 32782,
    Abort = 32789,           // ABOR, two replies
    UserCommand = 32799,
    ChangeAttribute = 32800, // SITE CHMOD, then a refresh
    // The remote file operations, each with a RemoteOperation as its argument.
    NewFolder = 32775,
    RenameItem = 32777,
    // The Delete command's own id is taken by the pending reply above.
    DeleteItems = 132778,
    MoveItems = 32811,
    DeleteTree = 32817,
};
