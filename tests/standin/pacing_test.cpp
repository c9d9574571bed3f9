// The real-time choice of a stream's audio, frame by frame along timelines
// of what the writer did. At 8000 Hz and 25 ms a frame, a frame's step is 200
// frames of audio and a live writer may be 400 ahead; the ring holds 16000.
#include "standin/pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One frame: when it is due, what the reader has stored by then, and the end
// frame of the audio it must show (-1: the run ends instead).
struct Moment {
    double nowMs;
    int64_t written;
    int held;       // the writer waited for room
    int ended;
    int64_t shows;
};

struct Timeline {
    const char* name;
    std::vector<Moment> moments;
};

TEST(Pacing, EachTimelineShowsTheAudioItShould)
{
    const Timeline timelines[] = {
        { "a decoder that runs ahead: held back by the ring, so the clock moves the picture",
          { { 1000, 3000, 0, 0, 0 },
            { 1025, 9000, 0, 0, 200 },       // still filling the ring: not taken for live
            { 1050, 16000, 1, 0, 400 },
            { 1075, 16200, 1, 0, 600 },
            { 1105, 16400, 1, 0, 840 },      // a late frame shows the audio of its moment
            { 1125, 16640, 1, 0, 1000 },
            { 1150, 16700, 0, 0, 1200 },     // slow for a moment, but still far ahead
            { 2150, 16900, 1, 0, 9200 } } }, // held up for a second: the missed second is skipped
        { "a live writer: caught up with once more than two frames ahead",
          { { 1000, 2400, 0, 0, 0 },         // 300 ms piled up while the stand-in started
            { 1025, 2600, 0, 0, 200 },
            { 1050, 2800, 0, 0, 400 },
            { 1075, 3000, 0, 0, 600 },
            { 1100, 3200, 0, 0, 3200 },
            { 1125, 3400, 0, 0, 3400 },
            { 1150, 4000, 0, 0, 3600 },      // two frames ahead is allowed
            { 1175, 4300, 0, 0, 4300 },
            { 1200, 4500, 0, 0, 4500 } } },
        { "an underrun and the recovery from it",
          { { 1000, 100, 0, 0, 0 },
            { 1025, 300, 0, 0, 200 },
            { 1050, 500, 0, 0, 400 },
            { 1075, 700, 0, 0, 600 },
            { 1100, 900, 0, 0, 800 },
            { 1125, 900, 0, 0, 1000 },       // the writer fell silent: frames run into silence
            { 1150, 900, 0, 0, 1200 },
            { 1175, 900, 0, 0, 1400 },
            { 1200, 980, 0, 0, 980 },        // what comes next shows at once
            { 1225, 1180, 0, 0, 1180 } } },
        { "a writer that comes back at its own pace, slower than the clock",
          { { 1000, 100, 0, 0, 0 },
            { 1025, 300, 0, 0, 200 },
            { 1050, 500, 0, 0, 400 },
            { 1075, 700, 0, 0, 600 },
            { 1100, 900, 0, 0, 800 },
            { 1125, 900, 0, 0, 1000 },
            { 1150, 900, 0, 0, 1200 },
            { 1175, 1080, 0, 0, 1080 },
            { 1200, 1260, 0, 0, 1260 },
            { 1225, 1440, 0, 0, 1440 } } },
        { "a stall longer than the ring: the newest audio in it, then the writer's newest",
          { { 1000, 100, 0, 0, 0 },
            { 1025, 300, 0, 0, 200 },
            { 1050, 500, 0, 0, 400 },
            { 1075, 700, 0, 0, 600 },
            { 1100, 900, 0, 0, 800 },
            { 4100, 15648, 1, 0, 15648 },    // 3 s held up: the ring filled and the writer waited
            { 4125, 17248, 0, 0, 17248 },    // what the pipe held came in at once
            { 4150, 17448, 0, 0, 17448 } } },
        { "the end of the input: the rest at the clock's pace, then the run ends",
          { { 1000, 16000, 1, 0, 0 },
            { 1025, 16000, 0, 1, 200 },
            { 3000, 16000, 0, 1, 16000 },
            { 3025, 16000, 0, 1, -1 } } },
    };
    for (const Timeline& timeline : timelines) {
        SCOPED_TRACE(timeline.name);
        PacingState state = {};
        long frame = 0;
        for (const Moment& moment : timeline.moments) {
            PacingInput input;
            input.fill.written = moment.written;
            input.fill.writerHeld = moment.held;
            input.fill.ended = moment.ended;
            input.nowMs = moment.nowMs;
            input.framesShown = frame;
            input.state = state;
            input.sampleRate = 8000;
            input.delayMs = 25;
            input.ringFrames = 16000;
            const PacingChoice choice = paceRealTime(&input);
            EXPECT_EQ(moment.shows, choice.endFrame) << "frame " << frame << " at " << moment.nowMs << " ms";
            state = choice.state;
            frame++;
        }
    }
}

} // namespace
