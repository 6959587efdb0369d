#pragma once

#include <functional>

// The failure sound. The program's sound kinds all map to the desktop's one beep.
void Beep();
// Beeps only when the user keeps sound effects on.
void BeepIfEnabled();

// The window layer installs the sound (the desktop's beep); tests install a counter. Runs on
// the window thread; without one, beeps are silent.
void setBeepSound(std::function<void()> sound);
