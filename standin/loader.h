// Loading a visualization plug-in the way the player does: the library, its
// exported header, and module 0.
#ifndef HALDER_STANDIN_LOADER_H
#define HALDER_STANDIN_LOADER_H

#include "plugin/vis.h"

#include <stddef.h>

// Results of loadPlugin; also the stand-in's exit codes.
enum {
    LOAD_OK = 0,
    LOAD_NO_LIBRARY = 3,
    LOAD_NO_EXPORT = 4,
    LOAD_NO_MODULE = 5
};

struct LoadedPlugin {
    HMODULE library;
    VisHeader* header;
    VisModule* module;
};

// Loads the library at path and takes module 0. On failure returns one of
// the LOAD_* codes, writes a one-line reason into error and loads nothing.
int loadPlugin(const char* path, LoadedPlugin* plugin, char* error, size_t errorSize);

void unloadPlugin(LoadedPlugin* plugin);

// Fills the fields the player owns before init.
void attachModule(VisModule* module, HWND parent, HMODULE library, int sampleRate, int channels);

#endif
