// The stand-in's command line.
#ifndef HALDER_STANDIN_OPTIONS_H
#define HALDER_STANDIN_OPTIONS_H

#include "standin/host.h"

#include <stdio.h>

enum { MAX_CLICKS = 256, MAX_BENCH_FRAMES = 1000000 };

struct Options {
    const char* pluginPath;
    const char* audioPath;  // a WAV file, or null
    int raw;                // stream raw PCM from standard input
    int rawFormat;          // SAMPLE_S16 or SAMPLE_F32
    int rawFormatGiven;
    int help;
    long rawRate;
    long rawChannels;
    long frames;            // 0 when not given
    double seconds;         // 0 when not given
    int offline;
    int about;
    int bench;
    const char* captureDirectory;
    Click clicks[MAX_CLICKS];
    int clickCount;
};

void printUsage(FILE* out);

// Fills options from argv. On a bad command line prints one line naming the
// argument and what is wrong with it, and returns 0.
int parseOptions(int argc, char** argv, Options* options);

#endif
