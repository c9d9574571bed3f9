#include "support/pixels.h"

#include <stdio.h>

void drainMessages()
{
    int ignored;
    takeQuit(&ignored);
}

int takeQuit(int* exitCode)
{
    int quit = 0;
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = 1;
            *exitCode = (int)message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

Picture capture(HDC dc, int x, int y, int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP dib = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC memory = CreateCompatibleDC(NULL);
    HGDIOBJ held = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    picture.pixels.resize((size_t)width * height);
    const DWORD* source = (const DWORD*)bits;
    for (size_t i = 0; i < picture.pixels.size(); i++) {
        DWORD p = source[i];
        picture.pixels[i] = RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
    }
    SelectObject(memory, held);
    DeleteDC(memory);
    DeleteObject(dib);
    return picture;
}

Picture captureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    Picture picture = capture(dc, 0, 0, client.right, client.bottom);
    ReleaseDC(window, dc);
    return picture;
}

static char cellLetter(COLORREF line, COLORREF gapRight, COLORREF gapBelow)
{
    if (gapRight != kBlack || gapBelow != kBlack)
        return '?';
    if (line == kLit)
        return 'L';
    if (line == kUnlit)
        return 'u';
    if (line == kReflection)
        return 'r';
    return '?';
}

std::string cellColumn(const Picture& picture, int x, int top, int cells)
{
    std::string column;
    for (int c = 0; c < cells; c++) {
        int y = top + 2 * c;
        COLORREF line = picture.at(x, y);
        for (int dx = 1; dx < 7; dx++) {
            if (picture.at(x + dx, y) != line)
                line = CLR_INVALID;
        }
        column += cellLetter(line, picture.at(x + 7, y), picture.at(x + 3, y + 1));
    }
    return column;
}

std::string cellColumn(HDC dc, int x, int cells)
{
    Picture picture = capture(dc, x, 0, 8, 2 * cells);
    return cellColumn(picture, 0, 0, cells);
}

std::string colorName(COLORREF color)
{
    char text[32];
    snprintf(text, sizeof(text), "RGB(%d,%d,%d)", GetRValue(color), GetGValue(color),
             GetBValue(color));
    return text;
}
