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

GdiFiller::GdiFiller(size_t spare)
{
    for (;;) {
        HRGN region = CreateRectRgn(0, 0, 1, 1);
        if (!region)
            break;
        regions.push_back(region);
    }
    for (size_t i = 0; i < spare && !regions.empty(); i++) {
        DeleteObject(regions.back());
        regions.pop_back();
    }
}

void GdiFiller::release()
{
    for (HRGN region : regions)
        DeleteObject(region);
    regions.clear();
}

size_t gdiHeadroom()
{
    return GdiFiller(0).regions.size();
}

size_t differingPixels(const Picture& a, const Picture& b)
{
    if (a.pixels.size() != b.pixels.size())
        return a.pixels.size() + b.pixels.size();
    size_t differing = 0;
    for (size_t i = 0; i < a.pixels.size(); i++)
        differing += a.pixels[i] != b.pixels[i];
    return differing;
}
