// The player stand-in's window and frame loop.
#include "standin/host.h"

#include "standin/stop.h"

#include <math.h>
#include <string.h>

static const char kPlayerClass[] = "halderPlayerStandIn";
static const char kPlayerText[] = "Player stand-in\nthe plug-in's parent window";

enum {
    // Placed low on the screen, away from where plug-in windows open.
    PLAYER_X = 600,
    PLAYER_Y = 600,
    PLAYER_WIDTH = 200,
    PLAYER_HEIGHT = 60,
    // Frames missed in a row before the loop stops trying to catch up.
    STALL_FRAMES = 10
};

static void paintPlayerWindow(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ previousFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(224, 224, 224));
    SetBkMode(dc, TRANSPARENT);
    RECT text = client;
    const int height = DrawTextA(dc, kPlayerText, -1, &text, DT_CENTER | DT_CALCRECT);
    text = client;
    text.top = (client.bottom - height) / 2;
    DrawTextA(dc, kPlayerText, -1, &text, DT_CENTER);
    SelectObject(dc, previousFont);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK playerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        paintPlayerWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createPlayerWindow(void)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = playerWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(DKGRAY_BRUSH);
    windowClass.lpszClassName = kPlayerClass;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, kPlayerClass, "Player stand-in", WS_POPUP | WS_VISIBLE,
                                  PLAYER_X, PLAYER_Y, PLAYER_WIDTH, PLAYER_HEIGHT, NULL, NULL,
                                  windowClass.hInstance, NULL);
    if (!window)
        UnregisterClassA(kPlayerClass, windowClass.hInstance);
    return window;
}

void destroyPlayerWindow(HWND window)
{
    DestroyWindow(window);
    UnregisterClassA(kPlayerClass, GetModuleHandleA(NULL));
}

int pumpMessages(int* exitCode)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            if (exitCode)
                *exitCode = (int)message.wParam;
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

double clockMs(void)
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

// A run in progress.
struct Loop {
    VisModule* module;
    const Playback* playback;
    RunResult result;
    double startMs;         // the clock at the first frame
    double nextFrameMs;     // when the next frame is due, in real time
};

// A plug-in asking for no pause still moves the audio on in offline runs.
static int frameStepMs(const VisModule* module)
{
    return module->delayMs > 0 ? module->delayMs : 1;
}

// Serves the thread's messages; 1 when the run must end, for a WM_QUIT or a
// stop request.
static int serveOrEnd(Loop* loop)
{
    if (pumpMessages(&loop->result.exitCode)) {
        loop->result.quitReceived = 1;
        return 1;
    }
    if (stopRequested()) {
        loop->result.stopped = 1;
        return 1;
    }
    return 0;
}

static int limitReached(const Loop* loop, double now)
{
    const RunLimits* limits = &loop->playback->limits;
    if (limits->frames > 0 && loop->result.frames >= limits->frames)
        return 1;
    return limits->milliseconds > 0 && now - loop->startMs >= (double)limits->milliseconds;
}

// Sleeps until the time has passed, a message arrives for this thread, a
// stop is requested or, when given, `also` is set.
static void waitForAny(HANDLE also, DWORD milliseconds)
{
    const HANDLE handles[] = { stopEvent(), also };
    MsgWaitForMultipleObjects(also ? 2 : 1, handles, FALSE, milliseconds, QS_ALLINPUT);
}

// Posts the button press and release a user's click would bring, for every
// click planned before this frame, and serves them. 1 when the run must end.
static int clickBefore(Loop* loop)
{
    const Playback* playback = loop->playback;
    for (int i = 0; i < playback->clickCount; i++) {
        const Click* click = &playback->clicks[i];
        if (click->frame != loop->result.frames)
            continue;
        const LPARAM point = MAKELPARAM(click->x, click->y);
        PostMessageA(playback->clickWindow, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(playback->clickWindow, WM_LBUTTONUP, 0, point);
    }
    return playback->clickCount > 0 && serveOrEnd(loop);
}

// Has the source fill the frame's spectrum. Offline it may have to wait for
// the audio to come, and serves messages meanwhile, so a closed window or a
// stop still ends the run. Returns 1 when the frame is ready.
static int readFrameAudio(Loop* loop, double now)
{
    AudioSource* source = loop->playback->source;
    FrameTime time;
    time.frame = loop->result.frames;
    time.realTime = loop->playback->limits.realTime;
    time.positionMs = time.realTime ? now - loop->startMs
                                    : (double)time.frame * frameStepMs(loop->module);
    time.nowMs = now;
    time.delayMs = loop->module->delayMs;
    for (;;) {
        const int read = source->readFrame(source, &time, loop->module);
        if (read != FRAME_LATER)
            return read == FRAME_READY;
        waitForAny(source->arrived, INFINITE);
        if (serveOrEnd(loop))
            return 0;
    }
}

// Lets the observer see the frame just rendered, once the window has drawn
// it. 0 when the run must end.
static int showToObserver(Loop* loop)
{
    const Playback* playback = loop->playback;
    if (!playback->observer)
        return 1;
    if (serveOrEnd(loop))
        return 0;
    return playback->observer(playback->observerContext, loop->result.frames - 1, loop->module);
}

// Renders and watches one frame. 0 when the run must end: a plug-in asks the
// player to stop it by returning non-zero from render, and the player does;
// that call counts as no frame of the run.
static int renderAndWatch(Loop* loop)
{
    if (loop->module->render(loop->module) != 0) {
        loop->result.pluginEnded = 1;
        return 0;
    }
    loop->result.frames++;
    return showToObserver(loop);
}

// Each frame is due delayMs after the previous one was due, so the time a
// frame takes does not add up into drift. After a stall (a drag holds this
// thread) the loop carries on from now rather than rendering the missed
// frames in a burst; the audio position follows the clock regardless, as a
// playing song would.
static void scheduleNext(Loop* loop, double now)
{
    loop->nextFrameMs += loop->module->delayMs;
    if (now - loop->nextFrameMs > (double)STALL_FRAMES * loop->module->delayMs)
        loop->nextFrameMs = now;
}

RunResult runPlayback(VisModule* module, const Playback* playback)
{
    Loop loop;
    memset(&loop, 0, sizeof(loop));
    loop.module = module;
    loop.playback = playback;
    loop.startMs = clockMs();
    loop.nextFrameMs = loop.startMs;
    for (;;) {
        if (serveOrEnd(&loop))
            break;
        const double now = clockMs();
        if (limitReached(&loop, now))
            break;
        if (playback->limits.realTime && loop.nextFrameMs > now) {
            waitForAny(NULL, (DWORD)ceil(loop.nextFrameMs - now));
            continue;
        }
        if (clickBefore(&loop) || !readFrameAudio(&loop, now) || !renderAndWatch(&loop))
            break;
        scheduleNext(&loop, now);
    }
    return loop.result;
}
