// End-to-end support: a private copy of the built DLL with its own
// plugin.ini, loaded through the stand-in's loader as the player loads it.
#ifndef HALDER_TEST_PLUGINRUN_H
#define HALDER_TEST_PLUGINRUN_H

#include "standin/host.h"
#include "standin/loader.h"
#include "support/files.h"
#include "support/pixels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A fresh folder holding a copy of vis_halder.dll, and no user's copy of the
// settings; the folder is removed on destruction.
struct PluginCopy {
    std::string folder;
    std::string dllPath;
    std::string iniPath;
    PluginCopy();
    ~PluginCopy();
    void writeIni(const std::string& text) const;
    std::string readIni() const;
};

HWND findPluginWindow();

// The user's own copy of the settings, which the plug-in writes when it
// cannot write the file beside itself.
std::string userSettingsPath();

// A test with a private copy of the DLL loaded, its module 0 attached to a
// player window of the test's own.
class LoadedPluginTest : public ::testing::Test {
protected:
    PluginCopy copy;
    LoadedPlugin plugin = {};
    HWND player = NULL;

    void SetUp() override;
    void TearDown() override;
};

// Plays the built-in signal within limits, as the stand-in does with no audio.
RunResult runBuiltinSignal(VisModule* module, const RunLimits& limits);

// Fills this process's GDI handle table with regions but for `spare` handles,
// as a leaking neighbour in the player's process would; the regions go when
// the filler does.
struct GdiFiller {
    std::vector<HRGN> regions;
    explicit GdiFiller(size_t spare);
    ~GdiFiller() { release(); }
    void release();
};

// Counts how many more regions this process can create: a GDI leak shows as
// lost headroom, since the handle table is finite.
size_t gdiHeadroom();

// How many pixels of two pictures differ; all of both when their sizes do.
size_t differingPixels(const Picture& a, const Picture& b);

#endif
