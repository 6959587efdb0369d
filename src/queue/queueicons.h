#pragma once

#include <QIcon>

// The four 27 x 16 pictures of the queue's first column, by the row's parameter word: upload or
// download, of a file or a folder.
namespace queueicons
{

// 1 upload of a file, 3 download of a file, 0 upload of a folder, 2 download of a folder.
[[nodiscard]] int indexForParameter(int itemParameter);
// Window thread only.
[[nodiscard]] QIcon icon(int index);

} // namespace queueicons
