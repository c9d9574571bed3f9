// The setup program and its uninstaller as a silent install runs them, on a
// fake player folder (the stand-in serves as winamp.exe): where the plug-in
// goes, what changes in the player's settings and in Add/Remove Programs,
// what removal takes away and what it leaves, and the two refusals.
#include "support/files.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kSetup = HALDER_SETUP_EXE;
const std::string kReleaseDll = HALDER_RELEASE_DLL;  // what the setup program carries
const std::string kStandin = std::string(HALDER_BINARY_DIR) + "/standin.exe";
const char* const kPlayerKey = "Software\\Winamp";
const char* const kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vis_halder";
const char* const kUninstaller = "uninstall_vis_halder.exe";

const DWORD kExitNoPlayer = 3;
const DWORD kExitPlayerRunning = 4;

std::string tempFolder(const char* name)
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return std::string(path) + name;
}

std::string appDataFolder(const char* name)
{
    char path[MAX_PATH];
    SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\" + name;
}

void deleteTree(const std::string& folder)
{
    std::vector<char> from(folder.begin(), folder.end());
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.data();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD run(const std::string& commandLine)
{
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return 0xFFFFFFFF;
    DWORD exitCode = 0xFFFFFFFF;
    if (WaitForSingleObject(process.hProcess, 180000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

DWORD runSetup(const std::string& args)
{
    return run("\"" + kSetup + "\" " + args);
}

// The uninstaller, kept waited for: without _? it copies itself away and
// returns at once.
DWORD runUninstaller(const std::string& player)
{
    const std::string plugins = player + "\\Plugins";
    return run("\"" + plugins + "\\" + kUninstaller + "\" /S _?=" + plugins);
}

std::string iniValue(const std::string& file, const char* section, const char* key)
{
    char value[256];
    GetPrivateProfileStringA(section, key, "(none)", value, sizeof(value), file.c_str());
    return value;
}

std::string uninstallValue(const char* name)
{
    char value[512] = "";
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ, NULL, value, &size))
        return "(none)";
    return value;
}

bool uninstallKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key))
        return false;
    RegCloseKey(key);
    return true;
}

// A string from the setup program's file properties (U.S. English, in the
// Western code page NSIS labels them with).
std::string setupVersionValue(const char* name)
{
    DWORD handle = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(kSetup.c_str(), &handle) + 1);
    char* value = NULL;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904e4\\") + name;
    if (!GetFileVersionInfoA(kSetup.c_str(), 0, (DWORD)info.size(), info.data()) ||
        !VerQueryValueA(info.data(), key.c_str(), (void**)&value, &length) || !value)
        return "(none)";
    return value;
}

// A window of the class the player's main window has, as if it were running.
HWND startFakePlayer()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "Winamp v1.x";
    RegisterClassA(&windowClass);
    return CreateWindowA("Winamp v1.x", "Winamp", WS_OVERLAPPED, 0, 0, 100, 100,
                         NULL, NULL, windowClass.hInstance, NULL);
}

// Every test starts from a player folder with winamp.exe and another
// plug-in in Plugins, and leaves no folder or registry key behind.
class SetupProgram : public ::testing::Test {
protected:
    std::string player = tempFolder("halder_setup_test");
    std::string redirected = appDataFolder("halder_setup_test_ini");

    void SetUp() override
    {
        cleanUp();
        CreateDirectoryA(player.c_str(), NULL);
        CreateDirectoryA((player + "\\Plugins").c_str(), NULL);
        ASSERT_TRUE(CopyFileA(kStandin.c_str(), (player + "\\winamp.exe").c_str(), FALSE));
        ASSERT_TRUE(writeFile(player + "\\Plugins\\vis_other.dll", "another plug-in"));
    }

    void TearDown() override { cleanUp(); }

    void cleanUp()
    {
        deleteTree(player);
        deleteTree(redirected);
        RegDeleteKeyA(HKEY_CURRENT_USER, kPlayerKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    std::string plugins(const char* name) const { return player + "\\Plugins\\" + name; }
};

TEST_F(SetupProgram, InstallsWhereThePlayerIsRecordedAndUninstallsOnlyItsOwn)
{
    const std::string winampIni = player + "\\winamp.ini";
    ASSERT_TRUE(writeFile(winampIni, "[Winamp]\r\nvisplugin_name=vis_other.dll\r\nvisplugin_num=2\r\n"));
    ASSERT_TRUE(writeFile(plugins("plugin.ini"), "[OTHER]\r\nkeep=1\r\n"));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kPlayerKey, NULL, REG_SZ,
                                             player.c_str(), (DWORD)player.size() + 1));

