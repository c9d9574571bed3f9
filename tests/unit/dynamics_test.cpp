// Bar dynamics frame by frame: levels, peaks, drops and holds of every mode.
#include "support.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int frame;
    unsigned level, peak, fall, hold;
};



struct ModeCase {
    const char* name;
    Renderer render;
    const uint16_t* level;
    const uint16_t* peak;
    const uint16_t* fall; // null in peak-marker modes
    const uint16_t* hold;
    std::vector<Expected> rows;
};

class Dynamics : public ::testing::Test {
protected:
    VisModule module;
    void SetUp() override
    {
        resetBarState();
        module = visModule;
        module.channelCount = 2;
        clearSpectrum(&module);
    }
};

// Input 128 on bar 0 in frame 0 and silence after it, in each mode.
std::vector<ModeCase> impulseCases()
{
    return {
        { "normal", renderNormal, normalLevel, normalPeak, nullptr, normalHold,
          { { 0, 128, 128, 0, 10 }, { 1, 120, 128, 0, 9 }, { 10, 48, 128, 0, 0 },
            { 11, 40, 120, 0, 0 }, { 16, 0, 80, 0, 0 }, { 25, 0, 8, 0, 0 },
            { 26, 0, 0, 0, 0 }, { 30, 0, 0, 0, 0 } } },
        { "rain", renderRain, rainLevel, rainPeak, rainFall, rainHold,
          { { 0, 128, 128, 0, 10 }, { 10, 48, 128, 0, 0 }, { 11, 40, 128, 8, 0 },
            { 12, 32, 128, 16, 0 }, { 25, 0, 128, 120, 0 }, { 26, 0, 0, 0, 0 },
            { 30, 0, 0, 0, 0 } } },
        { "mirror", renderMirror, mirrorLevel, mirrorPeak, nullptr, mirrorHold,
          { { 0, 128, 128, 0, 10 }, { 1, 118, 128, 0, 9 }, { 10, 28, 128, 0, 0 },
            { 11, 18, 118, 0, 0 }, { 12, 8, 108, 0, 0 }, { 13, 0, 98, 0, 0 },
            { 22, 0, 8, 0, 0 }, { 23, 0, 0, 0, 0 } } },
        { "rainMirror", renderRainMirror, rainMirrorLevel, rainMirrorPeak, rainMirrorFall,
          rainMirrorHold,
          { { 0, 128, 128, 0, 10 }, { 10, 28, 128, 0, 0 }, { 11, 18, 128, 10, 0 },
            { 22, 0, 128, 120, 0 }, { 23, 0, 0, 0, 0 }, { 26, 0, 0, 0, 0 } } },
    };
}

TEST_F(Dynamics, ImpulseRisesHoldsAndSinksInEveryMode)
{
    for (const ModeCase& mode : impulseCases()) {
        SCOPED_TRACE(mode.name);
        resetBarState();
        size_t next = 0;
        for (int frame = 0; next < mode.rows.size(); frame++) {
            clearSpectrum(&module);
            if (frame == 0)
                setBarInput(&module, 0, 128);
            EXPECT_EQ(0, mode.render(&module, NULL));
            const Expected& row = mode.rows[next];
            if (row.frame != frame)
                continue;
            next++;
            SCOPED_TRACE(testing::Message() << "frame " << frame);
            EXPECT_EQ(row.level, mode.level[0]);
            EXPECT_EQ(row.peak, mode.peak[0]);
            if (mode.fall) {
                EXPECT_EQ(row.fall, mode.fall[0]);
            }
            EXPECT_EQ(row.hold, mode.hold[0]);
            // The other 35 bars saw only silence.
            for (int i = 1; i < BAR_COUNT; i++)
                ASSERT_EQ(0u, mode.level[i] + mode.peak[i] + mode.hold[i]) << "bar " << i;
        }
    }
}

TEST_F(Dynamics, DropStillFallingBlocksANewOneUnlessTheInputPassesIt)
{
    // A drop released at 150 that has fallen 50 levels: peak + fall = 200.
    BarState bar = { 0, 150, 50, 0 };
    updateDropBar(&bar, 200, STEP_NARROW);
    EXPECT_EQ(200u, bar.level);
    EXPECT_EQ(150u, bar.peak) << "an input of 200 must not release a new drop";
    EXPECT_EQ(58u, bar.fall) << "the old drop keeps falling";

    bar = BarState { 0, 150, 50, 0 };
    updateDropBar(&bar, 201, STEP_NARROW);
    EXPECT_EQ(201u, bar.peak);
    EXPECT_EQ(0u, bar.fall);
    EXPECT_EQ(10u, bar.hold);

    // An input below the decayed level neither sets the level nor releases.
    bar = BarState { 230, 150, 50, 0 };
    updateDropBar(&bar, 210, STEP_NARROW);
    EXPECT_EQ(222u, bar.level);
    EXPECT_EQ(150u, bar.peak);
}

