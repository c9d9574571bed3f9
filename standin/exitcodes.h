// The stand-in's exit codes, one for each kind of failure a user can act on.
#ifndef HALDER_STANDIN_EXITCODES_H
#define HALDER_STANDIN_EXITCODES_H

enum ExitCode {
    EXIT_DONE = 0,          // also when the window was closed or Ctrl+C stopped the run
    EXIT_USAGE = 2,         // a bad command line, checked before or just after init
    EXIT_NO_LIBRARY = 3,    // the plug-in's library cannot be loaded
    EXIT_NO_EXPORT = 4,     // it exports no winampVisGetHeader
    EXIT_NO_MODULE = 5,     // it has no module 0
    EXIT_INIT_FAILED = 6,
    EXIT_BAD_INPUT = 7,     // the audio cannot be read
    EXIT_NO_WINDOW = 8,     // capture, clicks or the benchmark found no window of the plug-in's
    EXIT_NO_DISPLAY = 9,
    EXIT_CAPTURE_FAILED = 10  // a frame could not be read back from the window or written
};

#endif
