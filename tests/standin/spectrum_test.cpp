// The player-like spectrum: the transform itself, the decibel scale, and
// which audio a frame's spectrum is taken from.
#include "standin/spectrum.h"

#include "standin/wav.h"
#include "wav_bytes.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

namespace {

const double kPi = 3.14159265358979323846;

SpectrumAnalyser* analyser()
{
    static SpectrumAnalyser* shared = nullptr;
    if (!shared) {
        shared = new SpectrumAnalyser;
        initSpectrumAnalyser(shared);
    }
    return shared;
}

int loudestBin(const unsigned char* levels)
{
    int best = 0;
    for (int k = 1; k < SPECTRUM_BINS; k++) {
        if (levels[k] > levels[best])
            best = k;
    }
    return best;
}

TEST(Spectrum, TransformMatchesADirectDft)
{
    static double input[SPECTRUM_WINDOW];
    srand(7);
    for (int n = 0; n < SPECTRUM_WINDOW; n++)
        input[n] = rand() / (double)RAND_MAX - 0.5;
    static double re[SPECTRUM_BINS];
    static double im[SPECTRUM_BINS];
    transform1152(analyser(), input, re, im);
    for (int k = 0; k < SPECTRUM_BINS; k++) {
        double expectRe = 0.0;
        double expectIm = 0.0;
        for (int n = 0; n < SPECTRUM_WINDOW; n++) {
            const double angle = -2.0 * kPi * (double)((long)n * k % SPECTRUM_WINDOW) / SPECTRUM_WINDOW;
            expectRe += input[n] * cos(angle);
            expectIm += input[n] * sin(angle);
        }
        ASSERT_NEAR(expectRe, re[k], 1e-9) << "bin " << k;
        ASSERT_NEAR(expectIm, im[k], 1e-9) << "bin " << k;
    }
}

TEST(Spectrum, FullScaleToneAtABinCentreReadsTopLevelThere)
{
    for (int bin : { 2, 40, 200, 575 }) {
        SCOPED_TRACE(bin);
        float samples[SPECTRUM_WINDOW];
        for (int n = 0; n < SPECTRUM_WINDOW; n++)
            samples[n] = (float)sin(2.0 * kPi * bin * n / SPECTRUM_WINDOW + 0.3);
        float amplitudes[SPECTRUM_BINS];
        spectrumAmplitudes(analyser(), samples, amplitudes);
        EXPECT_NEAR(1.0, amplitudes[bin], 1e-4);
        EXPECT_NEAR(0.5, amplitudes[bin - 1], 1e-4) << "Hann's main lobe";
        EXPECT_EQ(255, amplitudeToLevel(amplitudes[bin]));
    }
}

TEST(Spectrum, DecibelScaleSpansSixtyDecibels)
{
    EXPECT_EQ(255, amplitudeToLevel(1.0f));
    EXPECT_EQ(255, amplitudeToLevel(4.0f));
    EXPECT_EQ(153, amplitudeToLevel((float)pow(10.0, -24.0 / 20.0)));
    EXPECT_EQ(4, amplitudeToLevel((float)pow(10.0, -59.0 / 20.0)));
    EXPECT_EQ(0, amplitudeToLevel(0.001f));
    EXPECT_EQ(0, amplitudeToLevel(0.0f));
    EXPECT_EQ(0, amplitudeToLevel(NAN));
}

// Parses a 16-bit WAV image built by the caller; the image must outlive the audio.
AudioData audioFrom(const Bytes& image)
{
    AudioData audio;
    char reason[256];
    EXPECT_TRUE(parseWav(image.data(), image.size(), &audio, reason, sizeof(reason))) << reason;
    return audio;
}

TEST(Spectrum, ToneLightsTheBarHoldingItsFrequencyAndChannelsStayApart)
{
    // Neither frequency is a bin centre: 1 kHz is bin 26.1, 6 kHz bin 156.7.
    const double hz[] = { 1000.0, 6000.0 };
    const Bytes image = wavFile(fmtBody({ 1, 2, 44100, 16, 0 }), sinePcm16(44100, 2, 4410, hz, 0.5));
    AudioData audio = audioFrom(image);
    unsigned char levels[AUDIO_MAX_CHANNELS][SPECTRUM_BINS];
    analyseAudio(analyser(), &audio, 3000, levels);
    EXPECT_EQ(26, loudestBin(levels[0]));
    EXPECT_EQ(157, loudestBin(levels[1]));
    EXPECT_EQ(3, loudestBin(levels[0]) / 8);
    EXPECT_EQ(19, loudestBin(levels[1]) / 8);
    EXPECT_GT(levels[0][26], 200) << "a -6 dB tone stands well up the scale";
    EXPECT_EQ(0, levels[1][26]) << "left's tone leaks into right";
    EXPECT_EQ(0, levels[0][157]) << "right's tone leaks into left";
}

TEST(Spectrum, SilenceAndMissingChannelsGiveZeros)
{
    const double silent[] = { 0.0 };
    const Bytes image = wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), sinePcm16(8000, 1, 2000, silent, 0.0));
    AudioData audio = audioFrom(image);
    unsigned char levels[AUDIO_MAX_CHANNELS][SPECTRUM_BINS];
    memset(levels, 0xAA, sizeof(levels));
    analyseAudio(analyser(), &audio, 1500, levels);
    for (int c = 0; c < AUDIO_MAX_CHANNELS; c++) {
        for (int k = 0; k < SPECTRUM_BINS; k++)
            ASSERT_EQ(0, levels[c][k]) << "channel " << c << " bin " << k;
    }
}

TEST(Spectrum, FrameSeesOnlyTheAudioBeforeItsPosition)
{
    // Half a second of silence, then a tone at bin 40's centre.
    const int rate = 44100;
    const int toneStart = rate / 2;
    const double hz[] = { 40.0 * rate / SPECTRUM_WINDOW };
    const Bytes image = wavFile(fmtBody({ 1, 1, (uint32_t)rate, 16, 0 }),
                                sinePcm16(rate, 1, rate, hz, 0.9, toneStart));
    AudioData audio = audioFrom(image);
    unsigned char levels[AUDIO_MAX_CHANNELS][SPECTRUM_BINS];

    analyseAudio(analyser(), &audio, toneStart, levels);
    EXPECT_EQ(0, levels[0][40]) << "the window must end where the frame stands";
    analyseAudio(analyser(), &audio, toneStart + SPECTRUM_WINDOW, levels);
    EXPECT_GT(levels[0][40], 240);
    analyseAudio(analyser(), &audio, 0, levels);
    EXPECT_EQ(0, levels[0][40]) << "before the start is silence";
    analyseAudio(analyser(), &audio, rate + SPECTRUM_WINDOW, levels);
    EXPECT_EQ(0, levels[0][40]) << "after the end is silence";
}

} // namespace
