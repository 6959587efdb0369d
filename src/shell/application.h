#pragma once

// Start-up, the event loop and shut-down of the program.
int runApplication(int argc, char *argv[]);

// A write to a connection the peer has closed must come back as an error, not end the process:
// the engine sends with MSG_NOSIGNAL, and this covers every other write. Called first at start-up.
void ignoreBrokenPipes();