TEST_F(Dynamics, DropEndsAtTheModesLimit)
{
    // A held-out drop at peak 100 whose peak + fall is at or just under the
    // limit: 248 with the narrow step, 246 with the wide one.
    const struct { unsigned fall, step; bool ends; } rows[] = {
        { 148, STEP_NARROW, true }, { 147, STEP_NARROW, false }, { 146, STEP_NARROW, false },
        { 146, STEP_WIDE, true }, { 145, STEP_WIDE, false },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "peak + fall " << 100 + row.fall << ", step " << row.step);
        BarState bar = { 0, 100, (uint16_t)row.fall, 0 };
        updateDropBar(&bar, 0, row.step);
        EXPECT_EQ(row.ends ? 0u : 100u, bar.peak);
        EXPECT_EQ(row.ends ? 0u : row.fall + row.step, bar.fall);
    }
}

TEST_F(Dynamics, RisingInputKeepsRaisingThePeakSoNoMarkerShows)
{
    BarState bar = { 0, 0, 0, 0 };
    for (unsigned v = 10; v <= 250; v += 10) {
        updatePeakBar(&bar, v, STEP_NARROW);
        ASSERT_EQ(v, bar.peak);
        ASSERT_EQ(10u, bar.hold) << "at input " << v;
    }
}

TEST_F(Dynamics, FoldTakesTheLargestByteOverBinsAndChannels)
{
    module.spectrumData[0][8 * 5 + 7] = 40;   // last bin of bar 5, channel 0
    module.spectrumData[1][8 * 5 + 2] = 255;  // channel 1 wins
    module.spectrumData[0][8 * 6] = 17;       // bar 6's first bin
    module.spectrumData[0][8 * 5 - 1] = 250;  // bar 4's last bin, not bar 5's
    EXPECT_EQ(255u, foldBar(&module, 5));
    EXPECT_EQ(17u, foldBar(&module, 6));
    EXPECT_EQ(250u, foldBar(&module, 4));

    module.channelCount = 1;
    EXPECT_EQ(40u, foldBar(&module, 5)) << "channel 1 is not read with one channel";

    module.channelCount = 0;
    EXPECT_EQ(0u, foldBar(&module, 5));
    module.channelCount = -3;
    EXPECT_EQ(0u, foldBar(&module, 5));
}

TEST_F(Dynamics, FoldReadsOnlyTheFirst288BinsAndNeverPastTwoChannels)
{
    memset(module.spectrumData[0] + 288, 255, VIS_SPECTRUM_BINS - 288);
    memset(module.waveformData, 255, sizeof(module.waveformData));
    module.channelCount = 7;
    for (int i = 0; i < BAR_COUNT; i++)
        ASSERT_EQ(0u, foldBar(&module, i)) << "bar " << i;
}

TEST_F(Dynamics, ChannelCountZeroLetsEverythingSinkToNothing)
{
    module.channelCount = 2;
    memset(module.spectrumData, 200, sizeof(module.spectrumData));
    renderNormal(&module, NULL);
    renderRain(&module, NULL);
    module.channelCount = 0;
    for (int frame = 0; frame < 60; frame++) {
        renderNormal(&module, NULL);
        renderRain(&module, NULL);
    }
    for (int i = 0; i < BAR_COUNT; i++) {
        ASSERT_EQ(0u, normalLevel[i] + normalPeak[i] + normalHold[i]);
        ASSERT_EQ(0u, rainLevel[i] + rainPeak[i] + rainFall[i] + rainHold[i]);
    }
}

TEST_F(Dynamics, ModeLeftAndResumedContinuesFromItsOwnState)
{
    setBarInput(&module, 3, 180);
    renderNormal(&module, NULL);
    clearSpectrum(&module);
    renderNormal(&module, NULL);
    const unsigned level = normalLevel[3], peak = normalPeak[3], hold = normalHold[3];

    for (int frame = 0; frame < 20; frame++)
        renderMirror(&module, NULL);
    EXPECT_EQ(level, normalLevel[3]);
    EXPECT_EQ(peak, normalPeak[3]);
    EXPECT_EQ(hold, normalHold[3]);

    renderNormal(&module, NULL);
    EXPECT_EQ(level - 8, normalLevel[3]);
    EXPECT_EQ(hold - 1, normalHold[3]);
}

TEST_F(Dynamics, RenderDispatchesOnTheDisplayMode)
{
    setBarInput(&module, 0, 99);
    const struct {
        unsigned mode;
        const uint16_t* level;
    } routes[] = { { MODE_NORMAL, normalLevel }, { MODE_RAIN, rainLevel },
                   { MODE_MIRROR, mirrorLevel }, { MODE_RAIN_MIRROR, rainMirrorLevel } };
    for (const auto& route : routes) {
        resetBarState();
        displayMode = route.mode;
        EXPECT_EQ(0, render(&module));
        for (const auto& other : routes)
            EXPECT_EQ(other.level == route.level ? 99u : 0u, other.level[0])
                << "display mode " << route.mode;
    }
    resetBarState();
    displayMode = 4;
    EXPECT_EQ(0, render(&module));
    for (const auto& other : routes)
        EXPECT_EQ(0u, other.level[0]);
    displayMode = MODE_NORMAL;
}

} // namespace
