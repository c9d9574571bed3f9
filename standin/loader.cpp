// Loads a plug-in library and finds its module, with a clear reason when the
// file, the export or the module is missing.
#include "standin/loader.h"

#include "standin/common.h"

#include <stdio.h>
#include <string.h>

// Names the usual reasons in words; anything else keeps its Windows code.
static const char* loadFailure(DWORD code)
{
    static char other[64];
    switch (code) {
    case ERROR_MOD_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "file not found (or a library it needs is missing)";
    case ERROR_BAD_EXE_FORMAT:
        return "not a 32-bit Windows DLL";
    case ERROR_ACCESS_DENIED:
        return "access denied";
    default:
        snprintf(other, sizeof(other), "Windows error %lu", (unsigned long)code);
        return other;
    }
}

int loadPlugin(const char* path, LoadedPlugin* plugin, char* error, size_t errorSize)
{
    memset(plugin, 0, sizeof(*plugin));
    if (isFolder(path)) {
        snprintf(error, errorSize, "cannot load plug-in '%s': a folder, not a DLL", path);
        return EXIT_NO_LIBRARY;
    }
    HMODULE library = LoadLibraryW(widePath(path).c_str());
    if (!library) {
        const DWORD code = GetLastError();
        snprintf(error, errorSize, "cannot load plug-in '%s': %s", path, loadFailure(code));
        return EXIT_NO_LIBRARY;
    }
    VisGetHeaderProc getHeader = (VisGetHeaderProc)(void*)GetProcAddress(library, "winampVisGetHeader");
    if (!getHeader) {
        snprintf(error, errorSize, "'%s' exports no winampVisGetHeader", path);
        FreeLibrary(library);
        return EXIT_NO_EXPORT;
    }
    VisHeader* header = getHeader();
    VisModule* module = header ? header->getModule(0) : NULL;
    if (!module) {
        snprintf(error, errorSize, "'%s' has no visualization module 0", path);
        FreeLibrary(library);
        return EXIT_NO_MODULE;
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
