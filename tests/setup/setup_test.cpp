// The setup program and its uninstaller as a silent install runs them, on
// fake player folders (the stand-in serves as winamp.exe): where the plug-in
// goes, what changes in the player's settings and in Add/Remove Programs,
// what removal takes away and what it leaves, the refusals, command lines
// they must not act on, and two players each with an installation of its own.
#include "support/files.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kSetup = HALDER_SETUP_EXE;
const std::string kReleaseDll = HALDER_RELEASE_DLL;  // what the setup program carries
const std::string kStandin = std::string(HALDER_BINARY_DIR) + "/standin.exe";
const char* const kPlayerKey = "Software\\Winamp";
const char* const kUninstaller = "uninstall_vis_halder.exe";

const DWORD kExitBadArgument = 2;
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
    else
        TerminateProcess(process.hProcess, exitCode);  // a window waiting for a click
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

DWORD runSetup(const std::string& args)
{
    return run("\"" + kSetup + "\" " + args);
}

// The uninstaller, kept waited for: without _? it copies itself away and
// returns at once. _?= comes last and unquoted, spaces and all.
DWORD runUninstaller(const std::string& player, const std::string& args = "/S")
{
    const std::string plugins = player + "\\Plugins";
    return run("\"" + plugins + "\\" + kUninstaller + "\" " + args + " _?=" + plugins);
}

// Polls until the check holds, for what a program started by another does
// after the first has returned; false when a minute passes first.
bool eventually(const std::function<bool()>& check)
{
    for (int i = 0; i < 600; ++i) {
        if (check())
            return true;
        Sleep(100);
    }
    return check();
}

// Whether no removal of an uninstaller run in place from this player's
// Plugins folder is pending or under way: its note is gone, claimed or not.
bool removalEnded(const std::string& player)
{
    const std::string note = player + "\\" + kUninstaller;
    return !exists(note + ".remove") && !exists(note + ".removing");
}

// Whether a command processor runs in this Wine prefix: an uninstaller run
// in place starts one to remove its file, and these tests start no other.
bool commandProcessorRuns()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = _stricmp(entry.szExeFile, "cmd.exe") == 0;
    CloseHandle(snapshot);
    return found;
}

// Where both programs note why they stopped, one line each time.
const std::string kLog = tempFolder("vis_halder-setup.log");

size_t logLines()
{
    const std::string text = readFile(kLog);
    return (size_t)std::count(text.begin(), text.end(), '\n');
}

// The log's last line, which says why the last refusal was made.
std::string lastLogLine()
{
    std::string text = readFile(kLog);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const size_t lineEnd = text.find_last_of('\n');
    return lineEnd == std::string::npos ? text : text.substr(lineEnd + 1);
}

std::string iniValue(const std::string& file, const char* section, const char* key)
{
    char value[256];
    GetPrivateProfileStringA(section, key, "(none)", value, sizeof(value), file.c_str());
    return value;
}

// The Add/Remove Programs key of the installation in a player folder.
std::string uninstallKey(const std::string& player)
{
    std::string name = player;
    std::replace(name.begin(), name.end(), '\\', '/');
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vis_halder " + name;
}

std::string uninstallValue(const std::string& player, const char* name)
{
    char value[512] = "";
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, uninstallKey(player).c_str(), name, RRF_RT_REG_SZ, NULL,
                     value, &size))
        return "(none)";
    return value;
}

bool uninstallKeyExists(const std::string& player)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstallKey(player).c_str(), 0, KEY_READ, &key))
        return false;
    RegCloseKey(key);
    return true;
}

// How many installations Add/Remove Programs lists for the plug-in.
int uninstallEntries()
{
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                      KEY_READ, &root))
        return 0;
    int entries = 0;
    char name[512];
    for (DWORD i = 0, size = sizeof(name); !RegEnumKeyExA(root, i, name, &size, NULL, NULL, NULL, NULL);
         ++i, size = sizeof(name))
        entries += std::string(name).rfind("vis_halder", 0) == 0;
    RegCloseKey(root);
    return entries;
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
// plug-in in Plugins, and a second player, in a folder with spaces, that has
// no Plugins folder yet; it leaves no folder or registry key behind.
class SetupProgram : public ::testing::Test {
protected:
    std::string player = tempFolder("halder_setup_test");
    std::string secondPlayer = tempFolder("halder setup test two");
    std::string redirected = appDataFolder("halder_setup_test_ini");
    std::string userSettings = appDataFolder("vis_halder");  // the plug-in's own copy

