// The records the player and a visualization plug-in exchange: the header the
// library exports and the module the player drives. Shared by the plug-in and
// the player stand-in, so both sides agree on every field's place and width.
#ifndef HALDER_VIS_H
#define HALDER_VIS_H

#include <windows.h>

// The player calls every entry with the C calling convention.
#define VIS_CALL __cdecl

#define VIS_HEADER_VERSION 0x101
#define VIS_SPECTRUM_BINS 576
#define VIS_MAX_CHANNELS 2

struct VisModule;

typedef VisModule* (VIS_CALL* VisGetModuleProc)(int index);

struct VisHeader {
    int version;                    // VIS_HEADER_VERSION
    const char* description;        // name and version of the library
    VisGetModuleProc getModule;     // module for an index, or null past the last one
};

struct VisModule {
    const char* description;        // module name; also window title and settings section
    HWND parentWindow;              // (player) owner of our windows, receiver of forwarded keys
    HINSTANCE instance;             // (player) this library's instance handle
    int sampleRate;                 // (player) not read
    int channelCount;               // (player) spectrum channels to fold, at most 2
    int latencyMs;                  // latency from render to screen the module states
    int delayMs;                    // pause the module asks for between renders
    int spectrumChannels;           // spectrum channels the module wants
    int waveformChannels;           // waveform channels the module wants
    unsigned char spectrumData[VIS_MAX_CHANNELS][VIS_SPECTRUM_BINS]; // (player) magnitudes, per frame
    unsigned char waveformData[VIS_MAX_CHANNELS][VIS_SPECTRUM_BINS]; // (player) not used
    void (VIS_CALL* config)(VisModule* module); // shows the About box; returns when it closes
    int (VIS_CALL* init)(VisModule* module);    // starts a run: 0 success, 1 failure
    int (VIS_CALL* render)(VisModule* module);  // draws one frame: 0 to go on
    void (VIS_CALL* quit)(VisModule* module);   // ends the run begun by a successful init
    void* userData;                 // null, not used
};

// The library's one export: the address of its static header.
typedef VisHeader* (VIS_CALL* VisGetHeaderProc)(void);

#endif
