// One visualization run as the command line asks for it: its limits, the
// clicks and the capture checked against the plug-in's window, the frames
// played, and the line that reports them.
#ifndef HALDER_STANDIN_RUN_H
#define HALDER_STANDIN_RUN_H

#include "standin/options.h"
#include "standin/source.h"

// Plays source into the initialised module, whose window (null if it opened
// none) the clicks and the capture use. Returns the exit code.
int runVisualization(const Options* options, VisModule* module, HWND window, AudioSource* source);

#endif
