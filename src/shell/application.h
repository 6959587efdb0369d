#pragma once

// Start-up, the event loop and shut-down of the program.
int runApplication(int argc, char *argv[]);
