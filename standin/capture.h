// Finding the plug-in's window, reading it back after a frame and saving it
// as a PNG.
#ifndef HALDER_STANDIN_CAPTURE_H
#define HALDER_STANDIN_CAPTURE_H

#include <windows.h>

#include <stddef.h>

#include <string>
#include <vector>

// The plug-in's window: the first visible top-level window of this thread
// other than player, so any plug-in's window is found whatever its class,
// and a plug-in running in another process never answers; null if none.
HWND findPluginWindow(HWND player);

// Copies the top-left width x height pixels of window's client area into rgb
// (3 bytes a pixel, rows top to bottom). Pump messages first so that the
// window shows everything it has been asked to draw.
int readWindowPixels(HWND window, int width, int height, unsigned char* rgb);

int writePng(const char* path, int width, int height, const unsigned char* rgb);

struct FrameCapture {
    std::string directory;
    HWND window;
    int width;              // the window's client size when the capture opened
    int height;
    std::vector<unsigned char> rgb;  // one frame, width x height x 3
};

// Makes directory (and its parents) unless it exists; refuses one that
// already holds frame_*.png files, so no earlier run's frames are mixed in
// or overwritten. Returns 0 with a one-line reason.
int prepareCaptureFolder(const char* directory, char* error, size_t errorSize);

// Captures window into a folder prepared as above, at the size its client
// area has now, which every frame keeps.
int openCapture(FrameCapture* capture, HWND window, const char* directory, char* error,
                size_t errorSize);

// Writes the window as directory/frame_NNNNN.png.
int captureFrame(FrameCapture* capture, long frame, char* error, size_t errorSize);

#endif
