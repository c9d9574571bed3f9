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

#endif
