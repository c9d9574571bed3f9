// Level scales: built once per run so a frame never computes a sine.
#include "display/scales.h"

#include <windows.h>

#include <math.h>

// 90 degrees spread over the 256 levels; exact in binary, so the running
// angle below carries no rounding error.
static const double kDegreesPerLevel = 0.3515625;
static const float kRadiansPerDegree = 0.017453277f;

uint16_t* buildLevelScale(int multiplier)
{
    uint16_t* table = (uint16_t*)GlobalAlloc(GMEM_FIXED, LEVEL_COUNT * sizeof(uint16_t));
    if (!table)
        return NULL;
    double angle = 0.0;
    for (int i = 0; i < LEVEL_COUNT; i++) {
        // Truncation, not rounding: heights step up only once a level is reached.
        table[i] = (uint16_t)((double)multiplier * sin(angle * kRadiansPerDegree));
        angle += kDegreesPerLevel;
    }
    return table;
}
