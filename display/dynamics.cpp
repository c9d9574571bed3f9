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

static BarState loadBar(const uint16_t* level, const uint16_t* peak, const uint16_t* fall,
                        const uint16_t* hold, int i)
{
    BarState bar = { level[i], peak[i], fall ? fall[i] : (uint16_t)0, hold[i] };
    return bar;
}

static void storeBar(const BarState* bar, uint16_t* level, uint16_t* peak, uint16_t* fall,
                     uint16_t* hold, int i)
{
    level[i] = bar->level;
    peak[i] = bar->peak;
    if (fall)
        fall[i] = bar->fall;
    hold[i] = bar->hold;
}

int renderNormal(VisModule* module, HWND window)
{
    for (int i = 0; i < BAR_COUNT; i++) {
        BarState bar = loadBar(normalLevel, normalPeak, NULL, normalHold, i);
        updatePeakBar(&bar, foldBar(module, i), STEP_NARROW);
        storeBar(&bar, normalLevel, normalPeak, NULL, normalHold, i);
        drawNormalBar(i, &bar);
    }
    showFrame(window);
    return 0;
}

int renderRain(VisModule* module, HWND window)
{
    for (int i = 0; i < BAR_COUNT; i++) {
        BarState bar = loadBar(rainLevel, rainPeak, rainFall, rainHold, i);
        updateDropBar(&bar, foldBar(module, i), STEP_NARROW);
        storeBar(&bar, rainLevel, rainPeak, rainFall, rainHold, i);
        drawRainBar(i, &bar);
    }
    showFrame(window);
    return 0;
}

int renderMirror(VisModule* module, HWND window)
{
    for (int i = 0; i < BAR_COUNT; i++) {
        BarState bar = loadBar(mirrorLevel, mirrorPeak, NULL, mirrorHold, i);
        updatePeakBar(&bar, foldBar(module, i), STEP_WIDE);
        storeBar(&bar, mirrorLevel, mirrorPeak, NULL, mirrorHold, i);
        drawMirrorBar(i, &bar);
    }
    showFrame(window);
    return 0;
}

int renderRainMirror(VisModule* module, HWND window)
{
    for (int i = 0; i < BAR_COUNT; i++) {
        BarState bar = loadBar(rainMirrorLevel, rainMirrorPeak, rainMirrorFall, rainMirrorHold, i);
        updateDropBar(&bar, foldBar(module, i), STEP_WIDE);
        storeBar(&bar, rainMirrorLevel, rainMirrorPeak, rainMirrorFall, rainMirrorHold, i);
        drawRainMirrorBar(i, &bar);
    }
    showFrame(window);
    return 0;
}
