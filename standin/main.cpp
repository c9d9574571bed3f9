// The player stand-in: loads a visualization plug-in as the player does and
// drives it frame by frame with the spectrum of a WAV file, of raw PCM on
// standard input, or of the built-in signal.
#include "standin/bench.h"
#include "standin/capture.h"
#include "standin/host.h"
#include "standin/loader.h"
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
    EXIT_WINDOW_FAILED = 8  // capture or benchmark could not use the plug-in's window
};

enum {
    DEFAULT_BUILTIN_MS = 5000,  // the built-in signal never ends by itself
    DEFAULT_BENCH_FRAMES = 5000,
    PROGRESS_MIN_FRAMES = 400,  // ten seconds of frames at the usual 25 ms
    MAX_CLICKS = 256
};

struct Options {
    const char* pluginPath;
    const char* audioPath;  // a WAV file, or null
    int raw;                // stream raw PCM from standard input
    int rawFormat;          // SAMPLE_S16 or SAMPLE_F32
    int help;
    long rawRate;
    long rawChannels;
    long frames;
    double seconds;
    int offline;
    int about;
    int bench;
    const char* captureDirectory;
    Click clicks[MAX_CLICKS];
    int clickCount;
};

static void printUsage(FILE* out)
{
    fprintf(out,
            "usage: standin PLUGIN.dll [AUDIO.wav | --raw RATE CHANNELS] [--frames N]\n"
            "               [--seconds S] [--offline] [--capture DIR] [--click F:X,Y]...\n"
            "               [--bench] [--about]\n"
            "  Loads PLUGIN.dll, takes its module 0 and renders a frame every delayMs\n"
            "  with the spectrum of the audio at that moment, until the audio ends,\n"
            "  N frames or S seconds of audio have been shown, or the window is closed.\n"
            "  AUDIO.wav       8/16/24/32-bit PCM or 32-bit float WAV, mono or stereo\n"
            "  --raw R C       PCM streamed on standard input, R (8000 to 192000)\n"
            "                  frames a second, C (1 or 2) channels interleaved\n"
            "  --raw-format F  s16 (signed 16-bit little-endian, the default) or f32\n"
            "                  (32-bit float)\n"
            "                  (no audio: a built-in signal, 5 seconds unless limited)\n"
            "  --offline       as fast as possible; the audio advances delayMs a frame\n"
            "  --capture DIR   save the plug-in's window after each frame as\n"
            "                  DIR/frame_00000.png, frame_00001.png, ...\n"
            "  --click F:X,Y   just before frame F (0 is the first) click the left\n"
            "                  button at client point X,Y of the plug-in's window, as a\n"
            "                  user would (e.g. on a switch); may be given many times\n"
            "  --bench         time render (on the built-in signal), a switch press, a\n"
            "                  repaint and a bare copy over N frames (5000 unless given)\n"
            "                  and print the figures\n"
            "  --about         show the plug-in's About box first\n");
}

// Whole-string numbers only, so "--frames 10x" is a usage error, not 10.
static int parseLong(const char* text, long* value)
{
    char* end = NULL;
    *value = strtol(text, &end, 10);
    return end != text && *end == '\0';
}

static int parseDouble(const char* text, double* value)
{
    char* end = NULL;
    *value = strtod(text, &end);
    return end != text && *end == '\0' && isfinite(*value);
}

// FRAME:X,Y, each a whole number of at least 0.
static int parseClick(const char* text, Click* click)
{
    char* end = NULL;
    const long frame = strtol(text, &end, 10);
    if (end == text || *end != ':')
        return 0;
    const char* rest = end + 1;
    const long x = strtol(rest, &end, 10);
    if (end == rest || *end != ',')
        return 0;
    rest = end + 1;
    const long y = strtol(rest, &end, 10);
    if (end == rest || *end != '\0')
        return 0;
    if (frame < 0 || x < 0 || y < 0 || x > 32767 || y > 32767)
        return 0;
    click->frame = frame;
    click->x = (int)x;
    click->y = (int)y;
    return 1;
}

