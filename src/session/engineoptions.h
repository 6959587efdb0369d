#pragma once

#include "engine/ftpconnection.h"
#include "session/joboptions.h"

struct AppSettings;

// What the engine needs of the user's preferences, read from them now. Window thread.
[[nodiscard]] EngineOptions engineOptions(const AppSettings &preferences);
// What the jobs need of them besides. Window thread.
[[nodiscard]] JobOptions jobOptions(const AppSettings &preferences);
