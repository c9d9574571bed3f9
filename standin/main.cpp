// The player stand-in: loads a visualization plug-in as the player does and
// drives it frame by frame.
#include "standin/host.h"
#include "standin/loader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { EXIT_USAGE = 2, EXIT_INIT_FAILED = 6 };

struct Options {
    const char* pluginPath;
    long frames;
    double seconds;
    int offline;
    int about;
};

static void printUsage(void)
{
    fprintf(stderr,
            "usage: standin PLUGIN.dll [--frames N] [--seconds S] [--offline] [--about]\n"
            "  Loads PLUGIN.dll, takes its module 0 and renders the built-in signal\n"
            "  every delayMs until N frames, S seconds or the window is closed.\n"
            "  --offline renders as fast as possible; --about shows the About box.\n");
}

static int parseOptions(int argc, char** argv, Options* options)
{
    memset(options, 0, sizeof(*options));
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (strcmp(arg, "--frames") == 0 && i + 1 < argc)
            options->frames = strtol(argv[++i], NULL, 10);
        else if (strcmp(arg, "--seconds") == 0 && i + 1 < argc)
            options->seconds = strtod(argv[++i], NULL);
        else if (strcmp(arg, "--offline") == 0)
            options->offline = 1;
        else if (strcmp(arg, "--about") == 0)
            options->about = 1;
        else if (arg[0] != '-' && !options->pluginPath)
            options->pluginPath = arg;
        else
            return 0;
    }
    return options->pluginPath != NULL && options->frames >= 0 && options->seconds >= 0;
}

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        printUsage();
        return EXIT_USAGE;
    }

    LoadedPlugin plugin;
    char error[512];
    int loaded = loadPlugin(options.pluginPath, &plugin, error, sizeof(error));
    if (loaded != LOAD_OK) {
        fprintf(stderr, "standin: %s\n", error);
        return loaded;
    }

    HWND player = createPlayerWindow();
    VisModule* module = plugin.module;
    attachModule(module, player, plugin.library, 44100, 2);
    printf("%s: %s\n", plugin.header->description, module->description);

    if (options.about)
        module->config(module);

    if (module->init(module) != 0) {
        fprintf(stderr, "standin: the plug-in's init failed\n");
        destroyPlayerWindow(player);
        unloadPlugin(&plugin);
        return EXIT_INIT_FAILED;
    }

    RunLimits limits = { options.frames, (long)(options.seconds * 1000.0), !options.offline };
    if (limits.frames == 0 && limits.milliseconds == 0)
        limits.milliseconds = 5000;
    RunResult result = runFrames(module, &limits, builtinSignal, NULL);
    module->quit(module);
    pumpMessages(NULL); // the quit message the plug-in's window posts on its way out

    printf("rendered %ld frames%s\n", result.frames,
           result.quitReceived ? " (window closed)" : "");
    destroyPlayerWindow(player);
    unloadPlugin(&plugin);
    return 0;
}