    void SetUp() override
    {
        cleanUp();
        CreateDirectoryA(player.c_str(), NULL);
        CreateDirectoryA((player + "\\Plugins").c_str(), NULL);
        ASSERT_TRUE(CopyFileA(kStandin.c_str(), (player + "\\winamp.exe").c_str(), FALSE));
        ASSERT_TRUE(writeFile(player + "\\Plugins\\vis_other.dll", "another plug-in"));
        CreateDirectoryA(secondPlayer.c_str(), NULL);
        ASSERT_TRUE(CopyFileA(kStandin.c_str(), (secondPlayer + "\\winamp.exe").c_str(), FALSE));
    }

    void TearDown() override
    {
        // An uninstaller run in place has its own file removed after it
        // ends; that removal must be over before the folders are made again.
        EXPECT_TRUE(eventually([&] { return removalEnded(player) && removalEnded(secondPlayer); }));
        cleanUp();
    }

    void cleanUp()
    {
        deleteTree(player);
        deleteTree(secondPlayer);
        deleteTree(redirected);
        deleteTree(userSettings);
        RegDeleteKeyA(HKEY_CURRENT_USER, kPlayerKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey(player).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey(secondPlayer).c_str());
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
    EXPECT_EQ(HALDER_VERSION, uninstallValue(player, "DisplayVersion"));
    EXPECT_EQ("\"" + plugins(kUninstaller) + "\"", uninstallValue(player, "UninstallString"));
    EXPECT_EQ(plugins(kUninstaller) + ",0", uninstallValue(player, "DisplayIcon"));
    EXPECT_TRUE(exists(plugins(kUninstaller)));

    // The player loads it from there, renders, and the plug-in adds its own
    // section to the shared plugin.ini when it quits.
    EXPECT_EQ(0u, run("\"" + player + "\\winamp.exe\" \"" + plugins("vis_halder.dll") +
                      "\" --offline --frames 3"));
    EXPECT_NE("(none)", iniValue(plugins("plugin.ini"), "TOLVA", "IsRain"));

    ASSERT_EQ(0u, runUninstaller(player));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_FALSE(uninstallKeyExists(player));
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
    EXPECT_FALSE(uninstallKeyExists(player));

    const std::string settings = "[Winamp]\r\nvisplugin_name=vis_other.dll\r\n";
    ASSERT_TRUE(writeFile(player + "\\winamp.ini", settings));
    HWND running = startFakePlayer();
    ASSERT_TRUE(running != NULL);
    EXPECT_EQ(kExitPlayerRunning, runSetup("/S /D=" + player));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_FALSE(uninstallKeyExists(player));
    EXPECT_EQ(settings, readFile(player + "\\winamp.ini"));

    // Installed while the player is closed, kept while it runs again.
    DestroyWindow(running);
    ASSERT_EQ(0u, runSetup("/S /D=" + player));
    running = startFakePlayer();
    EXPECT_EQ(kExitPlayerRunning, runUninstaller(player));
    EXPECT_TRUE(exists(plugins("vis_halder.dll")));
    EXPECT_TRUE(uninstallKeyExists(player));
    EXPECT_EQ("vis_halder.dll", iniValue(player + "\\winamp.ini", "Winamp", "visplugin_name"));
    DestroyWindow(running);
}

TEST_F(SetupProgram, DoesNotActOnArgumentsItCannotReadExactly)
{
    // The player is recorded, so a setup that ignored its arguments would
    // install there.
    const std::string settings = "[Winamp]\r\nvisplugin_name=vis_other.dll\r\nvisplugin_num=2\r\n";
    const std::string winampIni = player + "\\winamp.ini";
    ASSERT_TRUE(writeFile(winampIni, settings));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kPlayerKey, NULL, REG_SZ,
                                             player.c_str(), (DWORD)player.size() + 1));
    std::string forwardSlashes = secondPlayer;
    std::replace(forwardSlashes.begin(), forwardSlashes.end(), '\\', '/');
    // Each with the reason the log must give.
    const struct {
        std::string args;
        const char* reason;
    } refused[] = {
        { "/S \"/D=" + secondPlayer + "\"", "without quotes" },  // as many scripts pass a folder with spaces
        { "\"/D=" + secondPlayer + "\" /S", "without quotes" },
        { "/S /D=\"" + secondPlayer + "\"", "without quotes" },
        { "/S /D=" + forwardSlashes, "backslashes" },
        { "/S /D=relative\\folder", "in full" },
        { "/S /D=\\\\?\\relative", "\\\\?\\ folder goes on with a drive" },
        { "/X /s", "takes /S" },  // silent, though the switch comes after the mistake
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.args);
        const size_t linesBefore = logLines();
        EXPECT_EQ(kExitBadArgument, runSetup(row.args));
        EXPECT_EQ(linesBefore + 1, logLines()) << readFile(kLog);
        EXPECT_NE(std::string::npos, lastLogLine().find(row.reason)) << lastLogLine();
        EXPECT_FALSE(exists(plugins("vis_halder.dll")));
        EXPECT_FALSE(exists(secondPlayer + "\\Plugins"));
        EXPECT_EQ(0, uninstallEntries());
        EXPECT_EQ(settings, readFile(winampIni));
    }

    // The uninstaller does not uninstall from a folder with nothing of ours.
    ASSERT_EQ(0u, runSetup("/S"));
    const std::string uninstaller = "\"" + plugins(kUninstaller) + "\" /S ";
    size_t linesBefore = logLines();
    EXPECT_EQ(kExitBadArgument, run(uninstaller + "_?=" + secondPlayer + "\\Plugins"));
    EXPECT_EQ(linesBefore + 1, logLines());

    // It reads _?= only unquoted; quoted, it restarts from a copy and has
    // returned 0 before any check. The copy then changes nothing when the
    // folder is another...
    linesBefore = logLines();
    EXPECT_EQ(0u, run(uninstaller + "\"_?=" + secondPlayer + "\\Plugins\""));
    EXPECT_TRUE(eventually([&] { return logLines() == linesBefore + 1; })) << readFile(kLog);
    EXPECT_TRUE(exists(plugins("vis_halder.dll")));
    EXPECT_TRUE(uninstallKeyExists(player));
    // ...and does the whole uninstall when it is the uninstaller's own.
    EXPECT_EQ(0u, run(uninstaller + "\"_?=" + player + "\\Plugins\""));
    EXPECT_TRUE(eventually([&] { return !uninstallKeyExists(player); }));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_TRUE(eventually([&] { return !exists(plugins(kUninstaller)); }));
    EXPECT_EQ(settings, readFile(winampIni));
    EXPECT_EQ(linesBefore + 1, logLines());
}

