// Reading drawn pixels back: whole client areas, and the 8 x 2 cells that
// bars are built of.
#ifndef HALDER_TEST_PIXELS_H
#define HALDER_TEST_PIXELS_H

#include <windows.h>

#include <string>
#include <vector>

// Skin palette colours as they reach a true-colour screen.
const COLORREF kBlack = RGB(8, 8, 16);
const COLORREF kUnlit = RGB(0, 64, 64);
const COLORREF kReflection = RGB(0, 128, 128);
const COLORREF kLit = RGB(0, 255, 255);

// Dispatches every waiting message of this thread (WM_QUIT included is
// dropped; see takeQuit to look for one).
void drainMessages();

// Dispatches waiting messages; returns 1 and the exit code if a WM_QUIT came.
int takeQuit(int* exitCode);

// A width x height picture of dc from (x, y), as RGB values row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Picture capture(HDC dc, int x, int y, int width, int height);
Picture captureClient(HWND window);

// One letter per 8 x 2 cell from the top of an 8-pixel column at x:
// 'L' lit, 'u' unlit, 'r' reflection, '?' anything else. A cell only counts
// when its gap column and gap row are black too.
std::string cellColumn(HDC dc, int x, int cells = 47);
std::string cellColumn(const Picture& picture, int x, int top, int cells = 47);

std::string colorName(COLORREF color);

#endif
