// Window read-back and PNG output for --capture.
#include "standin/capture.h"

#include <stdio.h>
#include <string.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FOPEN_WARNING
#include <stb_image_write.h>

struct WindowSearch {
    const char* className;
    HWND found;
};

static BOOL CALLBACK matchClass(HWND window, LPARAM lParam)
{
    WindowSearch* search = (WindowSearch*)lParam;
    char name[64];
    if (GetClassNameA(window, name, sizeof(name)) > 0 && strcmp(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findThreadWindow(const char* className)
{
    WindowSearch search = { className, NULL };
    EnumThreadWindows(GetCurrentThreadId(), matchClass, (LPARAM)&search);
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

static int isDirectory(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int makeDirectories(const char* path)
{
    char partial[MAX_PATH];
    const size_t length = strlen(path);
    if (length == 0 || length >= sizeof(partial))
        return 0;
    // Each prefix that ends before a separator is a parent to create; a
    // leading separator or drive ("C:") is not a folder of its own.
    for (size_t i = 1; i <= length; i++) {
        if (i < length && path[i] != '/' && path[i] != '\\')
            continue;
        memcpy(partial, path, i);
        partial[i] = '\0';
        if (partial[i - 1] != ':')
            CreateDirectoryA(partial, NULL);
    }
    return isDirectory(path);
}

int openCapture(FrameCapture* capture, const char* directory, char* error, size_t errorSize)
{
    memset(capture, 0, sizeof(*capture));
    if (strlen(directory) + sizeof("/frame_00000.png") > sizeof(capture->directory)) {
        snprintf(error, errorSize, "capture folder name too long: '%s'", directory);
        return 0;
    }
    if (!makeDirectories(directory)) {
        snprintf(error, errorSize, "cannot create capture folder '%s'", directory);
        return 0;
    }
    strcpy(capture->directory, directory);
    capture->window = findThreadWindow(PLUGIN_WINDOW_CLASS);
    if (!capture->window) {
        snprintf(error, errorSize, "no '%s' window to capture", PLUGIN_WINDOW_CLASS);
        return 0;
    }
    return 1;
}

int captureFrame(FrameCapture* capture, long frame, char* error, size_t errorSize)
{
    // The user may have closed the window; the run then ends on its quit message.
    if (!IsWindow(capture->window)) {
        snprintf(error, errorSize, "the '%s' window is gone", PLUGIN_WINDOW_CLASS);
        return 0;
    }
    if (!readWindowPixels(capture->window, CAPTURE_WIDTH, CAPTURE_HEIGHT, capture->rgb)) {
        snprintf(error, errorSize, "cannot read the window's pixels");
        return 0;
    }
    char path[MAX_PATH + 32];
    snprintf(path, sizeof(path), "%s/frame_%05ld.png", capture->directory, frame);
    if (!writePng(path, CAPTURE_WIDTH, CAPTURE_HEIGHT, capture->rgb)) {
        snprintf(error, errorSize, "cannot write '%s'", path);
        return 0;
    }
    return 1;
}
