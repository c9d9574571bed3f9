// Bar strip: column k shows a bar k cells high in the current display mode,
// assembled cell by cell from the three cells of the meter bitmap.
#include "display/strip.h"

#include "display/frame.h"
#include "plugin/state.h"
#include "window/scale.h"
#include "window/skin.h"

// Rows of the meter bitmap that hold each 8 x 2 cell.
enum {
    METER_UNLIT_ROW = 0,
    METER_REFLECTION_ROW = 2,
    METER_LIT_ROW = 4
};

// Which meter row fills the cell whose top is y in column k, or -1 for a
// display mode that draws nothing.
static int stripCellRow(unsigned mode, int k, int y, int barRow, int backgroundRow)
{
    const int mainFieldBottom = REFLECTION_TOP - CELL_HEIGHT; // 60
    switch (mode) {
    case MODE_NORMAL:
        return y > LAST_CELL_TOP - CELL_HEIGHT * k ? barRow : backgroundRow;
    case MODE_RAIN:
        return y < CELL_HEIGHT * k ? barRow : backgroundRow;
    case MODE_MIRROR:
        if (y <= mainFieldBottom)
            return y > mainFieldBottom - CELL_HEIGHT * k ? barRow : backgroundRow;
        return y <= REFLECTION_TOP - 1 + k ? METER_REFLECTION_ROW : backgroundRow;
    case MODE_RAIN_MIRROR:
        if (y <= mainFieldBottom)
            return y < CELL_HEIGHT * k ? barRow : backgroundRow;
        return y > LAST_CELL_TOP - k ? METER_REFLECTION_ROW : backgroundRow;
    default:
        return -1;
    }
}

static int stripColumnsInUse(unsigned mode)
{
    return (mode == MODE_MIRROR || mode == MODE_RAIN_MIRROR) ? STRIP_COLUMNS_MIRROR
                                                             : STRIP_COLUMNS_TALL;
}

void buildBarStrip(void)
{
    // Taking the old strip out of skinDC first lets it be deleted safely.
    SelectObject(skinDC, meterBitmap);
    if (barStrip)
        DeleteObject(barStrip);
    barStrip = CreateCompatibleBitmap(skinDC, STRIP_WIDTH * windowScale,
                                      STRIP_HEIGHT * windowScale);
    SelectObject(bufferDC, barStrip);

    const int barRow = isReverse ? METER_UNLIT_ROW : METER_LIT_ROW;
    const int backgroundRow = isReverse ? METER_LIT_ROW : METER_UNLIT_ROW;
    const int columns = stripColumnsInUse(displayMode);
    for (int k = 0; k < columns; k++) {
        for (int y = 0; y <= LAST_CELL_TOP; y += CELL_HEIGHT) {
            int row = stripCellRow(displayMode, k, y, barRow, backgroundRow);
            if (row < 0)
                continue;
            scaledCopy(bufferDC, BAR_WIDTH * k, y, BAR_WIDTH, CELL_HEIGHT, skinDC, 0, row);
        }
    }

    SelectObject(bufferDC, barBuffer);
    SelectObject(skinDC, barStrip);
}
