#pragma once

#include <QIcon>

// The picture of a fileicons index, from the desktop's icon theme with a generic fallback.
// Window thread only.
[[nodiscard]] QIcon iconForIndex(int index);