TEST_F(SetupProgram, EachPlayerFolderIsAnInstallationOfItsOwn)
{
    const std::string firstIni = player + "\\winamp.ini";
    const std::string secondIni = secondPlayer + "\\winamp.ini";
    ASSERT_TRUE(writeFile(firstIni, "[Winamp]\r\nvisplugin_name=vis_first.dll\r\nvisplugin_num=1\r\n"));
    ASSERT_TRUE(writeFile(secondIni, "[Winamp]\r\nvisplugin_name=vis_second.dll\r\nvisplugin_num=2\r\n"));

    // Installing again into one folder, however a script spells the
    // command line, stays one installation that keeps what the player had
    // before the first; a folder with spaces is named by /D= unquoted.
    const std::string sameFolder[] = {
        "/S /D=" + player,
        "/s /D=" + player,             // the switch in lower case
        "/D=" + player + " /S",        // after the folder, which NSIS takes as part of it
        "/S /D=\\\\?\\" + player,        // the long-path form
    };
    for (const std::string& args : sameFolder) {
        SCOPED_TRACE(args);
        ASSERT_EQ(0u, runSetup(args));
    }
    ASSERT_EQ(0u, runSetup("/S /D=" + secondPlayer));
    EXPECT_EQ(2, uninstallEntries());
    EXPECT_NE(std::string::npos, uninstallValue(player, "DisplayName").find(player));
    EXPECT_NE(std::string::npos, uninstallValue(secondPlayer, "DisplayName").find(secondPlayer));
    EXPECT_EQ("vis_halder.dll", iniValue(firstIni, "Winamp", "visplugin_name"));
    EXPECT_EQ("vis_halder.dll", iniValue(secondIni, "Winamp", "visplugin_name"));

    // Each uninstaller puts back its own player's choice and leaves the
    // other installation working.
    ASSERT_EQ(0u, runUninstaller(player));
    EXPECT_EQ("vis_first.dll", iniValue(firstIni, "Winamp", "visplugin_name"));
    EXPECT_EQ("1", iniValue(firstIni, "Winamp", "visplugin_num"));
    EXPECT_FALSE(exists(plugins("vis_halder.dll")));
    EXPECT_TRUE(exists(player + "\\Plugins")) << "the player's own Plugins folder stays";
    EXPECT_TRUE(uninstallKeyExists(secondPlayer));
    EXPECT_TRUE(exists(secondPlayer + "\\Plugins\\vis_halder.dll"));
    EXPECT_EQ("vis_halder.dll", iniValue(secondIni, "Winamp", "visplugin_name"));

    // As Add/Remove Programs starts it: NSIS restarts it from a copy, which
    // can remove the uninstaller and the Plugins folder setup made.
    ASSERT_EQ(0u, run(uninstallValue(secondPlayer, "UninstallString") + " /S"));
    ASSERT_TRUE(eventually([&] { return !uninstallKeyExists(secondPlayer); }));
    EXPECT_EQ("vis_second.dll", iniValue(secondIni, "Winamp", "visplugin_name"));
    EXPECT_EQ("2", iniValue(secondIni, "Winamp", "visplugin_num"));
    EXPECT_FALSE(exists(secondPlayer + "\\Plugins")) << "setup made it, and it is empty again";
    EXPECT_EQ(0, uninstallEntries());
}

