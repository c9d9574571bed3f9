// The spectrum a player hands its visualization: for each channel, 576
// magnitudes from a Hann-windowed 1152-point FFT of the most recent audio,
// bin k standing for k * sampleRate / 1152 Hz, each on a decibel scale of
// 0 to 255.
//
// The scale: a full-scale sine in a bin's centre reads 0 dB and maps to 255;
// 60 dB below that (SPECTRUM_FLOOR_DB) and anything quieter maps to 0; the
// steps between are linear in decibels, 4.25 levels per dB.
#ifndef HALDER_STANDIN_SPECTRUM_H
#define HALDER_STANDIN_SPECTRUM_H

#include "standin/audio.h"

#include <stdint.h>

enum {
    SPECTRUM_WINDOW = 1152,                 // samples per transform
    SPECTRUM_BINS = SPECTRUM_WINDOW / 2     // 576, bins 0 to just under half the rate
};

#define SPECTRUM_FLOOR_DB (-60.0)

// Tables computed once and shared by every transform.
struct SpectrumAnalyser {
    double window[SPECTRUM_WINDOW];     // periodic Hann
    double cosTable[SPECTRUM_WINDOW];   // e^(-2 pi i j / 1152), real part
    double sinTable[SPECTRUM_WINDOW];   // and imaginary part
    unsigned char bitReverse[128];      // element order for the 128-point stages
};

void initSpectrumAnalyser(SpectrumAnalyser* analyser);

// The discrete Fourier transform of 1152 real values, bins 0 to 575.
void transform1152(const SpectrumAnalyser* analyser, const double* input, double* re, double* im);

// Windows 1152 samples (oldest first) and gives each bin's amplitude, scaled
// so that a full-scale sine centred in a bin reads 1.
void spectrumAmplitudes(const SpectrumAnalyser* analyser, const float* samples, float* amplitudes);

// An amplitude on the 0 to 255 decibel scale described above.
unsigned char amplitudeToLevel(float amplitude);

// Levels for every channel of audio from the 1152 frames that end just
// before endFrame (frames outside the audio count as silence). Channels the
// audio lacks are zero.
void analyseAudio(const SpectrumAnalyser* analyser, const AudioData* audio, int64_t endFrame,
                  unsigned char levels[AUDIO_MAX_CHANNELS][SPECTRUM_BINS]);

#endif
