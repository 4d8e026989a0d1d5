#pragma once

class TFormLog;

// After the main window's set-up stopped early, the program still shows a window: the
// log, holding the reason, centred on the screen. Closing it ends the program with
// exit code 1, which this returns.
int RunStoppedSetUp(TFormLog& log);
