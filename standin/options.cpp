// Command-line parsing with getopt_long. Options and the two plain arguments
// (the plug-in, then the audio) may come in any order; every mistake is
// reported on one line that names the argument.
#include "standin/options.h"

#include "standin/audio.h"
#include "standin/source.h"

#include <errno.h>
#include <limits.h>
#include <getopt.h>
#include <math.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

enum OptionId {
    OPTION_FRAMES = 256,
    OPTION_SECONDS,
    OPTION_RAW,
    OPTION_RAW_FORMAT,
    OPTION_OFFLINE,
    OPTION_CAPTURE,
    OPTION_CLICK,
    OPTION_BENCH,
    OPTION_ABOUT,
    OPTION_HELP = 'h'
};

static const struct option kLongOptions[] = {
    { "frames", required_argument, NULL, OPTION_FRAMES },
    { "seconds", required_argument, NULL, OPTION_SECONDS },
    { "raw", required_argument, NULL, OPTION_RAW },
    { "raw-format", required_argument, NULL, OPTION_RAW_FORMAT },
    { "offline", no_argument, NULL, OPTION_OFFLINE },
    { "capture", required_argument, NULL, OPTION_CAPTURE },
    { "click", required_argument, NULL, OPTION_CLICK },
    { "bench", no_argument, NULL, OPTION_BENCH },
    { "about", no_argument, NULL, OPTION_ABOUT },
    { "help", no_argument, NULL, OPTION_HELP },
    { NULL, 0, NULL, 0 }
};

// '+' stops at each plain argument, which the loop below takes itself, so
// getopt never reorders argv (--raw reads the word after its value); ':'
// reports a missing value apart from an unknown option.
static const char kShortOptions[] = "+:h";

void printUsage(FILE* out)
{
    fprintf(out,
            "usage: standin PLUGIN.dll [AUDIO.wav | --raw RATE CHANNELS [--raw-format s16|f32]]\n"
            "               [--frames N] [--seconds S] [--offline] [--capture DIR]\n"
            "               [--click F:X,Y]... [--bench] [--about] [--help]\n"
            "  Loads PLUGIN.dll, takes its module 0 and renders a frame every delayMs\n"
            "  with the spectrum of the audio at that moment, until the audio ends,\n"
            "  N frames or S seconds of audio have been shown, the window is closed or\n"
            "  Ctrl+C is pressed.\n"
            "  AUDIO.wav       8/16/24/32-bit PCM or 32-bit float WAV, mono or stereo\n"
            "  --raw R C       PCM streamed on standard input, R (8000 to 192000)\n"
            "                  frames a second, C (1 or 2) channels interleaved\n"
            "  --raw-format F  s16 (signed 16-bit little-endian, the default) or f32\n"
            "                  (32-bit float)\n"
            "  (no audio)      a built-in signal, 5 seconds unless --frames or --seconds\n"
            "  --frames N      stop after N frames (1 or more)\n"
            "  --seconds S     stop after S seconds of audio (more than 0)\n"
            "  --offline       as fast as possible; the audio advances delayMs a frame\n"
            "  --capture DIR   save the plug-in's window after each frame as\n"
            "                  DIR/frame_00000.png, frame_00001.png, ...; DIR is made\n"
            "                  if missing, and refused if it holds frame_*.png already\n"
            "  --click F:X,Y   just before frame F (0 is the first) click the left\n"
            "                  button at client point X,Y of the plug-in's window, as a\n"
            "                  user would (e.g. on a switch); may be given many times\n"
            "  --bench         time render (on the built-in signal), a click, a repaint\n"
            "                  and a bare copy over N frames (5000 unless given, at most\n"
            "                  a million) and print the figures\n"
            "  --about         show the plug-in's About box first\n"
            "  --help          print this and do nothing else\n");
}

static int refuse(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    fputs("standin: ", stderr);
    vfprintf(stderr, format, args);
    fputs(" (try --help)\n", stderr);
    va_end(args);
    return 0;
}

// Whole-string numbers only, so "--frames 10x" is refused, not read as 10;
// 0 with errno ERANGE for one too large for a long.
static int parseLong(const char* text, long* value)
{
    char* end = NULL;
    errno = 0;
    *value = strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0;
}

static int parseFrames(const char* text, long* value)
{
    if (parseLong(text, value) && *value >= 1)
        return 1;
    if (errno == ERANGE && text[0] != '-')
        return refuse("--frames: \"%s\" is more than %ld", text, (long)LONG_MAX);
    return refuse("--frames: \"%s\" is not a whole number of 1 or more", text);
}

// At most what a count of milliseconds can hold: 24 days.
static int parseSeconds(const char* text, double* value)
{
    const double most = LONG_MAX / 1000;
    char* end = NULL;
    *value = strtod(text, &end);
    if (end == text || *end != '\0' || !isfinite(*value) || *value <= 0)
        return refuse("--seconds: \"%s\" is not a number above 0", text);
    if (*value > most)
        return refuse("--seconds: \"%s\" is more than %.0f", text, most);
    return 1;
}

