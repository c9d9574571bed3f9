// A 1152-point transform built from radix-2 pieces. 1152 = 9 * 128, so the
// input is split into nine interleaved 128-point sequences, each goes through
// an ordinary radix-2 FFT, and a direct nine-term sum per bin joins them:
//   X[k] = sum over r of W^(r k) * A_r[k mod 128],  W = e^(-2 pi i / 1152)
// where A_r is the transform of x[9 m + r]. That is exact, unlike padding to
// 2048 points, which would move the bins off k * rate / 1152.
#include "standin/spectrum.h"

#include <math.h>
#include <string.h>

enum { RADIX2_SIZE = 128, RADIX2_BITS = 7, INTERLEAVE = SPECTRUM_WINDOW / RADIX2_SIZE };

static const double kPi = 3.14159265358979323846;

// Sum of the periodic Hann window (half its length): with the factor 2 for
// the energy in the mirrored negative-frequency bin, a sine of amplitude A
// centred in a bin gives |X| = A * kWindowSum / 2.
static const double kWindowSum = SPECTRUM_WINDOW / 2.0;

// Amplitudes at or below this are silence on our scale: 10^(-60/20).
static const double kFloorAmplitude = 0.001;

static unsigned reverseBits(unsigned value, int bits)
{
    unsigned result = 0;
    for (int i = 0; i < bits; i++) {
        result = (result << 1) | (value & 1u);
        value >>= 1;
    }
    return result;
}

void initSpectrumAnalyser(SpectrumAnalyser* analyser)
{
    for (int n = 0; n < SPECTRUM_WINDOW; n++) {
        const double angle = 2.0 * kPi * n / SPECTRUM_WINDOW;
        analyser->window[n] = 0.5 - 0.5 * cos(angle);
        analyser->cosTable[n] = cos(angle);
        analyser->sinTable[n] = -sin(angle);
    }
    for (unsigned i = 0; i < RADIX2_SIZE; i++)
        analyser->bitReverse[i] = (unsigned char)reverseBits(i, RADIX2_BITS);
}

// In-place iterative radix-2 FFT of 128 points; the input is already in
// bit-reversed order. W_128^j is W_1152^(9 j), so the big table serves.
static void fft128(const SpectrumAnalyser* analyser, double* re, double* im)
{
    for (int length = 2; length <= RADIX2_SIZE; length *= 2) {
        const int half = length / 2;
        const int twiddleStep = INTERLEAVE * (RADIX2_SIZE / length);
        for (int start = 0; start < RADIX2_SIZE; start += length) {
            for (int j = 0; j < half; j++) {
                const double wr = analyser->cosTable[j * twiddleStep];
                const double wi = analyser->sinTable[j * twiddleStep];
                const int a = start + j;
                const int b = a + half;
                const double tr = re[b] * wr - im[b] * wi;
                const double ti = re[b] * wi + im[b] * wr;
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
            }
        }
    }
}

void transform1152(const SpectrumAnalyser* analyser, const double* input, double* re, double* im)
{
    double partRe[INTERLEAVE][RADIX2_SIZE];
    double partIm[INTERLEAVE][RADIX2_SIZE];
    for (int r = 0; r < INTERLEAVE; r++) {
        for (int m = 0; m < RADIX2_SIZE; m++) {
            partRe[r][analyser->bitReverse[m]] = input[INTERLEAVE * m + r];
            partIm[r][analyser->bitReverse[m]] = 0.0;
        }
        fft128(analyser, partRe[r], partIm[r]);
    }
    for (int k = 0; k < SPECTRUM_BINS; k++) {
        const int m = k % RADIX2_SIZE;
        double sumRe = 0.0;
        double sumIm = 0.0;
        for (int r = 0; r < INTERLEAVE; r++) {
            const int t = (r * k) % SPECTRUM_WINDOW;
            const double wr = analyser->cosTable[t];
            const double wi = analyser->sinTable[t];
            sumRe += partRe[r][m] * wr - partIm[r][m] * wi;
            sumIm += partRe[r][m] * wi + partIm[r][m] * wr;
        }
        re[k] = sumRe;
        im[k] = sumIm;
    }
}

void spectrumAmplitudes(const SpectrumAnalyser* analyser, const float* samples, float* amplitudes)
{
    double windowed[SPECTRUM_WINDOW];
    for (int n = 0; n < SPECTRUM_WINDOW; n++)
        windowed[n] = samples[n] * analyser->window[n];
    double re[SPECTRUM_BINS];
    double im[SPECTRUM_BINS];
    transform1152(analyser, windowed, re, im);
    for (int k = 0; k < SPECTRUM_BINS; k++)
        amplitudes[k] = (float)(2.0 * sqrt(re[k] * re[k] + im[k] * im[k]) / kWindowSum);
}

unsigned char amplitudeToLevel(float amplitude)
{
    if (!(amplitude > kFloorAmplitude))
        return 0;
    const double decibels = 20.0 * log10(amplitude);
    const double level = 255.0 * (decibels - SPECTRUM_FLOOR_DB) / -SPECTRUM_FLOOR_DB;
    return level >= 255.0 ? 255 : (unsigned char)(level + 0.5);
}

static void gatherWindow(const AudioData* audio, int64_t endFrame, int channel, float* samples)
{
    const int64_t first = endFrame - SPECTRUM_WINDOW;
    for (int n = 0; n < SPECTRUM_WINDOW; n++) {
        const int64_t frame = first + n;
        samples[n] = (frame < 0 || frame >= (int64_t)audio->frameCount)
                         ? 0.0f
                         : audioSample(audio, (uint32_t)frame, channel);
    }
}

void analyseAudio(const SpectrumAnalyser* analyser, const AudioData* audio, int64_t endFrame,
                  unsigned char levels[AUDIO_MAX_CHANNELS][SPECTRUM_BINS])
{
    memset(levels, 0, AUDIO_MAX_CHANNELS * SPECTRUM_BINS);
    float samples[SPECTRUM_WINDOW];
    float amplitudes[SPECTRUM_BINS];
    for (int channel = 0; channel < audio->channels && channel < AUDIO_MAX_CHANNELS; channel++) {
        gatherWindow(audio, endFrame, channel, samples);
        spectrumAmplitudes(analyser, samples, amplitudes);
        for (int k = 0; k < SPECTRUM_BINS; k++)
            levels[channel][k] = amplitudeToLevel(amplitudes[k]);
    }
}
