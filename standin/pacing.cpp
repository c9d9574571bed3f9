// The real-time choice of audio for a stream's frames; the rules are in the header.
#include "standin/pacing.h"

#include <math.h>

// Frames of audio in ms milliseconds.
static int64_t framesIn(double ms, int sampleRate)
{
    return (int64_t)llround(ms * sampleRate / 1000.0);
}

PacingChoice paceRealTime(const PacingInput* input)
{
    const StreamFill* fill = &input->fill;
    const double now = input->nowMs;
    PacingChoice choice;
    choice.state = input->state;
    if (input->framesShown == 0) {
        choice.state.originMs = now;
        choice.state.previousMs = now;
    }
    const int rate = input->sampleRate;
    const int64_t clockPosition = framesIn(now - choice.state.originMs, rate);
    const int64_t frameStep = framesIn(input->delayMs > 0 ? input->delayMs : 1, rate);
    const int ahead = fill->writerHeld || fill->written - clockPosition >= input->ringFrames / 2;
    const int live = !fill->ended && !ahead && input->framesShown >= SETTLE_FRAMES;
    const int arrived = fill->written > input->state.writtenBefore;

    int64_t position = clockPosition;
    if (live && fill->written - position > LIVE_LAG_FRAMES * frameStep) {
        position = fill->written;
    } else if (position > fill->written && arrived) {
        // Resume where the new audio begins, moved on by the time since the
        // previous frame but never past what has come.
        const int64_t resumed =
            input->state.writtenBefore + framesIn(now - choice.state.previousMs, rate);
        position = resumed < fill->written ? resumed : fill->written;
    }
    if (position != clockPosition)
        choice.state.originMs = now - position * 1000.0 / rate;
    choice.state.previousMs = now;
    choice.state.writtenBefore = fill->written;
    choice.endFrame = fill->ended && position > fill->written ? -1 : position;
    return choice;
}
