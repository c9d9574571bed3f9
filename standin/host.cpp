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
    return CreateWindowExA(0, kPlayerClass, "Player stand-in", WS_POPUP | WS_VISIBLE,
                           600, 600, 200, 60, NULL, NULL, windowClass.hInstance, NULL);
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

RunResult runFrames(VisModule* module, const RunLimits* limits, SpectrumSource source,
                    void* context)
{
    RunResult result = { 0, 0, 0 };
    const DWORD start = GetTickCount();
    DWORD nextFrame = start;
    for (;;) {
        if (pumpMessages(&result.exitCode)) {
            result.quitReceived = 1;
            break;
        }
        const DWORD now = GetTickCount();
        if (limits->frames > 0 && result.frames >= limits->frames)
            break;
        if (limits->milliseconds > 0 && (long)(now - start) >= limits->milliseconds)
            break;
        if (limits->realTime && (long)(nextFrame - now) > 0) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, nextFrame - now, QS_ALLINPUT);
            continue;
        }
        source(context, result.frames, module);
        module->render(module);
        result.frames++;
        nextFrame += (DWORD)module->delayMs;
        // After a stall (a drag holds this thread) carry on from now rather
        // than rendering the missed frames in a burst.
        if ((long)(now - nextFrame) > 10 * module->delayMs)
            nextFrame = now;
    }
    return result;
}

void builtinSignal(void* context, long frame, VisModule* module)
{
    (void)context;
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
}
