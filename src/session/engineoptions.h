#pragma once

#include "engine/ftpconnection.h"

// What the engine needs of the user's preferences, read from them now. Window thread.
[[nodiscard]] EngineOptions engineOptions();
