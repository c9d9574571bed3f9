// Level scales, the bar strip and frame drawing, read back from the memory
// contexts: skinDC holds the strip, bufferDC the composed bar area.
#include "support.h"

#include "display/frame.h"
#include "display/scales.h"
#include "display/strip.h"
#include "support/pixels.h"
#include "window/skin.h"

#include <gtest/gtest.h>

namespace {

TEST(LevelScale, TellingRowsTruncateTheQuarterSine)
{
    uint16_t* s48 = buildLevelScale(48);
    uint16_t* s32 = buildLevelScale(32);
    ASSERT_TRUE(s48 && s32);
    const struct { int level; unsigned h48, h32; } rows[] = {
        { 0, 0, 0 }, { 3, 0, 0 }, { 4, 1, 0 }, { 5, 1, 0 }, { 6, 1, 1 }, { 7, 2, 1 },
        { 59, 16, 11 }, { 128, 33, 22 }, { 215, 46, 30 }, { 216, 46, 31 }, { 222, 46, 31 },
        { 223, 47, 31 }, { 255, 47, 31 },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.h48, s48[row.level]) << "scale48 at level " << row.level;
        EXPECT_EQ(row.h32, s32[row.level]) << "scale32 at level " << row.level;
    }
    for (int i = 1; i < 256; i++) {
        ASSERT_LE(s48[i - 1], s48[i]) << "scale48 falls at " << i;
        ASSERT_LE(s32[i - 1], s32[i]) << "scale32 falls at " << i;
    }
    GlobalFree(s48);
    GlobalFree(s32);
}

// A skin made from this test program's own resources, without a window.
class Skin : public ::testing::Test {
protected:
    VisModule module;
    void SetUp() override
    {
        resetBarState();
        isReverse = 0;
        setMode(MODE_NORMAL);
        createSkin(GetModuleHandleA(NULL));
        ASSERT_NE(nullptr, meterBitmap) << "the skin bitmaps are not in the resources";
        module = visModule;
        module.channelCount = 2;
        clearSpectrum(&module);
    }
    void TearDown() override
    {
        destroySkin();
        isReverse = 0;
        setMode(MODE_NORMAL);
    }
    void setMode(unsigned mode)
    {
        isRain = (mode & MODE_RAIN) ? 1 : 0;
        isMirror = (mode & MODE_MIRROR) ? 1 : 0;
        displayMode = computeDisplayMode();
    }
    std::string stripColumn(int k) { return cellColumn(skinDC, 8 * k); }
    std::string barColumn(int i) { return cellColumn(bufferDC, 8 * i); }
};

std::string repeat(int n, char c) { return std::string((size_t)n, c); }

TEST_F(Skin, StripColumnsOfTheSingleFieldModes)
{
    buildBarStrip();
    EXPECT_EQ(repeat(47, 'u'), stripColumn(0));
    EXPECT_EQ(repeat(46, 'u') + "L", stripColumn(1));
    EXPECT_EQ(repeat(14, 'u') + repeat(33, 'L'), stripColumn(33));
    EXPECT_EQ(repeat(47, 'L'), stripColumn(47));

    setMode(MODE_RAIN);
    buildBarStrip();
    EXPECT_EQ(repeat(47, 'u'), stripColumn(0));
    EXPECT_EQ("L" + repeat(46, 'u'), stripColumn(1));
    EXPECT_EQ(repeat(47, 'L'), stripColumn(47));

    isReverse = 1;
    buildBarStrip();
    EXPECT_EQ(repeat(47, 'L'), stripColumn(0));
    EXPECT_EQ("u" + repeat(46, 'L'), stripColumn(1));
}

