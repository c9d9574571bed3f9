// The module's four operations and the order of their steps, and the records
// the player reads.
#include "plugin/plugin.h"

#include "display/dynamics.h"
#include "settings/settings.h"
#include "window/skin.h"
#include "window/window.h"

static const int kWindowWidth = 363;
static const int kWindowHeight = 150;
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

// A position that would put the window partly off the primary screen is
// replaced, so a changed screen never leaves the window out of reach.
static int clampPosition(int value, int screenSize, int windowSize)
{
    if (value < 0 || value > screenSize - windowSize)
        return kFallbackPosition;
    return value;
}

static int clampSwitch(int value)
{
    return (value == 0 || value == 1) ? value : 0;
}

int VIS_CALL init(VisModule* module)
{
    loadSettings(module);
    screenX = clampPosition(screenX, GetSystemMetrics(SM_CXSCREEN), kWindowWidth);
    screenY = clampPosition(screenY, GetSystemMetrics(SM_CYSCREEN), kWindowHeight);
    isRain = clampSwitch(isRain);
    isMirror = clampSwitch(isMirror);
    isReverse = clampSwitch(isReverse);
    displayMode = computeDisplayMode();
    return createMainWindow(module);
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
