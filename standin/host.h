// The player's side of a visualization run: its own window, and the loop
// that calls render every delayMs while pumping the thread's messages.
#ifndef HALDER_STANDIN_HOST_H
#define HALDER_STANDIN_HOST_H

#include "plugin/vis.h"

// Fills module->spectrumData (and may change channelCount) for a frame.
typedef void (*SpectrumSource)(void* context, long frame, VisModule* module);

struct RunLimits {
    long frames;        // stop after this many frames; 0 for no limit
    long milliseconds;  // stop after this long; 0 for no limit
    int realTime;       // 1: one frame per delayMs against the clock; 0: as fast as possible
};

struct RunResult {
    long frames;        // frames rendered
    int quitReceived;   // 1 when a WM_QUIT ended the run
    int exitCode;       // its exit code
};

// A small visible top-level window standing in for the player's main window.
HWND createPlayerWindow(void);
void destroyPlayerWindow(HWND window);

// Dispatches every waiting message; returns 1 if one of them was WM_QUIT.
int pumpMessages(int* exitCode);

// Renders frames until a limit is reached or a WM_QUIT arrives.
RunResult runFrames(VisModule* module, const RunLimits* limits, SpectrumSource source,
                    void* context);

// The built-in signal: deterministic, moving, and reaching every bar.
void builtinSignal(void* context, long frame, VisModule* module);

#endif
