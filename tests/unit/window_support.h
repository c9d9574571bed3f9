// A visualizer run inside the unit-test program: init and quit on the real
// module record, with this program standing in for the player and the
// settings file kept beside the test program.
#ifndef HALDER_TEST_WINDOW_SUPPORT_H
#define HALDER_TEST_WINDOW_SUPPORT_H

#include "support.h"

#include "settings/settings.h"
#include "support/files.h"
#include "support/pixels.h"
#include "window/layout.h"
#include "window/skin.h"
#include "window/window.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string>

std::string settingsFile();
void writeSettings(const std::string& text);
std::string readSettings();

class WindowRun : public ::testing::Test {
protected:
    VisModule* module = &visModule;
    HWND player = NULL;
    bool running = false;

    void SetUp() override;
    void TearDown() override;

    // Writes the settings, then init; the queue is drained afterwards.
    void start(int x, int y, int rain = 0, int mirror = 0, int reverse = 0);
    void stop();

    // Compares a rectangle of the window with a rectangle of a skin bitmap.
    void expectSkin(const Picture& window, int x, int y, int w, int h, const char* bitmap,
                    int sourceX, int sourceY, const char* what);
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(mainWindow, message, wParam, lParam);
    }
    void press(int x, int y) { send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    HWND closeButton() { return GetDlgItem(mainWindow, CLOSE_BUTTON_ID); }
};

#endif
