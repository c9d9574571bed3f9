// The player stand-in's window, frame loop and built-in signal.
#include "standin/host.h"

#include <math.h>
#include <string.h>

static const char kPlayerClass[] = "halderPlayerStandIn";

static LRESULT CALLBACK playerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
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
    // Placed low on the screen, away from where the plug-in's window opens.
    HWND window = CreateWindowExA(0, kPlayerClass, "Player stand-in", WS_POPUP | WS_VISIBLE,
                                  600, 600, 200, 60, NULL, NULL, windowClass.hInstance, NULL);
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

// Sleeps until the time has passed or a message arrives for this thread.
static void waitForMessagesOrTime(double milliseconds)
{
    const DWORD timeout = (DWORD)ceil(milliseconds);
    MsgWaitForMultipleObjects(0, NULL, FALSE, timeout, QS_ALLINPUT);
}

// A plug-in asking for no pause still moves the audio on in offline runs.
static int frameStepMs(const VisModule* module)
{
    return module->delayMs > 0 ? module->delayMs : 1;
}

// Posts the button press and release a user's click would bring, for every
// click planned before this frame; the caller pumps them through.
static void postClicksFor(const Playback* playback, long frame)
{
    for (int i = 0; i < playback->clickCount; i++) {
        const Click* click = &playback->clicks[i];
        if (click->frame != frame)
            continue;
        const LPARAM point = MAKELPARAM(click->x, click->y);
        PostMessageA(playback->clickWindow, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(playback->clickWindow, WM_LBUTTONUP, 0, point);
    }
}

RunResult runPlayback(VisModule* module, const Playback* playback)
{
    RunResult result = { 0, 0, 0 };
    const RunLimits* limits = &playback->limits;
    const double start = clockMs();
    double nextFrame = start;
    for (;;) {
        if (pumpMessages(&result.exitCode)) {
            result.quitReceived = 1;
            break;
        }
        const double now = clockMs();
        if (limits->frames > 0 && result.frames >= limits->frames)
            break;
        if (limits->milliseconds > 0 && now - start >= (double)limits->milliseconds)
            break;
        if (limits->realTime && nextFrame > now) {
            waitForMessagesOrTime(nextFrame - now);
            continue;
        }
        if (playback->clickCount > 0) {
            postClicksFor(playback, result.frames);
            if (pumpMessages(&result.exitCode)) {
                result.quitReceived = 1;
                break;
            }
        }
        const double position = limits->realTime ? now - start
                                                 : (double)result.frames * frameStepMs(module);
        if (!playback->source(playback->sourceContext, result.frames, position, module))
            break;
        module->render(module);
        result.frames++;
        if (playback->observer) {
            if (pumpMessages(&result.exitCode)) {
                result.quitReceived = 1;
                break;
            }
            if (!playback->observer(playback->observerContext, result.frames - 1, module))
                break;
        }
        nextFrame += module->delayMs;
        // After a stall (a drag holds this thread) carry on from now rather
        // than rendering the missed frames in a burst; the audio position
        // follows the clock regardless, as a playing song would.
        if (now - nextFrame > 10.0 * module->delayMs)
            nextFrame = now;
    }
    return result;
}

int builtinSignal(void* context, long frame, double positionMs, VisModule* module)
{
    (void)context;
    (void)positionMs;
    // A wave travels across the bars while a slower swell lifts and drops
    // it, so every bar rises, peaks and falls; channel 1 carries a mirror
    // image, so folding the two channels matters.
    const double t = frame / 40.0;
    for (int bin = 0; bin < VIS_SPECTRUM_BINS; bin++) {
        const double x = bin / 288.0;
        double wave = 0.5 + 0.5 * sin(6.2831853 * (x * 1.5 - t * 0.7));
        double swell = 0.55 + 0.45 * sin(6.2831853 * t * 0.13 + x * 3.0);
        double left = 255.0 * wave * swell;
        double right = 255.0 * (0.5 + 0.5 * sin(6.2831853 * ((1.0 - x) * 2.0 + t))) * swell * 0.8;
        module->spectrumData[0][bin] = (unsigned char)(left < 0 ? 0 : left > 255 ? 255 : left);
        module->spectrumData[1][bin] = (unsigned char)(right < 0 ? 0 : right > 255 ? 255 : right);
    }
    return 1;
}
