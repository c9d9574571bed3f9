// Loads a plug-in library and finds its module, with a clear reason when the
// file, the export or the module is missing.
#include "standin/loader.h"

#include <stdio.h>
#include <string.h>

int loadPlugin(const char* path, LoadedPlugin* plugin, char* error, size_t errorSize)
{
    memset(plugin, 0, sizeof(*plugin));
    HMODULE library = LoadLibraryA(path);
    if (!library) {
        snprintf(error, errorSize, "cannot load plug-in '%s' (error %lu)", path,
                 (unsigned long)GetLastError());
        return LOAD_NO_LIBRARY;
    }
    VisGetHeaderProc getHeader = (VisGetHeaderProc)(void*)GetProcAddress(library, "winampVisGetHeader");
    if (!getHeader) {
        snprintf(error, errorSize, "'%s' exports no winampVisGetHeader", path);
        FreeLibrary(library);
        return LOAD_NO_EXPORT;
    }
    VisHeader* header = getHeader();
    VisModule* module = header ? header->getModule(0) : NULL;
    if (!module) {
        snprintf(error, errorSize, "'%s' has no visualization module 0", path);
        FreeLibrary(library);
        return LOAD_NO_MODULE;
    }
    plugin->library = library;
    plugin->header = header;
    plugin->module = module;
    return LOAD_OK;
}

void unloadPlugin(LoadedPlugin* plugin)
{
    if (plugin->library)
        FreeLibrary(plugin->library);
    memset(plugin, 0, sizeof(*plugin));
}

void attachModule(VisModule* module, HWND parent, HMODULE library, int sampleRate, int channels)
{
    module->parentWindow = parent;
    module->instance = (HINSTANCE)library;
    module->sampleRate = sampleRate;
    module->channelCount = channels;
}
