#pragma once

#include "platform/filerow.h"

using SortListRow = FileRow;
