#pragma once

// The failure sound. The program's sound kinds all map to the desktop's one beep.
void Beep();
// Beeps only when the user keeps sound effects on.
void BeepIfEnabled();
