#pragma once

#include "platform/filerows.h"

#include <QtGlobal>

#include <atomic>
#include <optional>
#include <vector>

// What a row of one folder list is when set beside the other folder's list.
enum class RowMark : quint8 {
    Same = 0,
    OnlyHere,    // no entry of that name on the other side, or one of the other kind
    SizeDiffers, // both are files and their sizes differ
    Newer,       // same size, this side's time is later
    Older,       // same size, the other side's time is later
};

// The marks of both lists, one for each stored row (not the shown order): a sort leaves them
// valid.
struct ComparedFolders {
    std::vector<RowMark> left;
    std::vector<RowMark> right;
};

// Sets the rows of two folder lists side by side by name (byte for byte; a link's name without
// its " ->" target). Folders compare by presence only; files by size, then by time, each time
// read to the precision its list shows (a date without a time matches any time of that day).
// nullopt when `cancelled` became true on the way.
[[nodiscard]] std::optional<ComparedFolders> compareFolderRows(const FileRows &left, const FileRows &right,
                                                               const std::atomic<bool> *cancelled = nullptr);
