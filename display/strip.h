// The bar strip: one pre-drawn column per bar height, so a frame draws each
// bar with a single copy. The bitmap is STRIP_WIDTH x STRIP_HEIGHT times
// windowScale.
#ifndef HALDER_STRIP_H
#define HALDER_STRIP_H

enum {
    STRIP_WIDTH = 384,
    STRIP_HEIGHT = 94,
    STRIP_COLUMNS_TALL = 48,    // heights 0..47 in the single-field modes
    STRIP_COLUMNS_MIRROR = 32   // heights 0..31 in the mirror modes
};

// Replaces barStrip with one drawn for the current displayMode and isReverse.
// Expects skinDC and bufferDC to exist; leaves the new strip selected into
// skinDC and barBuffer into bufferDC.
void buildBarStrip(void);

#endif
