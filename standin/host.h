// The player's side of a visualization run: its own window, and the loop
// that calls render every delayMs while pumping the thread's messages.
#ifndef HALDER_STANDIN_HOST_H
#define HALDER_STANDIN_HOST_H

#include "plugin/vis.h"
#include "standin/source.h"

struct RunLimits {
    long frames;        // stop after this many frames; 0 for no limit
    long milliseconds;  // stop after this long on the clock; 0 for no limit
    int realTime;       // 1: one frame per delayMs against the clock; 0: as fast as possible
};

struct RunResult {
    long frames;        // frames rendered
    int quitReceived;   // 1 when a WM_QUIT ended the run
    int exitCode;       // its exit code
    int stopped;        // 1 when a stop request (Ctrl+C) ended the run
    int pluginEnded;    // 1 when render returned non-zero, the plug-in's way to end it
};

// A small visible top-level window standing in for the player's main window,
// saying what it is; null when no window can open (under Wine: no display).
HWND createPlayerWindow(void);
void destroyPlayerWindow(HWND window);

// Dispatches every waiting message; returns 1 if one of them was WM_QUIT.
int pumpMessages(int* exitCode);

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
    RunLimits limits;
    AudioSource* source;        // where each frame's spectrum comes from
    FrameObserver observer;     // null when nobody watches the frames
    void* observerContext;
    HWND clickWindow;           // where the clicks go; null when there are none
    const Click* clicks;
    int clickCount;
};

// Renders frames until a limit is reached, the source ends, a WM_QUIT
// arrives, render returns non-zero (as in the player, the plug-in asks to
// stop so) or a stop is requested. In real time the audio position is the
// time since the first frame, as a playing song's would be; otherwise it
// advances by delayMs per frame.
RunResult runPlayback(VisModule* module, const Playback* playback);

// Milliseconds on a high-resolution clock with an arbitrary origin.
double clockMs(void);

#endif
