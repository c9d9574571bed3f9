// Bar dynamics of the four display modes: folding the spectrum into bars and
// moving levels, peaks and drops by a fixed step per frame.
#include "display/dynamics.h"

#include "display/frame.h"

// Per-bar state of the four modes (see the header for their rules).
uint16_t normalLevel[BAR_COUNT], normalPeak[BAR_COUNT], normalHold[BAR_COUNT];
uint16_t rainLevel[BAR_COUNT], rainPeak[BAR_COUNT], rainFall[BAR_COUNT], rainHold[BAR_COUNT];
uint16_t mirrorLevel[BAR_COUNT], mirrorPeak[BAR_COUNT], mirrorHold[BAR_COUNT];
uint16_t rainMirrorLevel[BAR_COUNT], rainMirrorPeak[BAR_COUNT],
    rainMirrorFall[BAR_COUNT], rainMirrorHold[BAR_COUNT];

static const unsigned kMaxLevel = 255;

unsigned foldBar(const VisModule* module, int bar)
{
    // The record holds two channels; a larger count must not read past them.
    int channels = module->channelCount;
    if (channels > VIS_MAX_CHANNELS)
        channels = VIS_MAX_CHANNELS;

    unsigned v = 0;
    for (int channel = 0; channel < channels; channel++) {
        const unsigned char* bins = &module->spectrumData[channel][bar * BINS_PER_BAR];
        for (int b = 0; b < BINS_PER_BAR; b++) {
            if (bins[b] > v)
                v = bins[b];
        }
    }
    return v;
}

static unsigned sinkBy(unsigned value, unsigned step)
{
    return value > step ? value - step : 0;
}

void updatePeakBar(BarState* bar, unsigned v, unsigned step)
{
    unsigned decayed = sinkBy(bar->level, step);
    unsigned level = decayed;
    if (decayed <= v) {
        level = v;
        if (bar->peak < v) {
            bar->peak = (uint16_t)v;
            bar->hold = HOLD_FRAMES;
        }
    }
    if (bar->hold > 0)
        bar->hold--;
    else
        bar->peak = (uint16_t)sinkBy(bar->peak, step);
    bar->level = (uint16_t)level;
}

void updateDropBar(BarState* bar, unsigned v, unsigned step)
{
    unsigned decayed = sinkBy(bar->level, step);
    unsigned level = decayed;
    if (decayed <= v) {
        level = v;
        // A drop still held or falling blocks a new one unless the input
        // rises above where the old drop has got to.
        if ((unsigned)bar->peak + bar->fall < v) {
            bar->peak = (uint16_t)v;
            bar->fall = 0;
            bar->hold = HOLD_FRAMES;
        }
    }
    if (bar->hold > 0) {
        bar->hold--;
    } else if ((unsigned)bar->peak + bar->fall >= kMaxLevel + 1 - step) {
        bar->peak = 0;
        bar->fall = 0;
    } else if (bar->peak != 0 || bar->fall != 0) {
        bar->fall = (uint16_t)(bar->fall + step);
    }
    bar->level = (uint16_t)level;
}

// Everything that sets one mode's renderer apart from the others.
struct ModeRenderer {
    uint16_t* level;
    uint16_t* peak;
    uint16_t* fall;     // null in the peak-marker modes
    uint16_t* hold;
    unsigned step;
    void (*update)(BarState* bar, unsigned v, unsigned step);
    void (*draw)(int i, const BarState* bar);
};

static const ModeRenderer kNormalRenderer = {
    normalLevel, normalPeak, NULL, normalHold, STEP_NARROW, updatePeakBar, drawNormalBar };
static const ModeRenderer kRainRenderer = {
    rainLevel, rainPeak, rainFall, rainHold, STEP_NARROW, updateDropBar, drawRainBar };
static const ModeRenderer kMirrorRenderer = {
    mirrorLevel, mirrorPeak, NULL, mirrorHold, STEP_WIDE, updatePeakBar, drawMirrorBar };
static const ModeRenderer kRainMirrorRenderer = {
    rainMirrorLevel, rainMirrorPeak, rainMirrorFall, rainMirrorHold, STEP_WIDE, updateDropBar,
    drawRainMirrorBar };

// Advances, stores and draws every bar in order, then shows the frame.
static int renderBars(const ModeRenderer* mode, const VisModule* module, HWND window)
{
    for (int i = 0; i < BAR_COUNT; i++) {
        BarState bar = { mode->level[i], mode->peak[i], mode->fall ? mode->fall[i] : (uint16_t)0,
                         mode->hold[i] };
        mode->update(&bar, foldBar(module, i), mode->step);
        mode->level[i] = bar.level;
        mode->peak[i] = bar.peak;
        if (mode->fall)
            mode->fall[i] = bar.fall;
        mode->hold[i] = bar.hold;
        mode->draw(i, &bar);
    }
    showFrame(window);
    return 0;
}

int renderNormal(VisModule* module, HWND window)
{
    return renderBars(&kNormalRenderer, module, window);
}

int renderRain(VisModule* module, HWND window)
{
    return renderBars(&kRainRenderer, module, window);
}

int renderMirror(VisModule* module, HWND window)
{
    return renderBars(&kMirrorRenderer, module, window);
}

int renderRainMirror(VisModule* module, HWND window)
{
    return renderBars(&kRainMirrorRenderer, module, window);
}
