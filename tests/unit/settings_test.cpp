// The settings file as init reads and quit writes it, and the corrections
// init makes to what it read.
#include "window_support.h"

namespace {

TEST_F(WindowRun, NoFileKeepsTheValuesInMemory)
{
    DeleteFileA(settingsFile().c_str());
    screenX = 70;
    screenY = 0;
    isMirror = 1;
    ASSERT_EQ(0, init(module));
    running = true;
    EXPECT_EQ(70, screenX);
    EXPECT_EQ(0, screenY);
    EXPECT_EQ(1, isMirror);
    EXPECT_EQ((unsigned)MODE_MIRROR, displayMode);
    RECT outer;
    GetWindowRect(mainWindow, &outer);
    EXPECT_EQ(70, outer.left);
    EXPECT_EQ(0, outer.top);
    EXPECT_EQ(363, outer.right - outer.left);
    EXPECT_EQ(150, outer.bottom - outer.top);
}

TEST_F(WindowRun, PositionsOffTheScreenAreReplaced)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const struct { int x, y, expectX, expectY; } cases[] = {
        { -1, 10, 50, 10 },
        { width - 362, height - 149, 50, 50 },
        { width - 363, height - 150, width - 363, height - 150 },
        { 5000, -5000, 50, 50 },
        { 0, 0, 0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored (" << c.x << ", " << c.y << ")");
        start(c.x, c.y);
        EXPECT_EQ(c.expectX, screenX);
        EXPECT_EQ(c.expectY, screenY);
        RECT outer;
        GetWindowRect(mainWindow, &outer);
        EXPECT_EQ(c.expectX, outer.left);
        EXPECT_EQ(c.expectY, outer.top);
        stop();
    }
}

TEST_F(WindowRun, SwitchValuesOtherThanZeroOrOneAreOff)
{
    writeSettings("[TOLVA]\r\nIsRain=2\r\nIsMirror=1\r\nIsReverse=-1\r\n");
    ASSERT_EQ(0, init(module));
    running = true;
    EXPECT_EQ(0, isRain);
    EXPECT_EQ(1, isMirror);
    EXPECT_EQ(0, isReverse);
    EXPECT_EQ((unsigned)MODE_MIRROR, displayMode);
    stop();

    writeSettings("[TOLVA]\r\nScreen_x=abc\r\nScreen_y=60px\r\nIsRain=1\r\nIsMirror=1\r\n");
    screenX = 90;
    ASSERT_EQ(0, init(module));
    running = true;
    EXPECT_EQ(0, screenX) << "text that is not a number reads as 0";
    EXPECT_EQ(60, screenY) << "digits are read up to the first other character";
    EXPECT_EQ((unsigned)MODE_RAIN_MIRROR, displayMode);
}

TEST_F(WindowRun, QuitWritesTheFiveKeysInOrder)
{
    writeSettings("[Other]\r\nKeep=1\r\n");
    screenX = 64;
    screenY = 48;
    isRain = 1;
    isReverse = 1;
    ASSERT_EQ(0, init(module));
    running = true;
    stop();
    EXPECT_EQ("[Other]\r\nKeep=1\r\n" + settingsText(64, 48, 1, 0, 1), readSettings());
}

TEST(SettingsPath, LiesBesideTheLibrary)
{
    ASSERT_EQ(1, buildSettingsPath(GetModuleHandleA(NULL)));
    EXPECT_EQ(settingsFile(), settingsPath);
}

} // namespace
