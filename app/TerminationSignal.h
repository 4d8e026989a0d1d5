#pragma once

class QWidget;

// When the session or a terminal asks the program to end (SIGTERM, SIGINT, SIGHUP), the
// main window is closed as the user would close it, so the settings are saved and the
// program ends normally, then the application quits (also when the window never showed).
void CloseOnTerminationSignal(QWidget& window);

// True once a termination signal has been handled. It may be handled by a dialog's loop
// before the main loop runs (an error box of the window's set-up); the main loop must
// then not start.
bool TerminationHandled();