TEST_F(SetupProgram, QuietUninstallInPlaceStopsWhileTheDllIsHeldThenLeavesNothing)
{
    // Setup makes the second player's Plugins folder.
    ASSERT_EQ(0u, runSetup("/S /D=" + secondPlayer));
    const std::string quietUninstall = uninstallValue(secondPlayer, "QuietUninstallString");
    const std::string dll = secondPlayer + "\\Plugins\\vis_halder.dll";
    CreateDirectoryA(userSettings.c_str(), NULL);
    ASSERT_TRUE(writeFile(userSettings + "\\plugin.ini", settingsText(10, 20, 1, 0, 0)));

    // A program that holds the DLL stops it before anything has changed.
    HMODULE held = LoadLibraryA(dll.c_str());
    ASSERT_TRUE(held != NULL);
    EXPECT_EQ(kExitPlayerRunning, run(quietUninstall));
    FreeLibrary(held);
    EXPECT_TRUE(exists(dll));
    EXPECT_TRUE(uninstallKeyExists(secondPlayer));
    EXPECT_EQ(settingsText(10, 20, 1, 0, 0), readFile(userSettings + "\\plugin.ini"));

    // Once let go, nothing of ours is left: not the running uninstaller's own
    // file, which goes once it has ended, nor the folder, nor the user's copy
    // of the settings, which held nothing else.
    ASSERT_EQ(0u, run(quietUninstall));
    EXPECT_FALSE(uninstallKeyExists(secondPlayer));
    EXPECT_FALSE(exists(userSettings));
    EXPECT_TRUE(eventually([&] { return !exists(secondPlayer + "\\Plugins"); }))
        << (exists(secondPlayer + "\\Plugins\\" + kUninstaller) ? "the uninstaller" : "the folder")
        << " stays";

    // An upgrade script installs again the moment the uninstall has ended,
    // here while another program still reads the old uninstaller's file, so
    // that the removal of that file can only come late: it must leave the
    // new installation whole, and the last uninstall still takes the folder.
    ASSERT_EQ(0u, runSetup("/S /D=" + secondPlayer));
    const std::string uninstaller = secondPlayer + "\\Plugins\\" + kUninstaller;
    HANDLE reader = CreateFileA(uninstaller.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_TRUE(reader != INVALID_HANDLE_VALUE);
    EXPECT_EQ(0u, run(quietUninstall));
    EXPECT_EQ(0u, runSetup("/S /D=" + secondPlayer));
    CloseHandle(reader);
    EXPECT_TRUE(eventually([&] { return removalEnded(secondPlayer) && !commandProcessorRuns(); }));
    EXPECT_TRUE(exists(uninstaller));
    EXPECT_TRUE(exists(dll));
    ASSERT_EQ(0u, run(quietUninstall));
    EXPECT_TRUE(eventually([&] { return !exists(secondPlayer + "\\Plugins"); }));
}

} // namespace
