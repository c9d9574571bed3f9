// The benchmark behind --bench. Each operation is timed one call at a time
// with QueryPerformanceCounter; the message queue is emptied between calls,
// outside the timed span, so no timing pays for another's leftovers.
#include "standin/bench.h"

#include "standin/host.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

enum {
    ROUNDS = 10,
    BAR_AREA_X = 38,
    BAR_AREA_Y = 34,
    BAR_AREA_WIDTH = 288,
    BAR_AREA_HEIGHT = 94,
    // The middle of the reverse switch: pressing it rebuilds the bar strip
    // without changing the display mode; two presses restore the state.
    REVERSE_SWITCH_X = 111,
    REVERSE_SWITCH_Y = 27
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
    long frame;
    HDC sourceDC;        // a bar area's worth of memory bitmap, the floor's source
    HBITMAP sourceBitmap;
    HGDIOBJ previousBitmap;
};

static void timeRenders(BenchState* state, Series* series, int count)
{
    for (int i = 0; i < count; i++) {
        builtinSignal(NULL, state->frame++, 0.0, state->module);
        const LONGLONG begin = ticks();
        state->module->render(state->module);
        record(series, begin, ticks());
        pumpMessages(NULL);
    }
}

static void timeSwitchPresses(BenchState* state, Series* series, int count)
{
    const LPARAM point = MAKELPARAM(REVERSE_SWITCH_X, REVERSE_SWITCH_Y);
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

static void timeBareBlits(BenchState* state, Series* series, int count)
{
    HDC windowDC = GetDC(state->window);
    for (int i = 0; i < count; i++) {
        const LONGLONG begin = ticks();
        BitBlt(windowDC, BAR_AREA_X, BAR_AREA_Y, BAR_AREA_WIDTH, BAR_AREA_HEIGHT,
               state->sourceDC, 0, 0, SRCCOPY);
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
        BitBlt(windowDC, BAR_AREA_X, BAR_AREA_Y, BAR_AREA_WIDTH, BAR_AREA_HEIGHT,
               state->sourceDC, 0, 0, SRCCOPY);
        ReleaseDC(state->window, windowDC);
        record(series, begin, ticks());
    }
    pumpMessages(NULL);
}

static int openBenchState(BenchState* state, VisModule* module, HWND window)
{
    memset(state, 0, sizeof(*state));
    state->module = module;
    state->window = window;
    HDC windowDC = GetDC(window);
    state->sourceDC = CreateCompatibleDC(windowDC);
    state->sourceBitmap = CreateCompatibleBitmap(windowDC, BAR_AREA_WIDTH, BAR_AREA_HEIGHT);
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

static void printMachine(FILE* out)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    typedef const char* (CDECL * WineVersionProc)(void);
    WineVersionProc wineVersion =
        (WineVersionProc)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    fprintf(out, "benchmark: %lu processors, %s%s\n", (unsigned long)system.dwNumberOfProcessors,
            wineVersion ? "Wine " : "Windows", wineVersion ? wineVersion() : "");
}

int runBenchmark(VisModule* module, HWND window, int frames, FILE* out)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksToMicroseconds = 1e6 / (double)frequency.QuadPart;

    const int perRound = frames / ROUNDS > 0 ? frames / ROUNDS : 1;
    // An even number of presses per round leaves the switch as it was found.
    const int slowPerRound = (perRound / 5) & ~1 ? (perRound / 5) & ~1 : 2;
    Series series[] = {
        { "render (one frame)", {} },
        { "switch press (strip rebuild)", {} },
        { "full repaint (RedrawWindow)", {} },
        { "floor: bare 288x94 BitBlt", {} },
        { "floor with GetDC/ReleaseDC", {} },
    };
    for (Series& one : series)
        one.values.reserve((size_t)(perRound + slowPerRound) * ROUNDS);

    BenchState state;
    const int ok = openBenchState(&state, module, window);
    for (int round = 0; ok && round < ROUNDS; round++) {
        timeRenders(&state, &series[0], perRound);
        timeSwitchPresses(&state, &series[1], slowPerRound);
        timeRepaints(&state, &series[2], slowPerRound);
        timeBareBlits(&state, &series[3], perRound);
        timeBlitsWithDC(&state, &series[4], perRound);
    }
    if (ok) {
        printMachine(out);
        fprintf(out, "%-34s %6s %9s %9s %9s %9s %9s   (microseconds)\n", "operation", "calls",
                "median", "p10", "p90", "min", "max");
        for (Series& one : series)
            printRow(out, &one);
        // Each row's values are sorted now, so the medians can be read back.
        const double frame = series[0].values[series[0].values.size() / 2];
        const double floor = series[3].values[series[3].values.size() / 2];
        fprintf(out, "frame / floor (medians): %.1f\n", floor > 0 ? frame / floor : 0.0);
    }
    closeBenchState(&state);
    return ok ? 0 : 1;
}
