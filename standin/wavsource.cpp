// A WAV file as a source: the whole file in memory, each frame's spectrum
// taken from the 1152 frames just before its position.
#include "standin/source.h"

#include "standin/common.h"
#include "standin/spectrum.h"
#include "standin/wav.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct WavSource {
    AudioData audio;
    SpectrumAnalyser analyser;
};

static int readWavFrame(AudioSource* source, const FrameTime* time, VisModule* module)
{
    WavSource* wav = (WavSource*)source->state;
    const AudioData* audio = &wav->audio;
    if (time->positionMs > source->lengthMs)
        return FRAME_END;
    const int64_t endFrame = (int64_t)llround(time->positionMs * audio->sampleRate / 1000.0);
    analyseAudio(&wav->analyser, audio, endFrame, module->spectrumData);
    module->channelCount = audio->channels;
    return FRAME_READY;
}

static void closeWav(AudioSource* source)
{
    WavSource* wav = (WavSource*)source->state;
    freeAudio(&wav->audio);
    free(wav);
    memset(source, 0, sizeof(*source));
}

int openWavSource(const char* path, AudioSource* source, char* reason, size_t reasonSize)
{
    memset(source, 0, sizeof(*source));
    WavSource* wav = (WavSource*)calloc(1, sizeof(WavSource));
    if (!wav)
        return fail(reason, reasonSize, "%s: not enough memory", path);
    char why[256];
    if (!readWavFile(path, &wav->audio, why, sizeof(why))) {
        free(wav);
        return fail(reason, reasonSize, "%s: %s", path, why);
    }
    initSpectrumAnalyser(&wav->analyser);
    source->sampleRate = wav->audio.sampleRate;
    source->channels = wav->audio.channels;
    source->readFrame = readWavFrame;
    source->lengthMs = audioDurationMs(&wav->audio);
    source->close = closeWav;
    source->state = wav;
    return 1;
}
