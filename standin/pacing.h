// Which audio a real-time frame of a stream shows. The stream cannot tell a
// decoder that runs ahead of the clock from a live writer (a recording) but
// by how the ring behaves, so the choice is one pure function of what the
// frame loop knows when a frame is due, kept apart from the reading and the
// copying so that whole timelines can be checked against it.
//
// The rules, in order:
// - the first frame shows the start of the stream; from there the picture
//   follows the clock;
// - a writer that waits for room in the ring, or has half the ring ahead of
//   the picture, is ahead of the clock (a decoder): the clock alone moves the
//   picture, and the pipe holds the writer back. The second test keeps a
//   decoder that was slow for a moment from being taken for a live writer;
// - any other writer is live: once it is more than LIVE_LAG_FRAMES frames
//   ahead of the picture, the picture jumps to its newest audio. In the
//   first SETTLE_FRAMES frames a decoder may still be filling the ring and
//   look live, so no jump is made then;
// - when the clock has passed all the audio (an underrun, or the frame loop
//   held up longer than the ring lasts) the frames run on into silence, and
//   audio that comes after is shown as soon as it arrives, from where it
//   begins onwards as the clock goes, so neither a live writer that came back
//   at its own pace nor a decoder that refilled the ring stays behind;
// - once the input has ended the rest is shown at the clock's pace, and the
//   first frame past its end ends the run.
#ifndef HALDER_STANDIN_PACING_H
#define HALDER_STANDIN_PACING_H

#include <stdint.h>

enum {
    LIVE_LAG_FRAMES = 2,    // frames of delay a live writer may run ahead of the picture
    SETTLE_FRAMES = 4       // by then a decoder that is ahead has filled the ring
};

// The stream as the reader left it when a frame is due.
struct StreamFill {
    int64_t written;        // frames stored since the start
    int writerHeld;         // the writer waited for room since the previous frame, or waits now
    int ended;              // no more audio is coming
};

// What the pacing remembers from one frame to the next; all zero before the first.
struct PacingState {
    double originMs;        // the clock time at which the stream's frame 0 plays
    double previousMs;      // the clock at the previous frame
    int64_t writtenBefore;  // `written` at the previous frame
};

struct PacingInput {
    StreamFill fill;
    double nowMs;           // the clock now
    long framesShown;       // frames rendered so far: 0 for the first
    PacingState state;      // as the previous frame left it
    int sampleRate;
    int delayMs;            // the plug-in's pause between frames
    int64_t ringFrames;     // what the ring holds
};

struct PacingChoice {
    int64_t endFrame;       // the frame's spectrum is of the audio just before this; -1 ends the run
    PacingState state;      // for the next frame
};

PacingChoice paceRealTime(const PacingInput* input);

#endif
