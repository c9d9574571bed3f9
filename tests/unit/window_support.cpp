#include "window_support.h"

std::string settingsFile()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    std::string file = path;
    return file.substr(0, file.rfind('\\') + 1) + "plugin.ini";
}

void writeSettings(const std::string& text)
{
    ASSERT_TRUE(writeFile(settingsFile(), text));
}

std::string readSettings()
{
    return readFile(settingsFile());
}

static LRESULT CALLBACK playerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

void WindowRun::SetUp()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = playerProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "unitTestPlayer";
    RegisterClassA(&windowClass);
    player = CreateWindowExA(0, "unitTestPlayer", "player", WS_POPUP | WS_VISIBLE, 700, 700, 50,
                             50, NULL, NULL, windowClass.hInstance, NULL);
    module->parentWindow = player;
    module->instance = GetModuleHandleA(NULL);
    module->channelCount = 2;
    clearSpectrum(module);
    DeleteFileA(settingsFile().c_str());
    // Nor a user's copy, which an earlier program may have left and which
    // would win over the file beside the test program.
    if (buildUserSettingsPath())
        DeleteFileW(userSettingsFile);
    screenX = screenY = 0;
    isRain = isMirror = isReverse = 0;
    displayMode = MODE_NORMAL;
    isActive = 1;
    resetBarState();
}

void WindowRun::TearDown()
{
    if (running)
        stop();
    drainMessages();
    DestroyWindow(player);
    UnregisterClassA("unitTestPlayer", GetModuleHandleA(NULL));
    DeleteFileA(settingsFile().c_str());
}

void WindowRun::start(int x, int y, int rain, int mirror, int reverse)
{
    writeSettings(settingsText(x, y, rain, mirror, reverse));
    ASSERT_EQ(0, init(module));
    running = true;
    ASSERT_NE(nullptr, mainWindow);
    drainMessages();
}

void WindowRun::stop()
{
    quit(module);
    running = false;
    drainMessages();
}

void WindowRun::expectSkin(const Picture& window, int x, int y, int w, int h, const char* bitmap,
                           int sourceX, int sourceY, const char* what)
{
    HBITMAP skin = LoadBitmapA(GetModuleHandleA(NULL), bitmap);
    ASSERT_NE(nullptr, skin);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ held = SelectObject(dc, skin);
    Picture expected = capture(dc, sourceX, sourceY, w, h);
    SelectObject(dc, held);
    DeleteDC(dc);
    DeleteObject(skin);
    int wrong = 0;
    for (int j = 0; j < h && wrong < 3; j++) {
        for (int i = 0; i < w && wrong < 3; i++) {
            if (window.at(x + i, y + j) == expected.at(i, j))
                continue;
            wrong++;
            ADD_FAILURE() << what << ": at client (" << x + i << ", " << y + j << ") "
                          << colorName(window.at(x + i, y + j)) << ", expected "
                          << colorName(expected.at(i, j)) << " from " << bitmap;
        }
    }
}