static int parseOption(int argc, char** argv, int* i, Options* options)
{
    const char* arg = argv[*i];
    const int left = argc - *i - 1;
    if (strcmp(arg, "--frames") == 0 && left >= 1)
        return parseLong(argv[++*i], &options->frames) && options->frames >= 0;
    if (strcmp(arg, "--seconds") == 0 && left >= 1)
        return parseDouble(argv[++*i], &options->seconds) && options->seconds >= 0;
    if (strcmp(arg, "--raw") == 0 && left >= 2) {
        options->raw = 1;
        return parseLong(argv[++*i], &options->rawRate) && parseLong(argv[++*i], &options->rawChannels);
    }
    if (strcmp(arg, "--raw-format") == 0 && left >= 1) {
        const char* name = argv[++*i];
        options->rawFormat = strcmp(name, "f32") == 0 ? SAMPLE_F32 : SAMPLE_S16;
        return strcmp(name, "f32") == 0 || strcmp(name, "s16") == 0;
    }
    if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
        options->help = 1;
        return 1;
    }
    if (strcmp(arg, "--capture") == 0 && left >= 1) {
        options->captureDirectory = argv[++*i];
        return 1;
    }
    if (strcmp(arg, "--click") == 0 && left >= 1) {
        if (options->clickCount >= MAX_CLICKS)
            return 0;
        return parseClick(argv[++*i], &options->clicks[options->clickCount++]);
    }
    if (strcmp(arg, "--offline") == 0) {
        options->offline = 1;
        return 1;
    }
    if (strcmp(arg, "--about") == 0) {
        options->about = 1;
        return 1;
    }
    if (strcmp(arg, "--bench") == 0) {
        options->bench = 1;
        return 1;
    }
    if (arg[0] == '-')
        return 0;
    if (!options->pluginPath)
        options->pluginPath = arg;
    else if (!options->audioPath)
        options->audioPath = arg;
    else
        return 0;
    return 1;
}

static int parseOptions(int argc, char** argv, Options* options)
{
    memset(options, 0, sizeof(*options));
    options->rawFormat = SAMPLE_S16;
    for (int i = 1; i < argc; i++) {
        if (!parseOption(argc, argv, &i, options))
            return 0;
    }
    return (options->pluginPath != NULL || options->help) && !(options->raw && options->audioPath);
}

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

static int builtinFrameSource(void* context, long frame, double positionMs, VisModule* module)
{
    (void)positionMs;
    builtinSignal(context, frame, module);
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

static int runVisualization(const Options* options, VisModule* module, int hasAudio)
{
    RunLimits limits = chooseLimits(options, hasAudio, module->delayMs);
    Progress progress = { 0, clockMs(), 0.0 };
    const int fromFile = hasAudio && !options->raw;
    progress.totalFrames = expectedFrames(&limits, fromFile ? &audioSource.audio : NULL,
                                          module->delayMs);
    static FrameCapture capture;
    FrameWatch watch = { NULL, NULL, 0 };
    if (options->captureDirectory) {
        char error[MAX_PATH + 64];
        if (!openCapture(&capture, options->captureDirectory, error, sizeof(error))) {
            fprintf(stderr, "standin: %s\n", error);
            return EXIT_WINDOW_FAILED;
        }
        watch.capture = &capture;
    }
    if (progress.totalFrames >= PROGRESS_MIN_FRAMES)
        watch.progress = &progress;

    Playback playback = { limits, builtinFrameSource, NULL, NULL, NULL };
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
        playback.clickWindow = findThreadWindow(PLUGIN_WINDOW_CLASS);
        if (!playback.clickWindow) {
            fprintf(stderr, "standin: no '%s' window to click\n", PLUGIN_WINDOW_CLASS);
            return EXIT_WINDOW_FAILED;
        }
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

static int runBench(const Options* options, VisModule* module)
{
    HWND window = findThreadWindow(PLUGIN_WINDOW_CLASS);
    if (!window) {
        fprintf(stderr, "standin: no '%s' window to time\n", PLUGIN_WINDOW_CLASS);
        return EXIT_WINDOW_FAILED;
    }
    const int frames = options->frames > 0 ? (int)options->frames : DEFAULT_BENCH_FRAMES;
    return runBenchmark(module, window, frames, stdout) == 0 ? 0 : EXIT_WINDOW_FAILED;
}

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        printUsage(stderr);
        return EXIT_USAGE;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    if (options.bench && (options.audioPath || options.raw || options.captureDirectory ||
                          options.clickCount > 0)) {
        fprintf(stderr, "standin: --bench times the built-in signal; it takes no audio, --capture or --click\n");
        return EXIT_USAGE;
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

    LoadedPlugin plugin;
    char error[512];
    int loaded = loadPlugin(options.pluginPath, &plugin, error, sizeof(error));
    if (loaded != LOAD_OK) {
        fprintf(stderr, "standin: %s\n", error);
        freeAudio(&audioSource.audio);
        closeStream();
        return loaded;
    }

    HWND player = createPlayerWindow();
    VisModule* module = plugin.module;
    if (hasAudio)
        attachModule(module, player, plugin.library, audioSource.audio.sampleRate,
                     audioSource.audio.channels);
    else
        attachModule(module, player, plugin.library, 44100, 2);
    printf("%s: %s\n", plugin.header->description, module->description);

    if (options.about)
        module->config(module);

    int exitCode = EXIT_INIT_FAILED;
    if (module->init(module) != 0) {
        fprintf(stderr, "standin: the plug-in's init failed\n");
    } else {
        exitCode = options.bench ? runBench(&options, module)
                                 : runVisualization(&options, module, hasAudio);
        module->quit(module);
        pumpMessages(NULL); // the quit message the plug-in's window posts on its way out
    }
    destroyPlayerWindow(player);
    unloadPlugin(&plugin);
    freeAudio(&audioSource.audio);
    closeStream();
    return exitCode;
}
