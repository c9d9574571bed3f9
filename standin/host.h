// The player's side of a visualization run: its own window, and the loop
// that calls render every delayMs while pumping the thread's messages.
#ifndef HALDER_STANDIN_HOST_H
#define HALDER_STANDIN_HOST_H

#include "plugin/vis.h"

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

// A small visible top-level window standing in for the player's main window;
// null when no window can open (under Wine: no display).
HWND createPlayerWindow(void);
void destroyPlayerWindow(HWND window);

// Dispatches every waiting message; returns 1 if one of them was WM_QUIT.
int pumpMessages(int* exitCode);

// Fills module->spectrumData (and may change channelCount) for a frame that
// shows the audio at positionMs from the start; returns 0 when the input has
// ended, which ends the run before that frame is rendered.
typedef int (*FrameSource)(void* context, long frame, double positionMs, VisModule* module);

// Called after each render once the message queue is empty, so the window
// shows the frame; returns 0 to end the run (e.g. a capture failed).
typedef int (*FrameObserver)(void* context, long frame, VisModule* module);

// A left-button click at a client point of the plug-in's window, made just
// before a given frame is rendered.
struct Click {
    long frame;
    int x;
    int y;
};

struct Playback {
    RunLimits limits;           // milliseconds counts wall-clock time
    FrameSource source;
    void* sourceContext;
    FrameObserver observer;     // null when nobody watches the frames
    void* observerContext;
    HWND clickWindow;           // where the clicks go; null when there are none
    const Click* clicks;
    int clickCount;
};

// Renders frames until a limit is reached, the source ends or a WM_QUIT
// arrives. In real time the audio position is the time since the start, as
// a playing song's would be; otherwise it advances by delayMs per frame.
RunResult runPlayback(VisModule* module, const Playback* playback);

// Milliseconds on a high-resolution clock with an arbitrary origin.
double clockMs(void);

// The built-in signal, a FrameSource that never ends: deterministic, moving,
// and reaching every bar.
int builtinSignal(void* context, long frame, double positionMs, VisModule* module);

#endif
