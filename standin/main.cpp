// The player stand-in: loads a visualization plug-in as the player does and
// drives it frame by frame with the spectrum of a WAV file, of raw PCM on
// standard input, or of the built-in signal.
#include "standin/bench.h"
#include "standin/capture.h"
#include "standin/host.h"
#include "standin/loader.h"
#include "standin/options.h"
#include "standin/spectrum.h"
#include "standin/stream.h"
#include "standin/wav.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    EXIT_USAGE = 2,
    EXIT_INIT_FAILED = 6,
    EXIT_BAD_INPUT = 7,     // the audio could not be read
    EXIT_WINDOW_FAILED = 8, // capture, clicks or benchmark could not use the plug-in's window
    EXIT_NO_DISPLAY = 9
};

enum {
    DEFAULT_BUILTIN_MS = 5000,  // the built-in signal never ends by itself
    DEFAULT_BENCH_FRAMES = 5000,
    PROGRESS_MIN_FRAMES = 400   // ten seconds of frames at the usual 25 ms
};

// Everything the audio frame source needs; large, so it lives in static storage.
struct AudioSource {
    AudioData audio;
    SpectrumAnalyser analyser;
    double durationMs;
};

static AudioSource audioSource;

static int readInput(const Options* options, AudioData* audio)
{
    char reason[256];
    if (options->raw) {
        // Text mode would end the stream at the first 0x1A byte and drop
        // every carriage return.
        if (openStream((int)options->rawRate, (int)options->rawChannels, options->rawFormat,
                       reason, sizeof(reason)))
            return 1;
        fprintf(stderr, "standin: standard input: %s\n", reason);
        return 0;
    }
    if (readWavFile(options->audioPath, audio, reason, sizeof(reason)))
        return 1;
    fprintf(stderr, "standin: %s: %s\n", options->audioPath, reason);
    return 0;
}

static int audioFrameSource(void* context, long frame, double positionMs, VisModule* module)
{
    (void)frame;
    AudioSource* source = (AudioSource*)context;
    if (positionMs > source->durationMs)
        return 0;
    const AudioData* audio = &source->audio;
    const int64_t endFrame = (int64_t)llround(positionMs * audio->sampleRate / 1000.0);
    analyseAudio(&source->analyser, audio, endFrame, module->spectrumData);
    module->channelCount = audio->channels;
    return 1;
}

// One line on stderr, rewritten in place a few times a second.
struct Progress {
    long totalFrames;
    double startMs;
    double lastPrintMs;
};

static void showProgress(Progress* progress, long frame)
{
    const double now = clockMs();
    const long done = frame + 1;
    if (now - progress->lastPrintMs < 250.0 && done < progress->totalFrames)
        return;
    progress->lastPrintMs = now;
    fprintf(stderr, "\rframe %ld of %ld (%3ld%%), %.1f s", done, progress->totalFrames,
            done * 100 / progress->totalFrames, (now - progress->startMs) / 1000.0);
}

struct FrameWatch {
    FrameCapture* capture;  // null unless --capture
    Progress* progress;     // null for short runs
    int captureFailed;
};

static int watchFrame(void* context, long frame, VisModule* module)
{
    (void)module;
    FrameWatch* watch = (FrameWatch*)context;
    if (watch->capture) {
        char error[MAX_PATH + 64];
        if (!captureFrame(watch->capture, frame, error, sizeof(error))) {
            fprintf(stderr, "%sstandin: %s\n", watch->progress ? "\n" : "", error);
            watch->captureFailed = 1;
            return 0;
        }
    }
    if (watch->progress)
        showProgress(watch->progress, frame);
    return 1;
}

// How many frames the run will most likely take, for the progress line:
// the first of the frame limit, the time limit and the end of the audio.
static long expectedFrames(const RunLimits* limits, const AudioData* audio, int delayMs)
{
    const int step = delayMs > 0 ? delayMs : 1;
    long expected = limits->frames;
    if (limits->milliseconds > 0) {
        const long byTime = limits->milliseconds / step;
        expected = expected > 0 && expected < byTime ? expected : byTime;
    }
    if (audio) {
        const long byAudio = (long)(audioDurationMs(audio) / step) + 1;
        expected = expected > 0 && expected < byAudio ? expected : byAudio;
    }
    return expected;
}

// --seconds counts audio time. In real time that is the clock; offline the
// audio moves delayMs a frame, so it becomes a frame limit.
static RunLimits chooseLimits(const Options* options, int hasAudio, int delayMs)
{
    RunLimits limits = { options->frames, 0, !options->offline };
    long milliseconds = (long)(options->seconds * 1000.0);
    if (milliseconds == 0 && limits.frames == 0 && !hasAudio)
        milliseconds = DEFAULT_BUILTIN_MS;
    if (options->offline && milliseconds > 0) {
        const long byTime = milliseconds / (delayMs > 0 ? delayMs : 1);
        limits.frames = limits.frames > 0 && limits.frames < byTime ? limits.frames : byTime;
    } else {
        limits.milliseconds = milliseconds;
    }
    return limits;
}

// Every click must land inside the plug-in's window, or it would silently
// do nothing.
static int checkClicks(const Options* options, HWND window)
{
    if (options->clickCount == 0)
        return 1;
    RECT client;
    if (!window || !GetClientRect(window, &client)) {
        fprintf(stderr, "standin: the plug-in opened no window to click\n");
        return 0;
    }
    for (int i = 0; i < options->clickCount; i++) {
        const Click* click = &options->clicks[i];
        if (click->x >= client.right || click->y >= client.bottom) {
            fprintf(stderr, "standin: --click %ld:%d,%d is outside the plug-in's %ld x %ld window\n",
                    click->frame, click->x, click->y, client.right, client.bottom);
            return 0;
        }
    }
    return 1;
}