TEST_F(Skin, StripColumnsOfTheMirrorModes)
{
    // Main field of 31 cells, then the 16-cell reflection field.
    setMode(MODE_MIRROR);
    buildBarStrip();
    EXPECT_EQ(repeat(31, 'u') + repeat(16, 'u'), stripColumn(0));
    EXPECT_EQ(repeat(30, 'u') + "L" + "r" + repeat(15, 'u'), stripColumn(1));
    EXPECT_EQ(repeat(29, 'u') + "LL" + "r" + repeat(15, 'u'), stripColumn(2));
    EXPECT_EQ(repeat(28, 'u') + "LLL" + "rr" + repeat(14, 'u'), stripColumn(3));
    EXPECT_EQ(repeat(31, 'L') + repeat(16, 'r'), stripColumn(31));

    setMode(MODE_RAIN_MIRROR);
    buildBarStrip();
    EXPECT_EQ("L" + repeat(30, 'u') + repeat(15, 'u') + "r", stripColumn(1));
    EXPECT_EQ("LLL" + repeat(28, 'u') + repeat(14, 'u') + "rr", stripColumn(3));
    EXPECT_EQ(repeat(31, 'L') + repeat(16, 'r'), stripColumn(31));

    setMode(MODE_MIRROR);
    isReverse = 1;
    buildBarStrip();
    EXPECT_EQ(repeat(47, 'L'), stripColumn(0)) << "reverse lights the empty reflection field too";
    EXPECT_EQ(repeat(30, 'L') + "u" + "r" + repeat(15, 'L'), stripColumn(1));
}

TEST_F(Skin, ReverseTwiceGivesTheSameStrip)
{
    setMode(MODE_MIRROR);
    buildBarStrip();
    Picture before = capture(skinDC, 0, 0, 256, 94);
    isReverse = 1;
    buildBarStrip();
    isReverse = 0;
    buildBarStrip();
    Picture after = capture(skinDC, 0, 0, 256, 94);
    EXPECT_TRUE(before.pixels == after.pixels);
}

TEST_F(Skin, CreateSkinStartsWithEmptyBarsAndTheStripSelected)
{
    for (int i = 0; i < BAR_COUNT; i++)
        ASSERT_EQ(repeat(47, 'u'), barColumn(i)) << "bar " << i;
    // The contexts hold the strip and the buffer between frames.
    EXPECT_EQ((HGDIOBJ)barStrip, GetCurrentObject(skinDC, OBJ_BITMAP));
    EXPECT_EQ((HGDIOBJ)barBuffer, GetCurrentObject(bufferDC, OBJ_BITMAP));
    EXPECT_NE(nullptr, scale48);
    EXPECT_NE(nullptr, scale32);
}

// Input 128 on bar 0 in frame 0, silence after; bar 0's column per frame.
struct FrameCase {
    const char* name;
    unsigned mode;
    Renderer render;
    const uint16_t* level;
    const uint16_t* const* scale;
    // (frame, marker pixel row, second marker pixel row or -1); a row of -1
    // means no marker in that frame.
    std::vector<std::array<int, 3>> markers;
    char secondLetter;
};

std::string expectedColumn(HDC strip, unsigned height, const std::array<int, 3>& marker,
                           char second)
{
    std::string column = cellColumn(strip, 8 * (int)height);
    if (marker[1] >= 0)
        column[(size_t)marker[1] / 2] = 'L';
    if (marker[2] >= 0)
        column[(size_t)marker[2] / 2] = second;
    return column;
}

TEST_F(Skin, FramesDrawMarkersAndDropsWhereTheyBelong)
{
    const FrameCase cases[] = {
        { "normal", MODE_NORMAL, renderNormal, normalLevel, &scale48,
          { { 0, -1, -1 }, { 1, 28, -1 }, { 10, 28, -1 }, { 11, 30, -1 }, { 12, 34, -1 },
            { 13, 38, -1 }, { 25, 90, -1 }, { 26, -1, -1 } }, 'L' },
        { "rain", MODE_RAIN, renderRain, rainLevel, &scale48,
          { { 0, -1, -1 }, { 1, 66, -1 }, { 14, 66, -1 }, { 25, 90, -1 }, { 26, -1, -1 } }, 'L' },
        { "mirror", MODE_MIRROR, renderMirror, mirrorLevel, &scale32,
          { { 0, -1, -1 }, { 1, 18, 84 }, { 10, 18, 84 }, { 22, 60, 62 }, { 23, -1, -1 } }, 'r' },
        { "rainMirror", MODE_RAIN_MIRROR, renderRainMirror, rainMirrorLevel, &scale32,
          { { 0, -1, -1 }, { 1, 44, 70 }, { 13, 44, 70 }, { 14, 46, 70 }, { 22, 60, 62 },
            { 23, -1, -1 } }, 'r' },
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetBarState();
        setMode(c.mode);
        buildBarStrip();
        size_t next = 0;
        for (int frame = 0; next < c.markers.size(); frame++) {
            clearSpectrum(&module);
            if (frame == 0)
                setBarInput(&module, 0, 128);
            c.render(&module, NULL);
            if (c.markers[next][0] != frame)
                continue;
            unsigned height = (*c.scale)[c.level[0]];
            EXPECT_EQ(expectedColumn(skinDC, height, c.markers[next], c.secondLetter), barColumn(0))
                << "frame " << frame;
            next++;
        }
    }
}

