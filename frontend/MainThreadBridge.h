#pragma once

// Connects the main-thread call queue to Qt's event loop: a queued call wakes the
// loop, which then runs the queue; waits on the main thread process Qt's events
// between their slices. Call once on the main thread after the application object
// exists.
void InstallMainThreadBridge();