// FRAME:X,Y, each a whole number of at least 0.
static int readClick(const char* text, Click* click)
{
    char* end = NULL;
    errno = 0;
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
    if (errno != 0 || frame < 0 || x < 0 || y < 0 || x > 32767 || y > 32767)
        return 0;
    click->frame = frame;
    click->x = (int)x;
    click->y = (int)y;
    return 1;
}

static int addClick(const char* text, Options* options)
{
    if (options->clickCount >= MAX_CLICKS)
        return refuse("--click: more than %d clicks", (int)MAX_CLICKS);
    if (!readClick(text, &options->clicks[options->clickCount]))
        return refuse("--click: \"%s\" is not FRAME:X,Y in whole numbers of 0 or more", text);
    options->clickCount++;
    return 1;
}

// --raw RATE CHANNELS: the rate is getopt's value, the channels the next word.
static int parseRaw(int argc, char** argv, Options* options)
{
    if (optind >= argc)
        return refuse("--raw: needs RATE and CHANNELS");
    const char* channels = argv[optind++];
    options->raw = 1;
    if (!parseLong(optarg, &options->rawRate))
        return refuse("--raw: rate \"%s\" is not a whole number", optarg);
    if (options->rawRate < STREAM_MIN_RATE || options->rawRate > STREAM_MAX_RATE)
        return refuse("--raw: rate %s Hz is out of range (%d to %d)", optarg, (int)STREAM_MIN_RATE,
                      (int)STREAM_MAX_RATE);
    if (!parseLong(channels, &options->rawChannels) || options->rawChannels < 1 ||
        options->rawChannels > AUDIO_MAX_CHANNELS)
        return refuse("--raw: channels \"%s\" is neither 1 nor 2", channels);
    return 1;
}

static int parseRawFormat(const char* name, Options* options)
{
    if (strcmp(name, "s16") == 0)
        options->rawFormat = SAMPLE_S16;
    else if (strcmp(name, "f32") == 0)
        options->rawFormat = SAMPLE_F32;
    else
        return refuse("--raw-format: \"%s\" is neither s16 nor f32", name);
    options->rawFormatGiven = 1;
    return 1;
}

static int takePlainArgument(const char* text, Options* options)
{
    if (!options->pluginPath)
        options->pluginPath = text;
    else if (!options->audioPath)
        options->audioPath = text;
    else
        return refuse("\"%s\": one plug-in and one audio file at most", text);
    return 1;
}

// getopt's verdict on argv[index]: ':' a value missing or one given to an
// option that takes none, '?' an unknown or ambiguous option.
static int refuseOption(int verdict, const char* text)
{
    if (verdict == '?')
        return refuse("%s: unknown option", text);
    if (strchr(text, '='))
        return refuse("%s: takes no value", text);
    return refuse("%s: needs a value", text);
}

static int applyOption(int id, int argc, char** argv, Options* options)
{
    switch (id) {
    case OPTION_FRAMES: return parseFrames(optarg, &options->frames);
    case OPTION_SECONDS: return parseSeconds(optarg, &options->seconds);
    case OPTION_RAW: return parseRaw(argc, argv, options);
    case OPTION_RAW_FORMAT: return parseRawFormat(optarg, options);
    case OPTION_CAPTURE: options->captureDirectory = optarg; return 1;
    case OPTION_CLICK: return addClick(optarg, options);
    case OPTION_OFFLINE: options->offline = 1; return 1;
    case OPTION_BENCH: options->bench = 1; return 1;
    case OPTION_ABOUT: options->about = 1; return 1;
    case OPTION_HELP: options->help = 1; return 1;
    default: return 0;
    }
}

// Combinations that no single option can judge.
static int checkCombination(const Options* options)
{
    if (options->help)
        return 1;
    if (!options->pluginPath)
        return refuse("no plug-in given");
    if (options->raw && options->audioPath)
        return refuse("\"%s\": --raw reads standard input, so no audio file", options->audioPath);
    if (options->rawFormatGiven && !options->raw)
        return refuse("--raw-format: only goes with --raw");
    if (options->bench && (options->audioPath || options->raw || options->captureDirectory ||
                           options->clickCount > 0 || options->seconds > 0 || options->offline)) {
        return refuse("--bench times the built-in signal as fast as it goes; it takes no audio, "
                      "--capture, --click, --seconds or --offline");
    }
    // Every timing is kept until the end.
    if (options->bench && options->frames > MAX_BENCH_FRAMES)
        return refuse("--bench: --frames %ld is more than %d", options->frames, (int)MAX_BENCH_FRAMES);
    return 1;
}

int parseOptions(int argc, char** argv, Options* options)
{
    memset(options, 0, sizeof(*options));
    options->rawFormat = SAMPLE_S16;
    opterr = 0;  // every message is our own
    optind = 1;
    while (optind < argc) {
        const int index = optind;
        const int id = getopt_long(argc, argv, kShortOptions, kLongOptions, NULL);
        if (id == -1) {
            // A plain argument, or nothing left after "--".
            if (optind < argc && !takePlainArgument(argv[optind++], options))
                return 0;
            continue;
        }
        if (id == '?' || id == ':')
            return refuseOption(id, argv[index]);
        if (!applyOption(id, argc, argv, options))
            return 0;
    }
    return checkCombination(options);
}
