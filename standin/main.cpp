// The player stand-in: loads a visualization plug-in as the player does and
// drives it frame by frame with the spectrum of a WAV file, of raw PCM on
// standard input, or of the built-in signal. This file only puts a run
// together from its parts.
#include "standin/bench.h"
#include "standin/capture.h"
#include "standin/common.h"
#include "standin/exitcodes.h"
#include "standin/host.h"
#include "standin/loader.h"
#include "standin/options.h"
#include "standin/run.h"
#include "standin/source.h"
#include "standin/stop.h"

#include <stdio.h>

#include <string>
#include <vector>

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

// Hands the loaded plug-in the player's window and the source's format,
// runs it and lets it go again; returns the exit code.
static int runPlugin(const Options* options, const LoadedPlugin* plugin, HWND player,
                     AudioSource* source)
{
    VisModule* module = plugin->module;
    attachModule(module, player, plugin->library, source->sampleRate, source->channels);
    printf("%s: %s\n", plugin->header->description, module->description);
    if (options->about)
        module->config(module);
    if (module->init(module) != 0) {
        fprintf(stderr, "standin: the plug-in's init failed\n");
        return EXIT_INIT_FAILED;
    }
    HWND window = findPluginWindow(player);
    const int exitCode = options->bench ? runBench(options, module, window)
                                        : runVisualization(options, module, window, source);
    module->quit(module);
    pumpMessages(NULL); // the quit message the plug-in's window posts on its way out
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

static int prepareCapture(const Options* options)
{
    char reason[MAX_PATH + 128];
    if (prepareCaptureFolder(options->captureDirectory, reason, sizeof(reason)))
        return 1;
    fprintf(stderr, "standin: %s\n", reason);
    return 0;
}

// Loads the plug-in the options name; returns the exit code.
static int loadNamedPlugin(const Options* options, LoadedPlugin* plugin)
{
    char error[512];
    const int loaded = loadPlugin(options->pluginPath, plugin, error, sizeof(error));
    if (loaded != LOAD_OK)
        fprintf(stderr, "standin: %s\n", error);
    return loaded;
}

// Opens the player's window and runs the plug-in in it; returns the exit code.
static int runWithPlayer(const Options* options, const LoadedPlugin* plugin, AudioSource* source)
{
    // Without a display no window opens, the plug-in's included; saying so
    // here spares the user a bare "init failed".
    HWND player = createPlayerWindow();
    if (!player) {
        fprintf(stderr, "standin: no display: cannot open a window (is DISPLAY set to a running X server?)\n");
        return EXIT_NO_DISPLAY;
    }
    const int exitCode = runPlugin(options, plugin, player, source);
    destroyPlayerWindow(player);
    return exitCode;
}

// The command line arrives wide, so that a path in any script comes whole
// (the narrow one has a '?' for every character outside the code page); the
// options are read from its UTF-8 form, which every path keeps until a file
// is opened.
int wmain(int argc, wchar_t** wideArgv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; i++)
        arguments.push_back(utf8Path(wideArgv[i]));
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(NULL);

    Options options;
    if (!parseOptions(argc, argv.data(), &options))
        return EXIT_USAGE;
    if (options.help) {
        printUsage(stdout);
        return EXIT_DONE;
    }
    stopOnCtrlC();
    if (options.captureDirectory && !prepareCapture(&options))
        return EXIT_USAGE;
    // The plug-in is loaded before the audio is opened, so that a wrong one
    // is reported at once rather than once a stream's first audio has come.
    LoadedPlugin plugin;
    int exitCode = loadNamedPlugin(&options, &plugin);
    if (exitCode != EXIT_DONE)
        return exitCode;
    AudioSource source;
    if (openSource(&options, &source)) {
        exitCode = runWithPlayer(&options, &plugin, &source);
        closeAudioSource(&source);
    } else {
        exitCode = stopRequested() ? EXIT_DONE : EXIT_BAD_INPUT;
    }
    unloadPlugin(&plugin);
    return exitCode;
}
