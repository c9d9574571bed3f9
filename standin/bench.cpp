// The benchmark behind --bench. Each operation is timed one call at a time
// with QueryPerformanceCounter; the message queue is emptied between calls,
// outside the timed span, so no timing pays for another's leftovers.
#include "standin/bench.h"

#include "standin/capture.h"
#include "standin/host.h"
#include "standin/source.h"
#include "standin/stop.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

enum {
    ROUNDS = 10,
    // Frames rendered to find the part of the window that frames draw.
    MEASURE_FRAMES = 120,
    // Where the click row clicks: on vis_halder, the middle of its REVERSE
    // switch, which rebuilds the bar strip without changing the display
    // mode, and two presses restore the state. On a high-DPI display the
    // point is multiplied by the display's whole scale, as a window drawn
    // at that scale multiplies its own. Any other plug-in gets the same
    // click, and the table says where it went.
    CLICK_X = 111,
    CLICK_Y = 27,
    BASE_DPI = 96
};

static int compareDoubles(const void* a, const void* b)
{
    const double x = *(const double*)a;
    const double y = *(const double*)b;
    return (x > y) - (x < y);
}

TimingSummary summariseTimings(double* values, int count)
{
    TimingSummary summary;
    memset(&summary, 0, sizeof(summary));
    if (count <= 0)
        return summary;
    qsort(values, (size_t)count, sizeof(double), compareDoubles);
    summary.min = values[0];
    summary.max = values[count - 1];
    summary.median = values[count / 2];
    summary.p10 = values[count / 10];
    summary.p90 = values[count * 9 / 10];
    return summary;
}

// One operation's samples, filled across the rounds.
struct Series {
    const char* name;
    std::vector<double> values;
};

static double ticksToMicroseconds;

static LONGLONG ticks(void)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

static void record(Series* series, LONGLONG begin, LONGLONG end)
{
    series->values.push_back((double)(end - begin) * ticksToMicroseconds);
}

struct BenchState {
    VisModule* module;
    HWND window;
    POINT click;         // the click row's client point
    long frame;
    RECT drawn;          // the part of the window that frames change
    HDC sourceDC;        // a drawn area's worth of memory bitmap, the floor's source
    HBITMAP sourceBitmap;
    HGDIOBJ previousBitmap;
};

static void timeRenders(BenchState* state, Series* series, int count)
{
    for (int i = 0; i < count; i++) {
        builtinSpectrum(state->frame++, state->module);
        const LONGLONG begin = ticks();
        state->module->render(state->module);
        record(series, begin, ticks());
        pumpMessages(NULL);
    }
}

static void timeClicks(BenchState* state, Series* series, int count)
{
    const LPARAM point = MAKELPARAM(state->click.x, state->click.y);
    for (int i = 0; i < count; i++) {
        const LONGLONG begin = ticks();
        SendMessageA(state->window, WM_LBUTTONDOWN, MK_LBUTTON, point);
        record(series, begin, ticks());
        SendMessageA(state->window, WM_LBUTTONUP, 0, point);
        pumpMessages(NULL);
    }
}

static void timeRepaints(BenchState* state, Series* series, int count)
{
    for (int i = 0; i < count; i++) {
        const LONGLONG begin = ticks();
        RedrawWindow(state->window, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        record(series, begin, ticks());
        pumpMessages(NULL);
    }
}

static void copyDrawnArea(const BenchState* state, HDC windowDC)
{
    const RECT* area = &state->drawn;
    BitBlt(windowDC, area->left, area->top, area->right - area->left, area->bottom - area->top,
           state->sourceDC, 0, 0, SRCCOPY);
}

static void timeBareBlits(BenchState* state, Series* series, int count)
{
    HDC windowDC = GetDC(state->window);
    for (int i = 0; i < count; i++) {
        const LONGLONG begin = ticks();
        copyDrawnArea(state, windowDC);
        record(series, begin, ticks());
    }
    ReleaseDC(state->window, windowDC);
    pumpMessages(NULL);
}

// What a frame pays around its copy: render fetches the window's DC anew each time.
static void timeBlitsWithDC(BenchState* state, Series* series, int count)
{
    for (int i = 0; i < count; i++) {
        const LONGLONG begin = ticks();
        HDC windowDC = GetDC(state->window);
        copyDrawnArea(state, windowDC);
        ReleaseDC(state->window, windowDC);
        record(series, begin, ticks());
    }
    pumpMessages(NULL);
}

// Grows area to take in every pixel where before and after differ.
static void addChangedPixels(const std::vector<unsigned char>& before,
                             const std::vector<unsigned char>& after, int width, int height,
                             RECT* area)
{
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const size_t at = ((size_t)y * width + x) * 3;
            if (memcmp(&before[at], &after[at], 3) == 0)
                continue;
            area->left = x < area->left ? x : area->left;
            area->top = y < area->top ? y : area->top;
            area->right = x + 1 > area->right ? x + 1 : area->right;
            area->bottom = y + 1 > area->bottom ? y + 1 : area->bottom;
        }
    }
}

// The floor copies what a frame draws, so it is measured, not assumed: the
// bounding box of the pixels that change over some frames of the built-in
// signal; the whole window if none does. Returns 0 if the window cannot be
// read back.
static int measureDrawnArea(BenchState* state)
{
    RECT client;
    GetClientRect(state->window, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0)
        return 0;
    std::vector<unsigned char> before((size_t)width * height * 3);
    std::vector<unsigned char> after(before.size());
    RECT area = { width, height, 0, 0 };
    pumpMessages(NULL);
    if (!readWindowPixels(state->window, width, height, before.data()))
        return 0;
    for (int i = 0; i < MEASURE_FRAMES; i++) {
        builtinSpectrum(state->frame++, state->module);
        state->module->render(state->module);
        pumpMessages(NULL);
        if (!readWindowPixels(state->window, width, height, after.data()))
            return 0;
        addChangedPixels(before, after, width, height, &area);
        before.swap(after);
    }
    state->drawn = area.right > area.left ? area : client;
    return 1;
}

