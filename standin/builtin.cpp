// The built-in signal: a spectrum made up frame by frame, so the stand-in
// shows something moving on every bar with no audio at hand.
#include "standin/source.h"

#include <math.h>
#include <string.h>

enum {
    BUILTIN_RATE = 44100,   // what the player would announce for CD audio
    BUILTIN_CHANNELS = 2
};

void builtinSpectrum(long frame, VisModule* module)
{
    // A wave travels across the bars while a slower swell lifts and drops
    // it, so every bar rises, peaks and falls; channel 1 carries a mirror
    // image, so folding the two channels matters.
    const double t = frame / 40.0;
    for (int bin = 0; bin < VIS_SPECTRUM_BINS; bin++) {
        const double x = bin / 288.0;
        double wave = 0.5 + 0.5 * sin(6.2831853 * (x * 1.5 - t * 0.7));
        double swell = 0.55 + 0.45 * sin(6.2831853 * t * 0.13 + x * 3.0);
        double left = 255.0 * wave * swell;
        double right = 255.0 * (0.5 + 0.5 * sin(6.2831853 * ((1.0 - x) * 2.0 + t))) * swell * 0.8;
        module->spectrumData[0][bin] = (unsigned char)(left < 0 ? 0 : left > 255 ? 255 : left);
        module->spectrumData[1][bin] = (unsigned char)(right < 0 ? 0 : right > 255 ? 255 : right);
    }
}

static int readBuiltinFrame(AudioSource* source, const FrameTime* time, VisModule* module)
{
    (void)source;
    builtinSpectrum(time->frame, module);
    module->channelCount = BUILTIN_CHANNELS;
    return FRAME_READY;
}

void openBuiltinSignal(AudioSource* source)
{
    memset(source, 0, sizeof(*source));
    source->sampleRate = BUILTIN_RATE;
    source->channels = BUILTIN_CHANNELS;
    source->lengthMs = -1.0;
    source->readFrame = readBuiltinFrame;
}
