// A visualization run from the command line's options.
#include "standin/run.h"

#include "standin/capture.h"
#include "standin/exitcodes.h"
#include "standin/host.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

enum {
    BUILTIN_DEFAULT_MS = 5000,  // how long the built-in signal plays with no limit given
    PROGRESS_MIN_FRAMES = 400   // ten seconds of frames at the usual 25 ms
};

static int frameStepMs(int delayMs)
{
    return delayMs > 0 ? delayMs : 1;
}

// --seconds counts audio time. In real time that is the clock; offline the
// audio moves delayMs a frame, so it becomes a frame limit. The built-in
// signal with no limit of its own plays for five seconds.
static RunLimits chooseLimits(const Options* options, int delayMs)
{
    RunLimits limits = { options->frames, 0, !options->offline };
    double milliseconds = options->seconds * 1000.0;
    if (milliseconds == 0 && limits.frames == 0 && !options->raw && !options->audioPath)
        milliseconds = BUILTIN_DEFAULT_MS;
    if (options->offline && milliseconds > 0) {
        const long byTime = (long)ceil(milliseconds / frameStepMs(delayMs));
        limits.frames = limits.frames > 0 && limits.frames < byTime ? limits.frames : byTime;
    } else {
        limits.milliseconds = (long)ceil(milliseconds);
    }
    return limits;
}

// How many frames the run will take, as far as the limits and the audio's
// length tell (exactly offline, on time in real time); 0 when nothing does.
static long expectedFrames(const RunLimits* limits, const AudioSource* source, int delayMs)
{
    const int step = frameStepMs(delayMs);
    long expected = limits->frames;
    if (limits->milliseconds > 0) {
        const long byTime = (long)ceil((double)limits->milliseconds / step);
        expected = expected > 0 && expected < byTime ? expected : byTime;
    }
    if (source->lengthMs >= 0) {
        // A frame at every step up to the end of the audio, both ends included.
        const long byAudio = (long)floor(source->lengthMs / step) + 1;
        expected = expected > 0 && expected < byAudio ? expected : byAudio;
    }
    return expected;
}

// Every click must land inside the plug-in's window and before the run's
// last frame, or it would silently do nothing. Returns the exit code.
static int checkClicks(const Options* options, HWND window, long lastFrames)
{
    if (options->clickCount == 0)
        return EXIT_DONE;
    RECT client;
    if (!window || !GetClientRect(window, &client)) {
        fprintf(stderr, "standin: the plug-in opened no window to click\n");
        return EXIT_NO_WINDOW;
    }
    for (int i = 0; i < options->clickCount; i++) {
        const Click* click = &options->clicks[i];
        if (click->x >= client.right || click->y >= client.bottom) {
            fprintf(stderr, "standin: --click %ld:%d,%d is outside the plug-in's %ld x %ld window\n",
                    click->frame, click->x, click->y, client.right, client.bottom);
            return EXIT_USAGE;
        }
        if (lastFrames > 0 && click->frame >= lastFrames) {
            fprintf(stderr, "standin: --click %ld:%d,%d comes after the last frame (the run has %ld, 0 to %ld)\n",
                    click->frame, click->x, click->y, lastFrames, lastFrames - 1);
            return EXIT_USAGE;
        }
    }
    return EXIT_DONE;
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

// Who watches the frames: the capture, the progress line, both or neither.
struct FrameWatch {
    FrameCapture capture;
    int capturing;
    Progress progress;
    int showingProgress;
    int captureFailed;
};

static int watchFrame(void* context, long frame, VisModule* module)
{
    (void)module;
    FrameWatch* watch = (FrameWatch*)context;
    if (watch->capturing) {
        char error[MAX_PATH + 64];
        if (!captureFrame(&watch->capture, frame, error, sizeof(error))) {
            fprintf(stderr, "%sstandin: %s\n", watch->showingProgress ? "\n" : "", error);
            watch->captureFailed = 1;
            return 0;
        }
    }
    if (watch->showingProgress)
        showProgress(&watch->progress, frame);
    return 1;
}

// Sets up the watchers the options ask for. Returns the exit code.
static int openWatch(const Options* options, HWND window, long expected, FrameWatch* watch)
{
    if (options->captureDirectory) {
        char error[MAX_PATH + 64];
        if (!openCapture(&watch->capture, window, options->captureDirectory, error, sizeof(error))) {
            fprintf(stderr, "standin: %s\n", error);
            return EXIT_NO_WINDOW;
        }
        watch->capturing = 1;
    }
    watch->progress.totalFrames = expected;
    watch->progress.startMs = clockMs();
    watch->showingProgress = expected >= PROGRESS_MIN_FRAMES;
    return EXIT_DONE;
}

static Playback makePlayback(const Options* options, const RunLimits* limits, HWND window,
                             AudioSource* source, FrameWatch* watch)
{
    Playback playback;
    memset(&playback, 0, sizeof(playback));
    playback.limits = *limits;
    playback.source = source;
    if (options->clickCount > 0) {
        playback.clickWindow = window;
        playback.clicks = options->clicks;
        playback.clickCount = options->clickCount;
    }
    // Without a watcher the loop stays as lean as the player's own.
    if (watch->capturing || watch->showingProgress) {
        playback.observer = watchFrame;
        playback.observerContext = watch;
    }
    return playback;
}

// What ended the run, for the closing line; empty when the audio or a limit did.
static const char* endedBy(const RunResult* result)
{
    if (result->quitReceived)
        return " (window closed)";
    if (result->stopped)
        return " (interrupted)";
    return result->pluginEnded ? " (ended by the plug-in)" : "";
}

// The closing line, and the run's exit code.
static int reportRun(const RunResult* result, const FrameWatch* watch, const AudioSource* source)
{
    if (watch->showingProgress)
        fputc('\n', stderr);
    printf("rendered %ld frames%s\n", result->frames, endedBy(result));
    if (watch->captureFailed)
        return EXIT_CAPTURE_FAILED;
    if (source->failure[0]) {
        fprintf(stderr, "standin: %s\n", source->failure);
        return EXIT_BAD_INPUT;
    }
    return EXIT_DONE;
}

int runVisualization(const Options* options, VisModule* module, HWND window, AudioSource* source)
{
    const RunLimits limits = chooseLimits(options, module->delayMs);
    const long expected = expectedFrames(&limits, source, module->delayMs);
    int exitCode = checkClicks(options, window, expected);
    if (exitCode != EXIT_DONE)
        return exitCode;
    FrameWatch watch = {};
    exitCode = openWatch(options, window, expected, &watch);
    if (exitCode != EXIT_DONE)
        return exitCode;
    const Playback playback = makePlayback(options, &limits, window, source, &watch);
    const RunResult result = runPlayback(module, &playback);
    return reportRun(&result, &watch, source);
}
