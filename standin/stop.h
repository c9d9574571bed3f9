// Ctrl+C as a request to stop: instead of ending the process at once, it
// sets one event that every wait of the stand-in also waits on, so the run
// ends at its next frame and the plug-in's quit still saves its settings.
#ifndef HALDER_STANDIN_STOP_H
#define HALDER_STANDIN_STOP_H

#include <windows.h>

// From now on Ctrl+C (or Ctrl+Break, or a closed console) requests a stop.
void stopOnCtrlC(void);

// The manual-reset event a stop request sets.
HANDLE stopEvent(void);

int stopRequested(void);

#endif
