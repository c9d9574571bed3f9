// Frame drawing: one column copy per bar from the strip, and the marker or
// drop cells, which all come from strip column 1 (a bar one cell high) so
// they take the current look, reverse included.
#include "display/frame.h"

#include "window/scale.h"
#include "window/skin.h"

// Strip rows of column 1 that hold the marker cells of each mode.
static const int kNormalMarkerRow = 92;
static const int kMirrorMarkerRow = 60;
static const int kMirrorReflectionRow = 62;
static const int kRainDropRow = 0;
static const int kRainMirrorReflectionRow = 92;

static void copyBarColumn(int i, unsigned height)
{
    scaledCopy(bufferDC, BAR_WIDTH * i, 0, BAR_WIDTH, BAR_AREA_HEIGHT,
               skinDC, BAR_WIDTH * (int)height, 0);
}

static void copyMarkerCell(int i, int stripRow, int destRow)
{
    scaledCopy(bufferDC, BAR_WIDTH * i, destRow, BAR_WIDTH, CELL_HEIGHT, skinDC, BAR_WIDTH, stripRow);
}

static int markerShows(const BarState* bar)
{
    return bar->hold < MARKER_HOLD;
}

// How many cells a drop has fallen from the tip of the bar that released it.
static int dropDepth(const uint16_t* scale, const BarState* bar)
{
    return (int)scale[255 - bar->fall] - (int)scale[bar->peak];
}

// Without its scale (its memory was refused) a bar is not drawn; its state
// still advances, so nothing is lost once a later run has the scale.
void drawNormalBar(int i, const BarState* bar)
{
    if (!scale48)
        return;
    copyBarColumn(i, scale48[bar->level]);
    if (!markerShows(bar))
        return;
    int h = scale48[bar->peak];
    if (h != 0)
        copyMarkerCell(i, kNormalMarkerRow, CELL_HEIGHT * (CELLS_TALL - h));
}

void drawMirrorBar(int i, const BarState* bar)
{
    if (!scale32)
        return;
    copyBarColumn(i, scale32[bar->level]);
    if (!markerShows(bar))
        return;
    int h = scale32[bar->peak];
    if (h != 0) {
        copyMarkerCell(i, kMirrorMarkerRow, CELL_HEIGHT * (CELLS_MAIN_FIELD - h));
        copyMarkerCell(i, kMirrorReflectionRow, REFLECTION_TOP + CELL_HEIGHT * (h / 2));
    }
}

void drawRainBar(int i, const BarState* bar)
{
    if (!scale48)
        return;
    copyBarColumn(i, scale48[bar->level]);
    if (!markerShows(bar))
        return;
    int d = dropDepth(scale48, bar);
    if (d >= 1 && d <= CELLS_TALL - 1)
        copyMarkerCell(i, kRainDropRow, CELL_HEIGHT * (CELLS_TALL - d));
}

void drawRainMirrorBar(int i, const BarState* bar)
{
    if (!scale32)
        return;
    copyBarColumn(i, scale32[bar->level]);
    if (!markerShows(bar))
        return;
    int d = dropDepth(scale32, bar);
    if (d >= 1 && d <= CELLS_MAIN_FIELD - 1) {
        int r = CELLS_MAIN_FIELD - d;
        copyMarkerCell(i, kRainDropRow, CELL_HEIGHT * r);
        copyMarkerCell(i, kRainMirrorReflectionRow, LAST_CELL_TOP - CELL_HEIGHT * (r / 2));
    }
}

void showFrame(HWND window)
{
    // GetDC(NULL) would hand out the whole screen.
    if (window == NULL)
        return;
    HDC dc = GetDC(window);
    scaledCopy(dc, BAR_AREA_X, BAR_AREA_Y, BAR_AREA_WIDTH, BAR_AREA_HEIGHT, bufferDC, 0, 0);
    ReleaseDC(window, dc);
}
