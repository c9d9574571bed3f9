// A user at the pointer: real mouse input, sent from another thread while
// this thread runs the player's frame loop, drags the window by its face,
// clicks a switch and closes the window from its button.
#include "pluginrun.h"

#include <gtest/gtest.h>

namespace {

struct PointerScript {
    POINT grab;      // where the face is pressed, in screen pixels
    POINT release;   // where the drag ends
    POINT rainSwitch;    // relative to the window's corner after the drag
    POINT closeButton;
    POINT corner;    // the corner after the drag
};

void sendMouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Absolute input is given on a 0..65535 grid over the primary screen.
        input.mi.dx = (x * 65536 + GetSystemMetrics(SM_CXSCREEN) / 2) / GetSystemMetrics(SM_CXSCREEN);
        input.mi.dy = (y * 65536 + GetSystemMetrics(SM_CYSCREEN) / 2) / GetSystemMetrics(SM_CYSCREEN);
    }
    SendInput(1, &input, sizeof(input));
    Sleep(40);
}

void moveTo(int x, int y) { sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y); }

void clickAt(int x, int y)
{
    moveTo(x, y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(150);
}

DWORD WINAPI playUser(void* parameter)
{
    const PointerScript* script = (const PointerScript*)parameter;
    Sleep(400);
    moveTo(script->grab.x, script->grab.y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; step++) {
        moveTo(script->grab.x + (script->release.x - script->grab.x) * step / 10,
               script->grab.y + (script->release.y - script->grab.y) * step / 10);
    }
    sendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(300);
    clickAt(script->corner.x + script->rainSwitch.x, script->corner.y + script->rainSwitch.y);
    clickAt(script->corner.x + script->closeButton.x, script->corner.y + script->closeButton.y);
    return 0;
}

TEST(RealInput, DragClickSwitchAndCloseAsAUserWould)
{
    PluginCopy copy;
    copy.writeIni(settingsText(300, 200, 0, 0, 0));
    LoadedPlugin plugin;
    char error[256];
    ASSERT_EQ(LOAD_OK, loadPlugin(copy.dllPath.c_str(), &plugin, error, sizeof(error))) << error;
    HWND player = createPlayerWindow();
    attachModule(plugin.module, player, plugin.library, 44100, 2);
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    HWND window = findPluginWindow();
    ASSERT_NE(nullptr, window);

    PointerScript script = { { 300 + 200, 200 + 80 }, { 400 + 200, 260 + 80 }, { 45, 26 },
                             { 356, 7 }, { 400, 260 } };
    HANDLE user = CreateThread(NULL, 0, playUser, &script, 0, NULL);
    RunLimits limits = { 0, 15000, 1 };
    RunResult result = runBuiltinSignal(plugin.module, limits);
    WaitForSingleObject(user, INFINITE);
    CloseHandle(user);

    EXPECT_EQ(1, result.quitReceived) << "the close button did not end the run";
    EXPECT_EQ(0, result.exitCode);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_GT(result.frames, 0);

    plugin.module->quit(plugin.module);
    pumpMessages(NULL);
    EXPECT_EQ(settingsText(400, 260, 1, 0, 0), copy.readIni());
    destroyPlayerWindow(player);
    unloadPlugin(&plugin);
}

// A library so deep in folders that its plugin.ini path would not fit: no
// cut-off name is used; the settings go to the user's copy instead.
TEST(LongPath, SettingsGoToTheUserCopyWhenTheirPathWouldNotFit)
{
    PluginCopy copy;
    std::string folder = copy.folder;
    std::vector<std::string> made;
    while (folder.size() + 1 < 252) {
        size_t room = 252 - (folder.size() + 1) - 1;
        folder += "\\" + std::string(room < 40 ? room : 40, 'd');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
        made.push_back(folder);
    }
    ASSERT_EQ(251u, folder.size());
    // "v.dll" fits the path buffer; "plugin.ini" beside it would not.
    const std::string dll = folder + "\\v.dll";
    ASSERT_TRUE(CopyFileA(copy.dllPath.c_str(), dll.c_str(), FALSE));

    LoadedPlugin plugin;
    char error[512];
    ASSERT_EQ(LOAD_OK, loadPlugin(dll.c_str(), &plugin, error, sizeof(error))) << error;
    HWND player = createPlayerWindow();
    attachModule(plugin.module, player, plugin.library, 44100, 2);
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    RunLimits limits = { 5, 0, 0 };
    runBuiltinSignal(plugin.module, limits);
    plugin.module->quit(plugin.module);
    pumpMessages(NULL);
    destroyPlayerWindow(player);
    unloadPlugin(&plugin);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    std::vector<std::string> files;
    do {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            files.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    ASSERT_EQ(1u, files.size()) << "a settings file appeared: " << files.back();
    EXPECT_EQ("v.dll", files[0]);
    EXPECT_EQ(settingsText(0, 0, 0, 0, 0), readFile(userSettingsPath()));
    DeleteFileA(userSettingsPath().c_str());

    DeleteFileA(dll.c_str());
    for (size_t i = made.size(); i-- > 0;)
        RemoveDirectoryA(made[i].c_str());
}

} // namespace
