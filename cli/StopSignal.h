#pragma once

// Ctrl+C (SIGINT) and SIGTERM ask the running conversion to stop. The first signal
// only sets a flag the main loop reads; a second one ends the program the usual way.
void InstallStopSignal();
bool StopRequested();
