// The module's four operations and the order of their steps, and the records
// the player reads.
#include "plugin/plugin.h"

#include "display/dynamics.h"
#include "settings/settings.h"
#include "window/layout.h"
#include "window/scale.h"
#include "window/skin.h"
#include "window/window.h"

#include <limits.h>

static const int kFallbackPosition = 50;

static const char kAboutCaption[] = "About - " HALDER_MODULE_NAME;
static const char kAboutText[] =
    HALDER_MODULE_NAME " - " HALDER_LIBRARY_DESCRIPTION "\n"
    "\n"
    "A 36-bar spectrum analyser with peak markers, rain, mirror and reverse.\n"
    "Free software under the MIT licence.";

VisModule visModule = {
    HALDER_MODULE_NAME,
    NULL,   // parentWindow
    NULL,   // instance
    0,      // sampleRate
    0,      // channelCount
    25,     // latencyMs
    25,     // delayMs
    2,      // spectrumChannels
    0,      // waveformChannels
    {{0}},  // spectrumData
    {{0}},  // waveformData
    config,
    init,
    render,
    quit,
    NULL,   // userData
};

VisHeader visHeader = {
    VIS_HEADER_VERSION,
    HALDER_LIBRARY_DESCRIPTION,
    getModule,
};

extern "C" VisHeader* VIS_CALL winampVisGetHeader(void)
{
    return &visHeader;
}

VisModule* VIS_CALL getModule(int index)
{
    return index == 0 ? &visModule : NULL;
}

void VIS_CALL config(VisModule* module)
{
    MessageBoxA(module->parentWindow, kAboutText, kAboutCaption, MB_OK);
}

// Whether a window at (x, y), at windowScale, lies wholly on the monitors:
// each of its four corner pixels on one of them. A window may span two
// monitors that touch.
static int isOnMonitors(int x, int y)
{
    // Far-off stored values must not wrap around onto a monitor.
    const long long right = (long long)x + WINDOW_WIDTH * windowScale - 1;
    const long long bottom = (long long)y + WINDOW_HEIGHT * windowScale - 1;
    if (right > LONG_MAX || bottom > LONG_MAX)
        return 0;
    const POINT corners[] = {
        { x, y }, { (LONG)right, y }, { x, (LONG)bottom }, { (LONG)right, (LONG)bottom },
    };
    for (size_t i = 0; i < sizeof(corners) / sizeof(corners[0]); i++) {
        if (!MonitorFromPoint(corners[i], MONITOR_DEFAULTTONULL))
            return 0;
    }
    return 1;
}

// A stored position that would put the window partly off the monitors (one
// since unplugged, say) is replaced, so that the window never opens out of
// reach: first the one coordinate that alone puts it off, else both. On a
// single monitor this replaces exactly the coordinates that are out of range
// for its size, so stored files keep their meaning.
static void placeOnMonitors(void)
{
    if (isOnMonitors(screenX, screenY))
        return;
    if (isOnMonitors(kFallbackPosition, screenY)) {
        screenX = kFallbackPosition;
    } else if (isOnMonitors(screenX, kFallbackPosition)) {
        screenY = kFallbackPosition;
    } else {
        screenX = kFallbackPosition;
        screenY = kFallbackPosition;
    }
}

// The window's scale and place, foreseen before it exists: the scale of the
// monitor at the stored position decides the size that must fit there. A
// window moved back into reach may have come to a monitor of another scale,
// whose size is then checked once more.
static void placeWindow(void)
{
    windowScale = scaleAtPoint(screenX, screenY);
    placeOnMonitors();
    const int scaleThere = scaleAtPoint(screenX, screenY);
    if (scaleThere != windowScale) {
        windowScale = scaleThere;
        placeOnMonitors();
    }
}

static int clampSwitch(int value)
{
    return (value == 0 || value == 1) ? value : 0;
}

int VIS_CALL init(VisModule* module)
{
    loadSettings(module);
    // The window is made and placed in physical pixels, whatever the
    // player's own DPI awareness; the player's thread gets its own back.
    DPI_AWARENESS_CONTEXT playerDpi = enterPerMonitorDpi();
    placeWindow();
    isRain = clampSwitch(isRain);
    isMirror = clampSwitch(isMirror);
    isReverse = clampSwitch(isReverse);
    displayMode = computeDisplayMode();
    const int result = createMainWindow(module);
    leavePerMonitorDpi(playerDpi);
    return result;
}

int VIS_CALL render(VisModule* module)
{
    switch (displayMode) {
    case MODE_NORMAL: return renderNormal(module, mainWindow);
    case MODE_RAIN: return renderRain(module, mainWindow);
    case MODE_MIRROR: return renderMirror(module, mainWindow);
    case MODE_RAIN_MIRROR: return renderRainMirror(module, mainWindow);
    default: return 0;
    }
}

void VIS_CALL quit(VisModule* module)
{
    saveSettings(module);
    destroySkin();
    destroyMainWindow(module);
}
