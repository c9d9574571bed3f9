// The player stand-in: loads a visualization plug-in as the player does and
// drives it frame by frame with the spectrum of a WAV file, of raw PCM on
// standard input, or of the built-in signal. This file only puts a run
// together from its parts.
#include "standin/bench.h"
#include "standin/capture.h"
#include "standin/exitcodes.h"
#include "standin/host.h"
#include "standin/loader.h"
#include "standin/options.h"
#include "standin/run.h"
#include "standin/source.h"
#include "standin/stop.h"

#include <stdio.h>

enum { DEFAULT_BENCH_FRAMES = 5000 };

static int runBench(const Options* options, VisModule* module, HWND window)
{
    if (!window) {
        fprintf(stderr, "standin: the plug-in opened no window to time\n");
        return EXIT_NO_WINDOW;
    }
    const int frames = options->frames > 0 ? (int)options->frames : DEFAULT_BENCH_FRAMES;
    if (runBenchmark(module, window, frames, stdout) != 0) {
        fprintf(stderr, "standin: cannot read the plug-in's window back\n");
        return EXIT_CAPTURE_FAILED;
    }
    return EXIT_DONE;
}

// Loads the plug-in, hands it the player's window and the source's format,
// runs it and lets it go again; returns the exit code.
static int runPlugin(const Options* options, HWND player, AudioSource* source)
{
    LoadedPlugin plugin;
    char error[512];
    const int loaded = loadPlugin(options->pluginPath, &plugin, error, sizeof(error));
    if (loaded != LOAD_OK) {
        fprintf(stderr, "standin: %s\n", error);
        return loaded;
    }
    VisModule* module = plugin.module;
    attachModule(module, player, plugin.library, source->sampleRate, source->channels);
    printf("%s: %s\n", plugin.header->description, module->description);
    if (options->about)
        module->config(module);

    int exitCode = EXIT_INIT_FAILED;
    if (module->init(module) != 0) {
        fprintf(stderr, "standin: the plug-in's init failed\n");
    } else {
        HWND window = findPluginWindow(player);
        exitCode = options->bench ? runBench(options, module, window)
                                  : runVisualization(options, module, window, source);
        module->quit(module);
        pumpMessages(NULL); // the quit message the plug-in's window posts on its way out
    }
    unloadPlugin(&plugin);
    return exitCode;
}

// The source the options name; the benchmark makes its own frames.
static int openSource(const Options* options, AudioSource* source)
{
    if (options->bench) {
        openBuiltinSignal(source);
        return 1;
    }
    char reason[MAX_PATH + 256];
    if (openAudioSource(options, source, reason, sizeof(reason)))
        return 1;
    // A stop asked for while waiting for the first audio is no failure.
    if (!stopRequested())
        fprintf(stderr, "standin: %s\n", reason);
    return 0;
}

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options))
        return EXIT_USAGE;
    if (options.help) {
        printUsage(stdout);
        return EXIT_DONE;
    }
    stopOnCtrlC();
    if (options.captureDirectory) {
        char reason[MAX_PATH + 128];
        if (!prepareCaptureFolder(options.captureDirectory, reason, sizeof(reason))) {
            fprintf(stderr, "standin: %s\n", reason);
            return EXIT_USAGE;
        }
    }
    AudioSource source;
    if (!openSource(&options, &source))
        return stopRequested() ? EXIT_DONE : EXIT_BAD_INPUT;

    // Without a display no window opens, the plug-in's included; saying so
    // here spares the user a bare "init failed".
    int exitCode = EXIT_NO_DISPLAY;
    HWND player = createPlayerWindow();
    if (!player) {
        fprintf(stderr, "standin: no display: cannot open a window (is DISPLAY set to a running X server?)\n");
    } else {
        exitCode = runPlugin(&options, player, &source);
        destroyPlayerWindow(player);
    }
    closeAudioSource(&source);
    return exitCode;
}
