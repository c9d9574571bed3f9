// Timing of the plug-in's drawing paths, side by side in one run.
#ifndef HALDER_STANDIN_BENCH_H
#define HALDER_STANDIN_BENCH_H

#include "plugin/vis.h"

#include <stdio.h>

// Order statistics of one measured operation, in microseconds.
struct TimingSummary {
    double median;
    double p10;
    double p90;
    double min;
    double max;
};

// Sorts values in place and summarises them; all zero when count is 0.
TimingSummary summariseTimings(double* values, int count);

// Times render (frames calls on the busy built-in signal), a click on the
// window (on vis_halder a switch), a full repaint and a bare BitBlt of the
// part of the window that frames draw, measured first by reading the window
// back; interleaved in rounds so that all of them see the same conditions.
// Prints a table to out. The module must be initialised and window must be
// its window. Returns 0 on success, 1 when the window cannot be read back.
int runBenchmark(VisModule* module, HWND window, int frames, FILE* out);

#endif
