// Decoding samples of every format the stand-in reads.
#include "standin/audio.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

int sampleBytes(int format)
{
    switch (format) {
    case SAMPLE_U8: return 1;
    case SAMPLE_S16: return 2;
    case SAMPLE_S24: return 3;
    default: return 4;
    }
}

void freeAudio(AudioData* audio)
{
    free(audio->storage);
    memset(audio, 0, sizeof(*audio));
}

static uint32_t readU32(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static float decodeSample(int format, const unsigned char* p)
{
    switch (format) {
    case SAMPLE_U8:
        return ((int)p[0] - 128) / 128.0f;
    case SAMPLE_S16:
        return (int16_t)(p[0] | (p[1] << 8)) / 32768.0f;
    case SAMPLE_S24: {
        // Shift the three bytes to the top of a 32-bit word to extend the sign.
        const int32_t value = (int32_t)(((uint32_t)p[0] << 8) | ((uint32_t)p[1] << 16) |
                                        ((uint32_t)p[2] << 24));
        return (float)(value / 2147483648.0);
    }
    case SAMPLE_S32:
        return (float)((int32_t)readU32(p) / 2147483648.0);
    case SAMPLE_F32: {
        const uint32_t bits = readU32(p);
        float value;
        memcpy(&value, &bits, sizeof(value));
        return isfinite(value) ? value : 0.0f;
    }
    default:
        return 0.0f;
    }
}

float audioSample(const AudioData* audio, uint32_t frame, int channel)
{
    if (frame >= audio->frameCount || channel < 0 || channel >= audio->channels)
        return 0.0f;
    const int bytesPerSample = audio->bytesPerFrame / audio->channels;
    const unsigned char* p = audio->samples + (size_t)frame * (size_t)audio->bytesPerFrame +
                             (size_t)channel * (size_t)bytesPerSample;
    return decodeSample(audio->format, p);
}

double audioDurationMs(const AudioData* audio)
{
    return audio->sampleRate > 0 ? audio->frameCount * 1000.0 / audio->sampleRate : 0.0;
}