TEST_F(Skin, RainDropSinksLowerAfterItsHoldAndFirstLowDropWaits)
{
    setMode(MODE_RAIN);
    buildBarStrip();
    // The drop of a 128 impulse moves down monotonically from frame 15.
    int lastRow = 66;
    for (int frame = 0; frame <= 25; frame++) {
        clearSpectrum(&module);
        if (frame == 0)
            setBarInput(&module, 0, 128);
        renderRain(&module, NULL);
        if (frame < 15)
            continue;
        std::string column = barColumn(0);
        size_t row = column.find('L', (size_t)scale48[rainLevel[0]]);
        ASSERT_NE(std::string::npos, row) << "frame " << frame;
        EXPECT_GE((int)row * 2, lastRow) << "frame " << frame;
        if (frame == 15) {
            EXPECT_GT((int)row * 2, 66);
        }
        lastRow = (int)row * 2;
    }

    // A drop released at level 1 (height 0) shows first, at cell row 1, once
    // it has fallen 40 levels.
    resetBarState();
    for (int frame = 0; frame <= 15; frame++) {
        clearSpectrum(&module);
        if (frame == 0)
            setBarInput(&module, 0, 1);
        renderRain(&module, NULL);
        std::string expected = repeat(47, 'u');
        if (frame == 15)
            expected[1] = 'L';
        EXPECT_EQ(expected, barColumn(0)) << "frame " << frame;
    }
}

TEST_F(Skin, FullAndEmptyInputsAndTheLowestPeaks)
{
    const struct { unsigned mode; Renderer render; std::string full; unsigned emptyUpTo; } modes[] = {
        { MODE_NORMAL, renderNormal, repeat(47, 'L'), 3 },
        { MODE_RAIN, renderRain, repeat(47, 'L'), 3 },
        { MODE_MIRROR, renderMirror, repeat(31, 'L') + repeat(16, 'r'), 5 },
        { MODE_RAIN_MIRROR, renderRainMirror, repeat(31, 'L') + repeat(16, 'r'), 5 },
    };
    for (const auto& m : modes) {
        SCOPED_TRACE(testing::Message() << "mode " << m.mode);
        resetBarState();
        setMode(m.mode);
        buildBarStrip();
        setBarInput(&module, 0, 255);
        setBarInput(&module, 1, (unsigned char)m.emptyUpTo);
        setBarInput(&module, 2, (unsigned char)(m.emptyUpTo + 1));
        m.render(&module, NULL);
        EXPECT_EQ(m.full, barColumn(0));
        EXPECT_EQ(stripColumn(0), barColumn(1));
        EXPECT_NE(stripColumn(0), barColumn(2));
    }

    // A peak of 3 has height 0 in normal mode: no marker once it shows.
    resetBarState();
    setMode(MODE_NORMAL);
    buildBarStrip();
    setBarInput(&module, 0, 3);
    renderNormal(&module, NULL);
    clearSpectrum(&module);
    renderNormal(&module, NULL);
    EXPECT_EQ(repeat(47, 'u'), barColumn(0));
}

TEST_F(Skin, FramesWithoutTheirScaleDrawNothingButStillAdvance)
{
    // As when the scale's memory was refused.
    GlobalFree(scale48);
    scale48 = NULL;
    setBarInput(&module, 0, 200);
    renderNormal(&module, NULL);
    renderRain(&module, NULL);
    EXPECT_EQ(200u, normalLevel[0]);
    EXPECT_EQ(200u, rainLevel[0]);
    EXPECT_EQ(repeat(47, 'u'), barColumn(0));
}

} // namespace
