// Where the settings are kept, whatever the player's folder is called and
// whether its user may write there: the built DLL started from folders named
// in four scripts, each writable, with a read-only plugin.ini, and read-only
// as a whole. A first run moves the window and switches the look; the next
// start, the stand-in run as a user runs it, must find both again, and each
// file must hold what it should. Only a read-only bind mount stops root from
// writing, so settings_folders_test.sh makes the folders read-only around
// the table and runs this program in steps:
//   settings_folders_test prepare     makes the folders and their files
//   settings_folders_test [writable]  runs the tests (the script picks one
//                                     with --gtest_filter); "writable" skips
//                                     the table's read-only rows
#include "pluginrun.h"

#include "standin/common.h"
#include "standin/wav_bytes.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

enum Access { WRITABLE, READ_ONLY_FILE, READ_ONLY_FOLDER, ACCESS_KINDS };

// settings_folders_test.sh finds the folders to make read-only by these names.
const wchar_t* const kAccessNames[] = { L"writable", L"read-only-file", L"read-only-folder" };
const wchar_t* const kPlayerNames[] = { L"Winamp", L"Café Müller", L"Плеер", L"音乐 播放器" };
const int kPlayerCount = sizeof(kPlayerNames) / sizeof(kPlayerNames[0]);
const std::wstring kRoot = L"C:\\halder-settings";

// Other sections of plugin.ini and of the user's copy, which no write may touch.
const std::string kOther = "[Other]\r\nKeep=1\r\n";
const std::string kUserOther = "[Other]\r\nKeep=2\r\n";

// A window opens here from the plugin.ini that setup or an earlier run left;
// in a read-only folder there is none, and a fresh load starts at (0, 0).
const POINT kStored = { 120, 90 };

bool writableOnly = false;

struct Row {
    Access access;
    int player;
};

// Every access with every name, the read-only folder last.
std::vector<Row> tableRows()
{
    std::vector<Row> rows;
    for (int access = 0; access < ACCESS_KINDS; access++) {
        for (int player = 0; player < kPlayerCount; player++)
            rows.push_back({ (Access)access, player });
    }
    return rows;
}

std::wstring playerFolder(const Row& row)
{
    return kRoot + L"\\" + kAccessNames[row.access] + L"\\" + kPlayerNames[row.player];
}

std::wstring pluginsFile(const Row& row, const wchar_t* name)
{
    return playerFolder(row) + L"\\Plugins\\" + name;
}

std::string firstIni(const Row& row)
{
    return row.access == READ_ONLY_FOLDER ? "" : kOther + settingsText(kStored.x, kStored.y, 0, 0, 0);
}

POINT firstPosition(const Row& row)
{
    return row.access == READ_ONLY_FOLDER ? POINT{ 0, 0 } : kStored;
}

// Each row moves the window to a place of its own, so that no row can pass
// on another's values.
POINT movedTo(const Row& row)
{
    return { 200 + 40 * row.player, 100 + 60 * row.access };
}

// What the first run stores: the place it moved to, RAIN and REVERSE pressed.
std::string movedSettings(const Row& row)
{
    return settingsText(movedTo(row).x, movedTo(row).y, 1, 0, 1);
}

bool prepareRow(const Row& row)
{
    const std::wstring plugins = playerFolder(row) + L"\\Plugins";
    const std::wstring dll = plugins + L"\\vis_halder.dll";
    const Bytes silence = wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), Bytes(16000, 0));
    return SHCreateDirectoryExW(NULL, plugins.c_str(), NULL) == ERROR_SUCCESS &&
           CopyFileW(L"" HALDER_BINARY_DIR L"/vis_halder.dll", dll.c_str(), FALSE) &&
           (row.access == READ_ONLY_FOLDER || writeFile(pluginsFile(row, L"plugin.ini"), firstIni(row))) &&
           writeFile(playerFolder(row) + L"\\tone.wav", std::string(silence.begin(), silence.end()));
}

void resetUserSettings()
{
    const std::string file = userSettingsPath();
    CreateDirectoryA(file.substr(0, file.rfind('\\')).c_str(), NULL);
    ASSERT_TRUE(writeFile(file, kUserOther));
}

