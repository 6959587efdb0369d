#pragma once

#include "engine/ftpconnection.h"
#include "session/joboptions.h"

// What the engine needs of the user's preferences, read from them now. Window thread.
[[nodiscard]] EngineOptions engineOptions();
// What the jobs need of them besides. Window thread.
[[nodiscard]] JobOptions jobOptions();