static int runVisualization(const Options* options, VisModule* module, HWND window, int hasAudio)
{
    if (!checkClicks(options, window))
        return EXIT_WINDOW_FAILED;
    RunLimits limits = chooseLimits(options, hasAudio, module->delayMs);
    Progress progress = { 0, clockMs(), 0.0 };
    const int fromFile = hasAudio && !options->raw;
    progress.totalFrames = expectedFrames(&limits, fromFile ? &audioSource.audio : NULL,
                                          module->delayMs);
    FrameCapture capture = {};
    FrameWatch watch = { NULL, NULL, 0 };
    if (options->captureDirectory) {
        char error[MAX_PATH + 64];
        if (!openCapture(&capture, window, options->captureDirectory, error, sizeof(error))) {
            fprintf(stderr, "standin: %s\n", error);
            return EXIT_WINDOW_FAILED;
        }
        watch.capture = &capture;
    }
    if (progress.totalFrames >= PROGRESS_MIN_FRAMES)
        watch.progress = &progress;

    Playback playback;
    memset(&playback, 0, sizeof(playback));
    playback.limits = limits;
    playback.source = builtinSignal;
    if (fromFile) {
        playback.source = audioFrameSource;
        playback.sourceContext = &audioSource;
    } else if (hasAudio) {
        // The stream source tells real time from offline by its context.
        static int realTime = 1;
        playback.source = streamFrameSource;
        playback.sourceContext = options->offline ? NULL : &realTime;
    }
    if (options->clickCount > 0) {
        playback.clickWindow = window;
        playback.clicks = options->clicks;
        playback.clickCount = options->clickCount;
    }
    // Without a watcher the loop stays as lean as the player's own.
    if (watch.capture || watch.progress) {
        playback.observer = watchFrame;
        playback.observerContext = &watch;
    }
    RunResult result = runPlayback(module, &playback);
    if (watch.progress)
        fputc('\n', stderr);
    printf("rendered %ld frames%s\n", result.frames, result.quitReceived ? " (window closed)" : "");
    if (watch.captureFailed)
        return EXIT_WINDOW_FAILED;
    char reason[128];
    if (hasAudio && options->raw && !streamEndedCleanly(reason, sizeof(reason))) {
        fprintf(stderr, "standin: standard input: %s\n", reason);
        return EXIT_BAD_INPUT;
    }
    return 0;
}

static int runBench(const Options* options, VisModule* module, HWND window)
{
    if (!window) {
        fprintf(stderr, "standin: the plug-in opened no window to time\n");
        return EXIT_WINDOW_FAILED;
    }
    const int frames = options->frames > 0 ? (int)options->frames : DEFAULT_BENCH_FRAMES;
    return runBenchmark(module, window, frames, stdout) == 0 ? 0 : EXIT_WINDOW_FAILED;
}

// Loads the plug-in, hands it the player's window and runs it; returns the
// exit code.
static int runPlugin(const Options* options, HWND player, int hasAudio)
{
    LoadedPlugin plugin;
    char error[512];
    const int loaded = loadPlugin(options->pluginPath, &plugin, error, sizeof(error));
    if (loaded != LOAD_OK) {
        fprintf(stderr, "standin: %s\n", error);
        return loaded;
    }
    VisModule* module = plugin.module;
    if (hasAudio)
        attachModule(module, player, plugin.library, audioSource.audio.sampleRate,
                     audioSource.audio.channels);
    else
        attachModule(module, player, plugin.library, 44100, 2);
    printf("%s: %s\n", plugin.header->description, module->description);

    if (options->about)
        module->config(module);

    int exitCode = EXIT_INIT_FAILED;
    if (module->init(module) != 0) {
        fprintf(stderr, "standin: the plug-in's init failed\n");
    } else {
        HWND window = findPluginWindow(player);
        exitCode = options->bench ? runBench(options, module, window)
                                  : runVisualization(options, module, window, hasAudio);
        module->quit(module);
        pumpMessages(NULL); // the quit message the plug-in's window posts on its way out
    }
    unloadPlugin(&plugin);
    return exitCode;
}

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options))
        return EXIT_USAGE;
    if (options.help) {
        printUsage(stdout);
        return 0;
    }

    if (options.captureDirectory) {
        char reason[MAX_PATH + 128];
        if (!prepareCaptureFolder(options.captureDirectory, reason, sizeof(reason))) {
            fprintf(stderr, "standin: %s\n", reason);
            return EXIT_USAGE;
        }
    }

    const int hasAudio = (options.audioPath || options.raw) && !options.bench;
    if (hasAudio) {
        if (!readInput(&options, &audioSource.audio))
            return EXIT_BAD_INPUT;
        initSpectrumAnalyser(&audioSource.analyser);
        audioSource.durationMs = audioDurationMs(&audioSource.audio);
        if (options.raw) {
            audioSource.audio.sampleRate = (int)options.rawRate;
            audioSource.audio.channels = (int)options.rawChannels;
        }
    }

    // Without a display no window opens, the plug-in's included; saying so
    // here spares the user a bare "init failed".
    int exitCode = EXIT_NO_DISPLAY;
    HWND player = createPlayerWindow();
    if (!player) {
        fprintf(stderr, "standin: no display: cannot open a window (is DISPLAY set to a running X server?)\n");
    } else {
        exitCode = runPlugin(&options, player, hasAudio);
        destroyPlayerWindow(player);
    }
    freeAudio(&audioSource.audio);
    closeStream();
    return exitCode;
}