    EXPECT_EQ(HALDER_VERSION, setupVersionValue("ProductVersion"));
    ASSERT_EQ(0u, runSetup("/S"));
    const std::string installed = readFile(plugins("vis_halder.dll"));
    EXPECT_FALSE(installed.empty());
    EXPECT_TRUE(installed == readFile(kReleaseDll)) << "installed DLL differs from the built one";
    EXPECT_EQ("vis_halder.dll", iniValue(winampIni, "Winamp", "visplugin_name"));
    EXPECT_EQ("0", iniValue(winampIni, "Winamp", "visplugin_num"));
    EXPECT_EQ(HALDER_VERSION, uninstallValue("DisplayVersion"));
    EXPECT_EQ("\"" + plugins(kUninstaller) + "\"", uninstallValue("UninstallString"));
    EXPECT_TRUE(exists(plugins(kUninstaller)));

    // The player loads it from there, renders, and the plug-in adds its own
    // section to the shared plugin.ini when it quits.
    EXPECT_EQ(0u, run("\"" + player + "\\winamp.exe\" \"" + plugins("vis_halder.dll") +
                      "\" --offline --frames 3"));
    EXPECT_NE("(none)", iniValue(plugins("plugin.ini"), "TOLVA", "IsRain"));

    ASSERT_EQ(0u, runUninstaller(player));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_FALSE(uninstallKeyExists());
    EXPECT_EQ("another plug-in", readFile(plugins("vis_other.dll")));
    EXPECT_EQ("1", iniValue(plugins("plugin.ini"), "OTHER", "keep"));
    EXPECT_EQ("(none)", iniValue(plugins("plugin.ini"), "TOLVA", "IsRain"));
    EXPECT_EQ("vis_other.dll", iniValue(winampIni, "Winamp", "visplugin_name"));
    EXPECT_EQ("2", iniValue(winampIni, "Winamp", "visplugin_num"));
}

TEST_F(SetupProgram, FollowsPathsIniToWinampIniAndRemovesSettingsLeftEmpty)
{
    // The player keeps winamp.ini in the user's application data; the one
    // beside winamp.exe is stale and must stay as it is.
    const std::string staleIni = "[Winamp]\r\nvisplugin_name=vis_stale.dll\r\n";
    const std::string winampIni = redirected + "\\winamp.ini";
    ASSERT_TRUE(writeFile(player + "\\winamp.ini", staleIni));
    ASSERT_TRUE(writeFile(player + "\\paths.ini", "[Winamp]\r\ninidir={26}\\halder_setup_test_ini\r\n"));
    CreateDirectoryA(redirected.c_str(), NULL);
    ASSERT_TRUE(writeFile(winampIni, "[Winamp]\r\nvolume=200\r\n"));

    // No recorded folder: /D= names it.
    ASSERT_EQ(0u, runSetup("/S /D=" + player));
    EXPECT_EQ("vis_halder.dll", iniValue(winampIni, "Winamp", "visplugin_name"));
    EXPECT_EQ(staleIni, readFile(player + "\\winamp.ini"));

    ASSERT_TRUE(writeFile(plugins("plugin.ini"), settingsText(10, 20, 1, 0, 0)));
    ASSERT_EQ(0u, runUninstaller(player));
    EXPECT_FALSE(exists(plugins("plugin.ini")));
    EXPECT_EQ("(none)", iniValue(winampIni, "Winamp", "visplugin_name"));
    EXPECT_EQ("(none)", iniValue(winampIni, "Winamp", "visplugin_num"));
    EXPECT_EQ("200", iniValue(winampIni, "Winamp", "volume"));
}

TEST_F(SetupProgram, RefusesWithoutThePlayerOrWhileItRunsAndChangesNothing)
{
    const std::string elsewhere = player + "\\Plugins";  // holds no winamp.exe
    EXPECT_EQ(kExitNoPlayer, runSetup("/S /D=" + elsewhere));
    EXPECT_FALSE(exists(elsewhere + "\\Plugins"));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_FALSE(uninstallKeyExists());

    const std::string settings = "[Winamp]\r\nvisplugin_name=vis_other.dll\r\n";
    ASSERT_TRUE(writeFile(player + "\\winamp.ini", settings));
    HWND running = startFakePlayer();
    ASSERT_TRUE(running != NULL);
    EXPECT_EQ(kExitPlayerRunning, runSetup("/S /D=" + player));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_FALSE(uninstallKeyExists());
    EXPECT_EQ(settings, readFile(player + "\\winamp.ini"));

    // Installed while the player is closed, kept while it runs again.
    DestroyWindow(running);
    ASSERT_EQ(0u, runSetup("/S /D=" + player));
    running = startFakePlayer();
    EXPECT_EQ(kExitPlayerRunning, runUninstaller(player));
    EXPECT_TRUE(exists(plugins("vis_halder.dll")));
    EXPECT_TRUE(uninstallKeyExists());
    EXPECT_EQ("vis_halder.dll", iniValue(player + "\\winamp.ini", "Winamp", "visplugin_name"));
    DestroyWindow(running);
}

} // namespace
