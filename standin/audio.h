// Audio as every source of the stand-in holds it: interleaved frames in one
// of a few sample formats, decoded one sample at a time on demand.
#ifndef HALDER_STANDIN_AUDIO_H
#define HALDER_STANDIN_AUDIO_H

#include <stdint.h>

enum SampleFormat {
    SAMPLE_U8,      // 8-bit unsigned PCM, silence at 128
    SAMPLE_S16,     // 16-bit signed PCM
    SAMPLE_S24,     // 24-bit signed PCM, packed in three bytes
    SAMPLE_S32,     // 32-bit signed PCM
    SAMPLE_F32      // 32-bit IEEE float, full scale at 1.0
};

enum {
    AUDIO_MAX_CHANNELS = 2,
    AUDIO_MAX_RATE = 1000000,
    // More than an hour of 24-bit stereo at 96 kHz; beyond this a 32-bit
    // process would run short of address space anyway.
    AUDIO_MAX_BYTES = 1 << 30
};

struct AudioData {
    int sampleRate;                 // frames per second
    int channels;                   // 1 or 2
    int format;                     // a SampleFormat
    int bytesPerFrame;              // one sample of every channel
    uint32_t frameCount;            // whole frames in samples
    const unsigned char* samples;   // the first byte of the first frame
    unsigned char* storage;         // owned buffer behind samples, or null when the caller owns it
};

// Bytes one sample of format takes.
int sampleBytes(int format);

void freeAudio(AudioData* audio);

// One sample scaled so that full scale is -1 to 1 (float input may exceed
// it); 0 for frames past the end. Never returns NaN or infinity.
float audioSample(const AudioData* audio, uint32_t frame, int channel);

double audioDurationMs(const AudioData* audio);

#endif
