// The skin: the five bitmaps from the library's resources, the two memory
// contexts every copy goes through, the bar buffer, and panel painting.
#ifndef HALDER_SKIN_H
#define HALDER_SKIN_H

#include <windows.h>

#include <stdint.h>

// Skin state, one set per run, from createSkin to destroySkin. Between any
// two messages or frames skinDC holds barStrip and bufferDC holds barBuffer;
// whatever selects something else puts the previous bitmap back.
extern HDC skinDC;                  // source of every copy
extern HDC bufferDC;                // destination while the bar area is composed
extern HBITMAP faceBitmap;          // the five resource bitmaps, only read; above
                                    // scale 1, copies with each pixel repeated
extern HBITMAP titlebarBitmap;
extern HBITMAP meterBitmap;
extern HBITMAP indicatorBitmap;
extern HBITMAP scaleBitmap;
extern HBITMAP barBuffer;           // 288 x 94 (times windowScale): the bar area
                                    // as last composed
extern HBITMAP barStrip;            // 384 x 94 (times windowScale): one column
                                    // per bar height
extern HGDIOBJ skinDCInitial;       // what each context held when new
extern HGDIOBJ bufferDCInitial;
extern uint16_t* scale48;           // level to height tables, or null
extern uint16_t* scale32;

// Creates the contexts, bitmaps, first strip, empty bar area and scales, at
// windowScale.
// Returns 1 when every one of them exists, 0 when any could not be made (a
// process out of GDI handles, say); the caller then releases the rest with
// destroySkin.
int createSkin(HINSTANCE instance);

// Releases everything createSkin made; safe after a partial createSkin and
// when nothing exists.
void destroySkin(void);

// Rebuilds the whole skin at another scale; the bar area starts empty and
// the next frame fills it. Where the art cannot be made at that scale, it is
// made at scale 1, which needs the least. Returns the scale it now has.
int rescaleSkin(HINSTANCE instance, int scale);

// Paints the whole panel into dc. Draws nothing while there is no skin.
void paintPanel(HWND window, HDC dc);

// Draws the owner-drawn close button in its pressed, active or inactive look.
void drawCloseButton(const DRAWITEMSTRUCT* item);

#endif
