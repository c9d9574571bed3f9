// Window read-back and PNG output for --capture.
#include "standin/capture.h"

#include "standin/common.h"

#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <system_error>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FOPEN_WARNING
// File names are UTF-8, as everywhere in the stand-in.
#define STBIW_WINDOWS_UTF8
#include <stb_image_write.h>

struct WindowSearch {
    HWND player;
    HWND found;
};

// Skips the player's window and hidden ones: Windows and Wine alike give a
// thread with windows a hidden IME window.
static BOOL CALLBACK matchPluginWindow(HWND window, LPARAM lParam)
{
    WindowSearch* search = (WindowSearch*)lParam;
    if (window == search->player || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND findPluginWindow(HWND player)
{
    WindowSearch search = { player, NULL };
    EnumThreadWindows(GetCurrentThreadId(), matchPluginWindow, (LPARAM)&search);
    return search.found;
}

int readWindowPixels(HWND window, int width, int height, unsigned char* rgb)
{
    HDC windowDC = GetDC(window);
    if (!windowDC)
        return 0;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top to bottom, as PNG wants them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP dib = CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    int ok = 0;
    if (dib && memoryDC) {
        HGDIOBJ previous = SelectObject(memoryDC, dib);
        ok = BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        const unsigned char* bgrx = (const unsigned char*)bits;
        for (int i = 0; ok && i < width * height; i++) {
            rgb[3 * i + 0] = bgrx[4 * i + 2];
            rgb[3 * i + 1] = bgrx[4 * i + 1];
            rgb[3 * i + 2] = bgrx[4 * i + 0];
        }
        SelectObject(memoryDC, previous);
    }
    if (memoryDC)
        DeleteDC(memoryDC);
    if (dib)
        DeleteObject(dib);
    ReleaseDC(window, windowDC);
    return ok;
}

int writePng(const char* path, int width, int height, const unsigned char* rgb)
{
    return stbi_write_png(path, width, height, 3, rgb, width * 3) != 0;
}

int prepareCaptureFolder(const char* directory, char* error, size_t errorSize)
{
    const std::wstring folder = widePath(directory);
    if (folder.size() + sizeof("/frame_00000.png") > MAX_PATH)
        return fail(error, errorSize, "capture folder name too long: '%s'", directory);
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (!isFolder(directory)) {
        return fail(error, errorSize, "cannot create capture folder '%s'%s%s", directory,
                    failure ? ": " : "", failure ? failure.message().c_str() : "");
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"/frame_*.png").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return fail(error, errorSize,
                    "capture folder '%s' already holds frames (%s); give a new or empty folder",
                    directory, utf8Path(found.cFileName).c_str());
    }
    return 1;
}

int openCapture(FrameCapture* capture, HWND window, const char* directory, char* error,
                size_t errorSize)
{
    if (!window)
        return fail(error, errorSize, "the plug-in opened no window to capture");
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return fail(error, errorSize, "the plug-in's window has no area to capture");
    capture->directory = directory;
    capture->window = window;
    capture->width = client.right;
    capture->height = client.bottom;
    capture->rgb.assign((size_t)capture->width * capture->height * 3, 0);
    return 1;
}

int captureFrame(FrameCapture* capture, long frame, char* error, size_t errorSize)
{
    // The user may have closed the window; the run then ends on its quit message.
    if (!IsWindow(capture->window))
        return fail(error, errorSize, "the plug-in's window is gone");
    if (!readWindowPixels(capture->window, capture->width, capture->height, capture->rgb.data()))
        return fail(error, errorSize, "cannot read the window's pixels");
    char name[32];
    snprintf(name, sizeof(name), "/frame_%05ld.png", frame);
    const std::string path = capture->directory + name;
    if (!writePng(path.c_str(), capture->width, capture->height, capture->rgb.data()))
        return fail(error, errorSize, "cannot write '%s'", path.c_str());
    return 1;
}
