// Level scales: level 0..255 to a bar height in cells along a quarter sine.
#ifndef HALDER_SCALES_H
#define HALDER_SCALES_H

#include <stdint.h>

enum { LEVEL_COUNT = 256 };

// A table of LEVEL_COUNT heights from 0 to multiplier, never decreasing, in
// fixed global memory (free with GlobalFree); null when memory is refused.
uint16_t* buildLevelScale(int multiplier);

#endif
