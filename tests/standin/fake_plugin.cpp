// Tiny plug-ins for the stand-in's tests, one per compile definition:
// FAKE_NO_MODULE has no module 0, FAKE_INIT_FAILS fails its init,
// FAKE_WINDOW opens a plain 200 x 120 window of its own class, painted
// pure blue, and FAKE_RECORDER writes one line per frame to the file named
// by the STANDIN_RECORD environment variable:
//   channelCount loudestBin0 itsLevel0 loudestBin1 itsLevel1
// and asks for the pause between frames that STANDIN_DELAY_MS gives, if set,
// and returns 1 from the render call that STANDIN_END_AT counts (0 is the
// first), recording nothing for it, if set;
// and with FAKE_TIMED as well, a sixth column: when the frame was rendered,
// in milliseconds of QueryPerformanceCounter, which every process shares.
#include "plugin/vis.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static FILE* record;
static long renderCalls;
static long endAt = -1;

#ifdef FAKE_WINDOW
static HWND window;

static void openWindow(VisModule* module)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module->instance;
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
    windowClass.lpszClassName = "fakeVisWindow";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "fakeVisWindow", "fake", WS_POPUP | WS_VISIBLE, 40, 300, 200, 120,
                             module->parentWindow, NULL, module->instance, NULL);
}
#endif

static void VIS_CALL fakeConfig(VisModule*) {}

static int VIS_CALL fakeInit(VisModule* module)
{
    (void)module;
#ifdef FAKE_INIT_FAILS
    return 1;
#elif defined(FAKE_WINDOW)
    openWindow(module);
    return window ? 0 : 1;
#else
    const char* path = getenv("STANDIN_RECORD");
    record = path ? fopen(path, "w") : NULL;
    const char* delay = getenv("STANDIN_DELAY_MS");
    if (delay)
        module->delayMs = atoi(delay);
    const char* end = getenv("STANDIN_END_AT");
    endAt = end ? atol(end) : -1;
    renderCalls = 0;
    return 0;
#endif
}

static int loudestBin(const unsigned char* bins)
{
    int best = 0;
    for (int k = 1; k < VIS_SPECTRUM_BINS; k++) {
        if (bins[k] > bins[best])
            best = k;
    }
    return best;
}

static int VIS_CALL fakeRender(VisModule* module)
{
    if (renderCalls++ == endAt)
        return 1;
    if (record) {
        const int left = loudestBin(module->spectrumData[0]);
        const int right = loudestBin(module->spectrumData[1]);
        fprintf(record, "%d %d %d %d %d", module->channelCount, left,
                module->spectrumData[0][left], right, module->spectrumData[1][right]);
#ifdef FAKE_TIMED
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        fprintf(record, " %.3f\n", (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart);
#else
        fputc('\n', record);
#endif
    }
    return 0;
}

static void VIS_CALL fakeQuit(VisModule*)
{
#ifdef FAKE_WINDOW
    DestroyWindow(window);
#endif
    if (record)
        fclose(record);
    record = NULL;
}

static VisModule fakeModule = {
    "FAKE", NULL, NULL, 0, 0, 25, 25, 2, 0, {{0}}, {{0}},
    fakeConfig, fakeInit, fakeRender, fakeQuit, NULL,
};

#ifdef FAKE_NO_MODULE
static const int hasModule = 0;
#else
static const int hasModule = 1;
#endif

static VisModule* VIS_CALL fakeGetModule(int index)
{
    return index == 0 && hasModule ? &fakeModule : NULL;
}

static VisHeader fakeHeader = { VIS_HEADER_VERSION, "fake plug-in", fakeGetModule };

extern "C" __declspec(dllexport) VisHeader* VIS_CALL winampVisGetHeader(void)
{
    return &fakeHeader;
}
