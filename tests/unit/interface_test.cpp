// The records the player reads: their layout, values and the module lookup.
#include "support.h"

#include <gtest/gtest.h>

#include <stddef.h>

namespace {

TEST(Interface, HeaderAndModuleLookup)
{
    VisHeader* header = winampVisGetHeader();
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(header, winampVisGetHeader());
    EXPECT_EQ(0x101, header->version);
    EXPECT_STREQ("halder Visualization Library v0.051", header->description);

    VisModule* module = header->getModule(0);
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(module, header->getModule(0));
    EXPECT_EQ(nullptr, header->getModule(1));
    EXPECT_EQ(nullptr, header->getModule(-1));
}

TEST(Interface, ModuleAsksForTwoSpectrumChannelsEvery25ms)
{
    const VisModule* module = getModule(0);
    EXPECT_STREQ("TOLVA", module->description);
    EXPECT_EQ(25, module->latencyMs);
    EXPECT_EQ(25, module->delayMs);
    EXPECT_EQ(2, module->spectrumChannels);
    EXPECT_EQ(0, module->waveformChannels);
    EXPECT_EQ(&config, module->config);
    EXPECT_EQ(&init, module->init);
    EXPECT_EQ(&render, module->render);
    EXPECT_EQ(&quit, module->quit);
    EXPECT_EQ(nullptr, module->userData);
}

// The player reads the records by position, so every field must sit where a
// 32-bit player expects it.
TEST(Interface, RecordLayoutMatchesThePlayers)
{
    EXPECT_EQ(12u, sizeof(VisHeader));
    EXPECT_EQ(4u, offsetof(VisHeader, description));
    EXPECT_EQ(8u, offsetof(VisHeader, getModule));

    EXPECT_EQ(4u, offsetof(VisModule, parentWindow));
    EXPECT_EQ(16u, offsetof(VisModule, channelCount));
    EXPECT_EQ(32u, offsetof(VisModule, waveformChannels));
    EXPECT_EQ(36u, offsetof(VisModule, spectrumData));
    EXPECT_EQ(36u + 576u, offsetof(VisModule, spectrumData[1]));
    EXPECT_EQ(1188u, offsetof(VisModule, waveformData));
    EXPECT_EQ(2340u, offsetof(VisModule, config));
    EXPECT_EQ(2352u, offsetof(VisModule, quit));
    EXPECT_EQ(2356u, offsetof(VisModule, userData));
    EXPECT_EQ(2360u, sizeof(VisModule));
}

TEST(Interface, DisplayModeFromTheSwitches)
{
    const int saved[2] = { isRain, isMirror };
    const struct { int rain, mirror; unsigned mode; } table[] = {
        { 0, 0, MODE_NORMAL }, { 1, 0, MODE_RAIN }, { 0, 1, MODE_MIRROR }, { 1, 1, MODE_RAIN_MIRROR },
    };
    for (const auto& row : table) {
        isRain = row.rain;
        isMirror = row.mirror;
        EXPECT_EQ(row.mode, computeDisplayMode()) << "rain " << row.rain << " mirror " << row.mirror;
    }
    isRain = saved[0];
    isMirror = saved[1];
}

} // namespace
