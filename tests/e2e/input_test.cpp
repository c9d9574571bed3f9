// A user at the pointer: real mouse input, sent from another thread while
// this thread runs the player's frame loop, drags the window by its face,
// clicks a switch and closes the window from its button.
#include "pointer.h"

#include <gtest/gtest.h>

namespace {

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

    const PointerScript script = { { 300 + 200, 200 + 80 }, { 400 + 200, 260 + 80 }, { 45, 26 },
                                   { 356, 7 }, { 400, 260 } };
    RunResult result = runAsUser(plugin.module, script);

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