// The display's whole scale from the window's DPI: 1 at 96 and 120, 2 at 144
// to 192, and so on.
static int displayScale(HWND window)
{
    int dpi = BASE_DPI;
    HDC windowDC = GetDC(window);
    if (windowDC) {
        dpi = GetDeviceCaps(windowDC, LOGPIXELSX);
        ReleaseDC(window, windowDC);
    }
    const int scale = (dpi + BASE_DPI / 2) / BASE_DPI;
    return scale > 1 ? scale : 1;
}

static int openBenchState(BenchState* state, VisModule* module, HWND window)
{
    memset(state, 0, sizeof(*state));
    state->module = module;
    state->window = window;
    const int scale = displayScale(window);
    state->click.x = CLICK_X * scale;
    state->click.y = CLICK_Y * scale;
    if (!measureDrawnArea(state))
        return 0;
    HDC windowDC = GetDC(window);
    state->sourceDC = CreateCompatibleDC(windowDC);
    state->sourceBitmap = CreateCompatibleBitmap(windowDC, state->drawn.right - state->drawn.left,
                                                 state->drawn.bottom - state->drawn.top);
    ReleaseDC(window, windowDC);
    if (!state->sourceDC || !state->sourceBitmap)
        return 0;
    state->previousBitmap = SelectObject(state->sourceDC, state->sourceBitmap);
    return 1;
}

static void closeBenchState(BenchState* state)
{
    if (state->sourceDC) {
        if (state->previousBitmap)
            SelectObject(state->sourceDC, state->previousBitmap);
        DeleteDC(state->sourceDC);
    }
    if (state->sourceBitmap)
        DeleteObject(state->sourceBitmap);
}

static void printRow(FILE* out, Series* series)
{
    const int count = (int)series->values.size();
    const TimingSummary s = summariseTimings(series->values.data(), count);
    fprintf(out, "%-34s %6d %9.1f %9.1f %9.1f %9.1f %9.1f\n", series->name, count,
            s.median, s.p10, s.p90, s.min, s.max);
}

static void printMachine(FILE* out, const BenchState* state)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    typedef const char* (CDECL * WineVersionProc)(void);
    WineVersionProc wineVersion =
        (WineVersionProc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    RECT client;
    GetClientRect(state->window, &client);
    const RECT* drawn = &state->drawn;
    fprintf(out, "benchmark: %lu processors, %s%s; window %ldx%ld, frames draw %ldx%ld at (%ld,%ld)\n",
            (unsigned long)system.dwNumberOfProcessors, wineVersion ? "Wine " : "Windows",
            wineVersion ? wineVersion() : "", client.right, client.bottom,
            drawn->right - drawn->left, drawn->bottom - drawn->top, drawn->left, drawn->top);
}

static void printTable(FILE* out, const BenchState* state, Series* series, int count)
{
    printMachine(out, state);
    fprintf(out, "%-34s %6s %9s %9s %9s %9s %9s   (microseconds)\n", "operation", "calls",
            "median", "p10", "p90", "min", "max");
    for (int i = 0; i < count; i++)
        printRow(out, &series[i]);
    // Each row's values are sorted now, so the medians can be read back.
    const double frame = series[0].values[series[0].values.size() / 2];
    const double floor = series[3].values[series[3].values.size() / 2];
    fprintf(out, "frame / floor (medians): %.1f\n", floor > 0 ? frame / floor : 0.0);
}

int runBenchmark(VisModule* module, HWND window, int frames, FILE* out)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksToMicroseconds = 1e6 / (double)frequency.QuadPart;

    BenchState state;
    if (!openBenchState(&state, module, window)) {
        closeBenchState(&state);
        return 1;
    }
    const int perRound = frames / ROUNDS > 0 ? frames / ROUNDS : 1;
    // An even number of clicks per round leaves a switch as it was found.
    const int slowPerRound = (perRound / 5) & ~1 ? (perRound / 5) & ~1 : 2;
    char clickName[40];
    char floorName[40];
    snprintf(clickName, sizeof(clickName), "click at (%ld,%ld)", state.click.x, state.click.y);
    snprintf(floorName, sizeof(floorName), "floor: bare %ldx%ld BitBlt",
             state.drawn.right - state.drawn.left, state.drawn.bottom - state.drawn.top);
    Series series[] = {
        { "render (one frame)", {} },
        { clickName, {} },
        { "full repaint (RedrawWindow)", {} },
        { floorName, {} },
        { "floor with GetDC/ReleaseDC", {} },
    };
    for (Series& one : series)
        one.values.reserve((size_t)(perRound + slowPerRound) * ROUNDS);
    // Ctrl+C stops the timing at the end of a round, and leaves out the table.
    for (int round = 0; round < ROUNDS && !stopRequested(); round++) {
        timeRenders(&state, &series[0], perRound);
        timeClicks(&state, &series[1], slowPerRound);
        timeRepaints(&state, &series[2], slowPerRound);
        timeBareBlits(&state, &series[3], perRound);
        timeBlitsWithDC(&state, &series[4], perRound);
    }
    if (stopRequested())
        fprintf(out, "benchmark stopped\n");
    else
        printTable(out, &state, series, 5);
    closeBenchState(&state);
    return 0;
}
