#include "pluginrun.h"

#include <shlobj.h>
#include <stdio.h>

PluginCopy::PluginCopy()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    static int counter = 0;
    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%shalder-e2e-%lu-%d", temp, (unsigned long)GetCurrentProcessId(),
             counter++);
    folder = name;
    CreateDirectoryA(folder.c_str(), NULL);
    dllPath = folder + "\\vis_halder.dll";
    iniPath = folder + "\\plugin.ini";
    CopyFileA(HALDER_BINARY_DIR "/vis_halder.dll", dllPath.c_str(), FALSE);
    // A user's copy of the settings, left by an earlier program, would win
    // over the copy's own plugin.ini.
    DeleteFileA(userSettingsPath().c_str());
}

PluginCopy::~PluginCopy()
{
    DeleteFileA(dllPath.c_str());
    DeleteFileA(iniPath.c_str());
    RemoveDirectoryA(folder.c_str());
}

void PluginCopy::writeIni(const std::string& text) const
{
    writeFile(iniPath, text);
}

std::string PluginCopy::readIni() const
{
    return readFile(iniPath);
}

HWND findPluginWindow()
{
    return FindWindowA("halderVis", NULL);
}

std::string userSettingsPath()
{
    char appData[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, appData)))
        return "";
    return std::string(appData) + "\\vis_halder\\plugin.ini";
}

RunResult runBuiltinSignal(VisModule* module, const RunLimits& limits)
{
    AudioSource source;
    openBuiltinSignal(&source);
    Playback playback = {};
    playback.limits = limits;
    playback.source = &source;
    const RunResult result = runPlayback(module, &playback);
    closeAudioSource(&source);
    return result;
}

void LoadedPluginTest::SetUp()
{
    char error[256];
    ASSERT_EQ(LOAD_OK, loadPlugin(copy.dllPath.c_str(), &plugin, error, sizeof(error))) << error;
    player = createPlayerWindow();
    attachModule(plugin.module, player, plugin.library, 44100, 2);
}

void LoadedPluginTest::TearDown()
{
    pumpMessages(NULL);
    destroyPlayerWindow(player);
    unloadPlugin(&plugin);
}
