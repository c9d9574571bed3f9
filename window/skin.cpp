// Skin surfaces and panel painting. Every pixel reaches the window as a
// rectangle copy out of the skin bitmaps: no pens, brushes or text.
#include "window/skin.h"

#include "display/frame.h"
#include "display/scales.h"
#include "display/strip.h"
#include "plugin/state.h"
#include "window/layout.h"
#include "window/scale.h"

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

// The resource bitmaps in loading order, with their sizes before scaling.
struct SkinImage {
    const char* name;
    HBITMAP* bitmap;
    int width;
    int height;
};

static const SkinImage kSkinImages[] = {
    { "FACE", &faceBitmap, WINDOW_WIDTH, WINDOW_HEIGHT },
    { "TITLEBAR", &titlebarBitmap, 372, 28 },
    { "METER", &meterBitmap, 8, 6 },
    { "INDICATOR", &indicatorBitmap, 34, 48 },
    { "SCALE", &scaleBitmap, 12, 95 },
};

static int rectWidth(const RECT* r) { return r->right - r->left; }
static int rectHeight(const RECT* r) { return r->bottom - r->top; }

// Copies from skinDC at (sourceX, sourceY) onto the rectangle r of dc, all
// in unscaled pixels.
static void copyToRect(HDC dc, const RECT* r, int sourceX, int sourceY)
{
    scaledCopy(dc, r->left, r->top, rectWidth(r), rectHeight(r), skinDC, sourceX, sourceY);
}

// The empty bar area: the strip's first column, a bar of no height, per bar.
static void clearBarBuffer(void)
{
    for (int i = 0; i < BAR_COUNT; i++)
        scaledCopy(bufferDC, BAR_WIDTH * i, 0, BAR_WIDTH, BAR_AREA_HEIGHT, skinDC, 0, 0);
}

// Repeats each pixel of the width x height picture in skinDC windowScale
// times across and down into bufferDC: first every column into the top rows,
// then every row, from the bottom up, so that each row is copied before
// anything lands on it. Whole rectangle copies, no stretching.
static void repeatPixels(int width, int height)
{
    const int s = windowScale;
    for (int x = 0; x < width; x++) {
        for (int i = 0; i < s; i++)
            BitBlt(bufferDC, x * s + i, 0, 1, height, skinDC, x, 0, SRCCOPY);
    }
    for (int y = height - 1; y >= 0; y--) {
        for (int i = s - 1; i >= 0; i--)
            BitBlt(bufferDC, 0, y * s + i, width * s, 1, bufferDC, 0, y, SRCCOPY);
    }
}

// Loads one skin bitmap; above scale 1, replaces it by a copy with each pixel
// repeated, made once here so that no frame or paint ever stretches.
static HBITMAP loadSkinBitmap(HINSTANCE instance, const SkinImage* image)
{
    HBITMAP original = LoadBitmapA(instance, image->name);
    if (windowScale == 1 || !original)
        return original;
    HGDIOBJ heldSource = SelectObject(skinDC, original);
    // Made while skinDC holds a skin bitmap, so it takes the skin's format.
    HBITMAP scaled = CreateCompatibleBitmap(skinDC, image->width * windowScale,
                                            image->height * windowScale);
    HGDIOBJ heldTarget = SelectObject(bufferDC, scaled);
    repeatPixels(image->width, image->height);
    SelectObject(bufferDC, heldTarget);
    SelectObject(skinDC, heldSource);
    DeleteObject(original);
    return scaled;
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
    bufferDC = CreateCompatibleDC(NULL);
    for (size_t i = 0; i < sizeof(kSkinImages) / sizeof(kSkinImages[0]); i++)
        *kSkinImages[i].bitmap = loadSkinBitmap(instance, &kSkinImages[i]);
    skinDCInitial = SelectObject(skinDC, meterBitmap);

    // Made while skinDC holds a skin bitmap, so the buffer takes the skin's
    // colour format rather than a new context's one-bit format.
    barBuffer = CreateCompatibleBitmap(skinDC, BAR_AREA_WIDTH * windowScale,
                                       BAR_AREA_HEIGHT * windowScale);
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

int rescaleSkin(HINSTANCE instance, int scale)
{
    destroySkin();
    windowScale = scale;
    if (createSkin(instance) || scale == 1)
        return windowScale;
    destroySkin();
    windowScale = 1;
    createSkin(instance);
    return windowScale;
}

void paintPanel(HWND window, HDC dc)
{
    // A paint delivered while the window is being created comes before the
    // skin exists; the full paint after createSkin covers it.
    if (!skinDC)
        return;

    // The face fills the client area, which is already at scale.
    RECT client;
    GetClientRect(window, &client);
    HGDIOBJ held = SelectObject(skinDC, faceBitmap);
    BitBlt(dc, 0, 0, client.right, client.bottom, skinDC, 0, 0, SRCCOPY);

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

    scaledCopy(dc, BAR_AREA_X, BAR_AREA_Y, BAR_AREA_WIDTH, BAR_AREA_HEIGHT, bufferDC, 0, 0);
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
    // The button is placed at scale already: its rectangle is copied as it is.
    const RECT* place = &item->rcItem;
    BitBlt(item->hDC, place->left, place->top, rectWidth(place), rectHeight(place), skinDC,
           CLOSE_IMAGE_X * windowScale, row * windowScale, SRCCOPY);
    SelectObject(skinDC, held);
}
