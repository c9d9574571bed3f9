// Helpers shared by the unit tests: a fresh module record and a clean slate
// for the plug-in's global state.
#ifndef HALDER_TEST_SUPPORT_H
#define HALDER_TEST_SUPPORT_H

#include "display/dynamics.h"
#include "plugin/plugin.h"

#include <string.h>

#include <array>
#include <string>
#include <vector>

typedef int (*Renderer)(VisModule*, HWND);

// Zero state for every mode, as at library load.
inline void resetBarState()
{
    uint16_t* arrays[] = { normalLevel, normalPeak, normalHold, rainLevel, rainPeak, rainFall,
                           rainHold, mirrorLevel, mirrorPeak, mirrorHold, rainMirrorLevel,
                           rainMirrorPeak, rainMirrorFall, rainMirrorHold };
    for (uint16_t* a : arrays)
        memset(a, 0, BAR_COUNT * sizeof(uint16_t));
}

// Sets every bin of one bar in channel 0 to v.
inline void setBarInput(VisModule* module, int bar, unsigned char v)
{
    memset(&module->spectrumData[0][bar * BINS_PER_BAR], v, BINS_PER_BAR);
}

inline void clearSpectrum(VisModule* module)
{
    memset(module->spectrumData, 0, sizeof(module->spectrumData));
}

#endif
