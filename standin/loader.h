// Loading a visualization plug-in the way the player does: the library, its
// exported header, and module 0.
#ifndef HALDER_STANDIN_LOADER_H
#define HALDER_STANDIN_LOADER_H

#include "plugin/vis.h"
#include "standin/exitcodes.h"

#include <stddef.h>

// loadPlugin's success; a failure is the exit code that names it.
enum { LOAD_OK = EXIT_DONE };

struct LoadedPlugin {
    HMODULE library;
    VisHeader* header;
    VisModule* module;
};

// Loads the library at path (UTF-8) and takes module 0. On failure returns
// EXIT_NO_LIBRARY, EXIT_NO_EXPORT or EXIT_NO_MODULE, writes a one-line reason into error and loads nothing.
int loadPlugin(const char* path, LoadedPlugin* plugin, char* error, size_t errorSize);

void unloadPlugin(LoadedPlugin* plugin);

// Fills the fields the player owns before init.
void attachModule(VisModule* module, HWND parent, HMODULE library, int sampleRate, int channels);

#endif
