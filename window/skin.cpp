// Skin surfaces and panel painting. Every pixel reaches the window as a
// rectangle copy out of the skin bitmaps: no pens, brushes or text.
#include "window/skin.h"

#include "display/frame.h"
#include "display/scales.h"
#include "display/strip.h"
#include "plugin/state.h"
#include "window/layout.h"

HDC skinDC = NULL;
HDC bufferDC = NULL;
HBITMAP faceBitmap = NULL;
HBITMAP titlebarBitmap = NULL;
HBITMAP meterBitmap = NULL;
HBITMAP indicatorBitmap = NULL;
HBITMAP scaleBitmap = NULL;
HBITMAP barBuffer = NULL;
HBITMAP barStrip = NULL;
HGDIOBJ skinDCInitial = NULL;
HGDIOBJ bufferDCInitial = NULL;
uint16_t* scale48 = NULL;
uint16_t* scale32 = NULL;

// Where each image lies in its skin bitmap.
enum {
    TITLEBAR_ACTIVE_Y = 0,
    TITLEBAR_INACTIVE_Y = 14,
    CLOSE_IMAGE_X = 363,
    CLOSE_ACTIVE_Y = 0,
    CLOSE_PRESSED_Y = 9,
    CLOSE_INACTIVE_Y = 18,
    SCALE_COLUMN_WIDTH = 3
};

// A label's source row in the indicator bitmap, off and on.
struct SwitchLabel {
    const RECT* place;
    const int* flag;
    int offY;
    int onY;
};

static const SwitchLabel kSwitchLabels[] = {
    { &rainSwitchRect, &isRain, 0, 8 },
    { &mirrorSwitchRect, &isMirror, 16, 24 },
    { &reverseSwitchRect, &isReverse, 32, 40 },
};

static int rectWidth(const RECT* r) { return r->right - r->left; }
static int rectHeight(const RECT* r) { return r->bottom - r->top; }

// Copies from skinDC at (sourceX, sourceY) onto the rectangle r of dc.
static void copyToRect(HDC dc, const RECT* r, int sourceX, int sourceY)
{
    BitBlt(dc, r->left, r->top, rectWidth(r), rectHeight(r), skinDC, sourceX, sourceY, SRCCOPY);
}

// The empty bar area: the strip's first column, a bar of no height, per bar.
static void clearBarBuffer(void)
{
    for (int i = 0; i < BAR_COUNT; i++)
        BitBlt(bufferDC, BAR_WIDTH * i, 0, BAR_WIDTH, BAR_AREA_HEIGHT, skinDC, 0, 0, SRCCOPY);
}

// Whether every surface and table of the skin exists. Without any one of
// them part of the panel or the bars could never be drawn.
static int isSkinComplete(void)
{
    return skinDC && bufferDC && faceBitmap && titlebarBitmap && meterBitmap && indicatorBitmap
        && scaleBitmap && barBuffer && barStrip && skinDCInitial && bufferDCInitial && scale48
        && scale32;
}

int createSkin(HINSTANCE instance)
{
    skinDC = CreateCompatibleDC(NULL);
    faceBitmap = LoadBitmapA(instance, "FACE");
    titlebarBitmap = LoadBitmapA(instance, "TITLEBAR");
    meterBitmap = LoadBitmapA(instance, "METER");
    indicatorBitmap = LoadBitmapA(instance, "INDICATOR");
    scaleBitmap = LoadBitmapA(instance, "SCALE");
    skinDCInitial = SelectObject(skinDC, meterBitmap);

    bufferDC = CreateCompatibleDC(NULL);
    // Made while skinDC holds a skin bitmap, so the buffer takes the skin's
    // colour format rather than a new context's one-bit format.
    barBuffer = CreateCompatibleBitmap(skinDC, BAR_AREA_WIDTH, BAR_AREA_HEIGHT);
    bufferDCInitial = SelectObject(bufferDC, barBuffer);

    buildBarStrip();
    clearBarBuffer();
    scale48 = buildLevelScale(48);
    scale32 = buildLevelScale(32);
    return isSkinComplete();
}

static void deleteBitmap(HBITMAP* bitmap)
{
    if (*bitmap)
        DeleteObject(*bitmap);
    *bitmap = NULL;
}

static void freeScale(uint16_t** scale)
{
    if (*scale)
        GlobalFree(*scale);
    *scale = NULL;
}

// Each context gets its first bitmap back before it goes, so every bitmap is
// deleted while no context holds it.
void destroySkin(void)
{
    if (bufferDC) {
        SelectObject(bufferDC, bufferDCInitial);
        DeleteDC(bufferDC);
    }
    deleteBitmap(&barBuffer);
    if (skinDC) {
        SelectObject(skinDC, skinDCInitial);
        DeleteDC(skinDC);
    }
    deleteBitmap(&scaleBitmap);
    deleteBitmap(&indicatorBitmap);
    deleteBitmap(&meterBitmap);
    deleteBitmap(&barStrip);
    deleteBitmap(&titlebarBitmap);
    deleteBitmap(&faceBitmap);
    freeScale(&scale48);
    freeScale(&scale32);
    bufferDC = NULL;
    skinDC = NULL;
    skinDCInitial = NULL;
    bufferDCInitial = NULL;
}

void paintPanel(HWND window, HDC dc)
{
    // A paint delivered while the window is being created comes before the
    // skin exists; the full paint after createSkin covers it.
    if (!skinDC)
        return;

    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ held = SelectObject(skinDC, faceBitmap);
    copyToRect(dc, &client, 0, 0);

    SelectObject(skinDC, titlebarBitmap);
    copyToRect(dc, &titleBarRect, 0, isActive ? TITLEBAR_ACTIVE_Y : TITLEBAR_INACTIVE_Y);

    SelectObject(skinDC, scaleBitmap);
    if (displayMode <= MODE_RAIN_MIRROR) {
        int scaleX = SCALE_COLUMN_WIDTH * (int)displayMode;
        copyToRect(dc, &leftScaleRect, scaleX, 0);
        copyToRect(dc, &rightScaleRect, scaleX, 0);
    }

    SelectObject(skinDC, indicatorBitmap);
    for (size_t i = 0; i < sizeof(kSwitchLabels) / sizeof(kSwitchLabels[0]); i++) {
        const SwitchLabel* label = &kSwitchLabels[i];
        copyToRect(dc, label->place, 0, *label->flag ? label->onY : label->offY);
    }
    SelectObject(skinDC, held);

    BitBlt(dc, BAR_AREA_X, BAR_AREA_Y, BAR_AREA_WIDTH, BAR_AREA_HEIGHT, bufferDC, 0, 0, SRCCOPY);
}

void drawCloseButton(const DRAWITEMSTRUCT* item)
{
    if (!skinDC)
        return;
    HGDIOBJ held = SelectObject(skinDC, titlebarBitmap);
    int row = CLOSE_INACTIVE_Y;
    if (item->itemState & ODS_SELECTED)
        row = CLOSE_PRESSED_Y;
    else if (isActive)
        row = CLOSE_ACTIVE_Y;
    copyToRect(item->hDC, &item->rcItem, CLOSE_IMAGE_X, row);
    SelectObject(skinDC, held);
}