// Starts the plug-in from the row's folder as the player does and checks
// where the window opens; then moves it to `to` (the plug-in follows its
// window's moves, a drag's included), presses RAIN and REVERSE, and quits.
void moveAndSwitch(const Row& row, POINT from, POINT to)
{
    LoadedPlugin plugin;
    char error[MAX_PATH * 4];
    const std::string dll = utf8Path(pluginsFile(row, L"vis_halder.dll").c_str());
    ASSERT_EQ(LOAD_OK, loadPlugin(dll.c_str(), &plugin, error, sizeof(error))) << error;
    HWND player = createPlayerWindow();
    attachModule(plugin.module, player, plugin.library, 44100, 2);
    EXPECT_EQ(0, plugin.module->init(plugin.module));
    HWND window = findPluginWindow();
    RECT outer = {};
    GetWindowRect(window, &outer);
    EXPECT_EQ(from.x, outer.left) << "where the window opened";
    EXPECT_EQ(from.y, outer.top) << "where the window opened";
    SetWindowPos(window, NULL, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (LPARAM button : { MAKELPARAM(49, 27), MAKELPARAM(111, 27) }) {
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, button);
        SendMessageA(window, WM_LBUTTONUP, 0, button);
    }
    plugin.module->quit(plugin.module);
    pumpMessages(NULL);
    destroyPlayerWindow(player);
    unloadPlugin(&plugin);
}

// The next start as a user makes it, every path on a wide command line: the
// stand-in plays the WAV file beside the player and captures the window
// there. Its quit stores what its init found, since nothing moves.
DWORD startInStandin(const Row& row)
{
    const std::wstring player = playerFolder(row);
    std::wstring line = L"\"" + std::wstring(L"" HALDER_BINARY_DIR) + L"/standin.exe\" \"" +
                        pluginsFile(row, L"vis_halder.dll") + L"\" \"" + player +
                        L"\\tone.wav\" --offline --frames 2 --capture \"" + player + L"\\frames\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return GetLastError();
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, exitCode);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

// Beside the library when it can be written, otherwise in the user's copy;
// the other file as it was.
void expectStored(const Row& row, const char* when)
{
    SCOPED_TRACE(when);
    const std::string beside = readFile(pluginsFile(row, L"plugin.ini"));
    const std::string user = readFile(userSettingsPath());
    if (row.access == WRITABLE) {
        EXPECT_EQ(kOther + movedSettings(row), beside);
        EXPECT_EQ(kUserOther, user);
    } else {
        EXPECT_EQ(firstIni(row), beside);
        EXPECT_EQ(kUserOther + movedSettings(row), user);
    }
}

TEST(SettingsFolders, PositionAndSwitchesComeBackWhereverThePlayerLives)
{
    for (const Row& row : tableRows()) {
        const std::string name = utf8Path(playerFolder(row).c_str());
        SCOPED_TRACE(name);
        if (writableOnly && row.access != WRITABLE) {
            printf("%s: skipped, no folder here can be made read-only\n", name.c_str());
            continue;
        }
        resetUserSettings();
        moveAndSwitch(row, firstPosition(row), movedTo(row));
        expectStored(row, "after the first run");
        EXPECT_EQ(0u, startInStandin(row));
        expectStored(row, "after the next start");
        EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW((playerFolder(row) + L"\\frames\\frame_00001.png").c_str()))
            << "the stand-in captured no frames beside the player";
    }
}

// The table's last row leaves its settings in the user's copy. Once the
// folder can be written again, they are read from there one last time and
// then stored beside the library, and the user's copy loses their section.
TEST(SettingsFolders, TheFileBesideTheLibraryTakesOverOnceItCanBeWritten)
{
    const Row row = tableRows().back();
    ASSERT_EQ(kUserOther + movedSettings(row), readFile(userSettingsPath()));
    const POINT back = { 150, 160 };
    moveAndSwitch(row, movedTo(row), back);
    EXPECT_EQ(settingsText(back.x, back.y, 0, 0, 0), readFile(pluginsFile(row, L"plugin.ini")));
    EXPECT_EQ(kUserOther, readFile(userSettingsPath()));
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    writableOnly = argc > 1 && !strcmp(argv[1], "writable");
    if (argc > 1 && !strcmp(argv[1], "prepare")) {
        for (const Row& row : tableRows()) {
            if (!prepareRow(row)) {
                fprintf(stderr, "cannot prepare %s\n", utf8Path(playerFolder(row).c_str()).c_str());
                return 1;
            }
        }
        return 0;
    }
    return RUN_ALL_TESTS();
}
