// WAV files for the stand-in, kept as the bytes they arrived in and decoded
// one sample at a time on demand, so a long song costs its file size in
// memory and nothing more. The sample formats are shared with raw streams.
#ifndef HALDER_STANDIN_WAV_H
#define HALDER_STANDIN_WAV_H

#include <stddef.h>
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

// Reads a WAV image held in memory. On success fills audio (whose samples
// then point into bytes) and returns 1; otherwise writes a one-line reason
// and returns 0. Reads nothing outside bytes[0, size).
int parseWav(const unsigned char* bytes, size_t size, AudioData* audio, char* reason,
             size_t reasonSize);

// Reads a whole WAV file; audio owns the bytes afterwards.
int readWavFile(const char* path, AudioData* audio, char* reason, size_t reasonSize);

void freeAudio(AudioData* audio);

// One sample scaled so that full scale is -1 to 1 (float input may exceed
// it); 0 for frames past the end. Never returns NaN or infinity.
float audioSample(const AudioData* audio, uint32_t frame, int channel);

double audioDurationMs(const AudioData* audio);

#endif
