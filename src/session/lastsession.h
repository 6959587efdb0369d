#pragma once

#include "engine/loginfields.h"

// The last session's login, kept in the settings store so that the next start offers it again.
[[nodiscard]] LoginFields readLastSession();
void writeLastSession(const LoginFields &login);
