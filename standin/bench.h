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

// Times render (frames calls on the busy built-in signal), a switch press,
// a full repaint and a bare bar-area BitBlt, interleaved in rounds so that
// all four see the same conditions, and prints a table to out. The module
// must be initialised and window must be its window. Returns 0 on success.
int runBenchmark(VisModule* module, HWND window, int frames, FILE* out);

#endif
