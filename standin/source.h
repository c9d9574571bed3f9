// Where the spectrum of each frame comes from: a WAV file, raw PCM streamed
// on standard input, or the built-in signal. Each is one AudioSource, opened
// by openAudioSource from the command line; the frame loop only reads frames
// from it.
#ifndef HALDER_STANDIN_SOURCE_H
#define HALDER_STANDIN_SOURCE_H

#include "plugin/vis.h"

#include <stddef.h>

struct Options;

// When a frame is due, as the frame loop tells it.
struct FrameTime {
    long frame;         // 0 for the first
    double positionMs;  // in real time the clock since the first frame; offline frame x delayMs
    double nowMs;       // the clock (clockMs) now
    int realTime;       // 1: frames follow the clock; 0: offline, as fast as the audio allows
    int delayMs;        // the plug-in's pause between frames
};

// Results of AudioSource.readFrame.
enum FrameRead {
    FRAME_END = 0,      // the audio is over: the run ends before this frame
    FRAME_READY = 1,    // the module's spectrum holds this frame's audio
    FRAME_LATER = 2     // offline only: the audio has not come yet; wait on `arrived`, then ask again
};

struct AudioSource {
    int sampleRate;     // what the player tells the plug-in before init
    int channels;
    double lengthMs;    // how long the audio lasts; -1 when that is known only once it ends
    // Fills module->spectrumData and channelCount for the frame at time;
    // returns a FrameRead.
    int (*readFrame)(AudioSource* source, const FrameTime* time, VisModule* module);
    // Releases all the source holds, ending its reader first; the record is
    // empty afterwards. Null when there is nothing to release.
    void (*close)(AudioSource* source);
    HANDLE arrived;     // set when audio that a FRAME_LATER frame waits for may have come; or null
    char failure[160];  // once readFrame gave FRAME_END: why the input ended badly, or empty
    void* state;        // the source's own
};

enum { STREAM_MIN_RATE = 8000, STREAM_MAX_RATE = 192000 };

// Opens the source the options name. On failure writes a one-line reason
// that names the input, and returns 0.
int openAudioSource(const Options* options, AudioSource* source, char* reason, size_t reasonSize);

void closeAudioSource(AudioSource* source);

// Each kind of source; the same contract as openAudioSource.
int openWavSource(const char* path, AudioSource* source, char* reason, size_t reasonSize);
// sampleRate and channels are in range, as the command line checks them.
int openRawStream(int sampleRate, int channels, int format, AudioSource* source, char* reason,
                  size_t reasonSize);
// The built-in signal never ends by itself; the run's limits end it.
void openBuiltinSignal(AudioSource* source);

// The built-in signal's spectrum for a frame: deterministic, moving, and
// reaching every bar.
void builtinSpectrum(long frame, VisModule* module);

#endif
