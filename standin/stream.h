// Raw PCM arriving on standard input, read by its own thread into a ring of
// a few seconds, so a stream of any length runs in constant memory and the
// frame loop never waits on the pipe.
#ifndef HALDER_STANDIN_STREAM_H
#define HALDER_STANDIN_STREAM_H

#include "plugin/vis.h"
#include "standin/spectrum.h"

#include <stddef.h>

enum { STREAM_MIN_RATE = 8000, STREAM_MAX_RATE = 192000 };

// Checks the format, starts the reader and waits for the first audio.
// Returns 0 with a one-line reason when the format is out of range or the
// input ends (or fails) before a whole frame of audio arrives.
int openStream(int sampleRate, int channels, int format, char* reason, size_t reasonSize);

// A FrameSource for runPlayback. In real time the audio follows the clock
// from the first frame: a writer that is ahead is held back by the pipe, a
// live one that is ahead by more than two frames is caught up with, and when
// the input falls behind the window runs on into silence until audio comes
// again, which is then shown at once. Offline it waits
// for the audio each frame shows. Returns 0 once the input has ended and the
// position has passed its last frame.
int streamFrameSource(void* context, long frame, double positionMs, VisModule* module);

// After the run: 0 with a one-line reason when the input failed or ended
// part-way through a frame (whatever came before it was still shown).
int streamEndedCleanly(char* reason, size_t reasonSize);

// Lets the reader go; a reader still blocked on the pipe ends with the process.
void closeStream(void);

#endif
