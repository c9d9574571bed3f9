// Reading the plug-in's window back after a frame and saving it as a PNG.
#ifndef HALDER_STANDIN_CAPTURE_H
#define HALDER_STANDIN_CAPTURE_H

#include <windows.h>

#include <stddef.h>

enum { CAPTURE_WIDTH = 363, CAPTURE_HEIGHT = 150 };

#define PLUGIN_WINDOW_CLASS "halderVis"

// The first top-level window of className that belongs to this thread, so a
// plug-in running in another process never answers; null if there is none.
HWND findThreadWindow(const char* className);

// Copies the top-left width x height pixels of window's client area into rgb
// (3 bytes a pixel, rows top to bottom). Pump messages first so that the
// window shows everything it has been asked to draw.
int readWindowPixels(HWND window, int width, int height, unsigned char* rgb);

int writePng(const char* path, int width, int height, const unsigned char* rgb);

// Creates path and any missing parents; 1 if it exists as a folder afterwards.
int makeDirectories(const char* path);

struct FrameCapture {
    char directory[MAX_PATH];
    HWND window;
    unsigned char rgb[CAPTURE_WIDTH * CAPTURE_HEIGHT * 3];
};

// Prepares directory and finds the plug-in's window (call after init).
int openCapture(FrameCapture* capture, const char* directory, char* error, size_t errorSize);

// Writes the window as directory/frame_NNNNN.png.
int captureFrame(FrameCapture* capture, long frame, char* error, size_t errorSize);

#endif
