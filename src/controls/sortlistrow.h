#pragma once

#include "platform/filerows.h"

using SortListRow = FileRow;
