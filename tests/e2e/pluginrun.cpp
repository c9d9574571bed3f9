#include "pluginrun.h"

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
}

PluginCopy::~PluginCopy()
{
    DeleteFileA(dllPath.c_str());
    DeleteFileA(iniPath.c_str());
    RemoveDirectoryA(folder.c_str());
}

void PluginCopy::writeIni(const std::string& text) const
{
    FILE* file = fopen(iniPath.c_str(), "wb");
    if (file) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
}

std::string PluginCopy::readIni() const
{
    std::string text;
    FILE* file = fopen(iniPath.c_str(), "rb");
    if (!file)
        return text;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, n);
    fclose(file);
    return text;
}

std::string iniText(int x, int y, int rain, int mirror, int reverse)
{
    char text[256];
    snprintf(text, sizeof(text),
             "[TOLVA]\r\nScreen_x=%d\r\nScreen_y=%d\r\nIsRain=%d\r\nIsMirror=%d\r\nIsReverse=%d\r\n",
             x, y, rain, mirror, reverse);
    return text;
}

HWND findPluginWindow()
{
    return FindWindowA("halderVis", NULL);
}
