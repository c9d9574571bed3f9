// Where the window opens on desktops of two monitors: the built DLL started
// with stored positions on either monitor, across both, and off every one.
// Wine reads the monitors once, when its server starts, so monitors_test.sh
// runs this program once per layout, each on a nested X server of its own:
//   monitors_test --layouts        prints each layout's name and X screens
//   monitors_test LAYOUT           runs that layout's table
#include "pluginrun.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// A stored position and where the window must open from it; quit stores
// where it opened.
struct Placement {
    int x, y;
    int expectX, expectY;
    const char* what;
};

// Monitors in Windows' coordinates: the primary first, at the origin.
struct Layout {
    const char* name;
    std::vector<RECT> monitors;
    std::vector<Placement> placements;
};

// 800 x 600 primary everywhere; the window is 363 x 150.
const Layout kLayouts[] = {
    { "right",
      { { 0, 0, 800, 600 }, { 800, 0, 1440, 480 } },
      {
          { 900, 100, 900, 100, "on the secondary" },
          { 1077, 330, 1077, 330, "in the secondary's far corner" },
          { 1078, 330, 50, 330, "one pixel past the secondary's right edge" },
          { 700, 100, 700, 100, "across both" },
          { 700, 400, 50, 400, "across both, its bottom below the shorter secondary" },
          { 900, 500, 900, 50, "below the secondary" },
          { 2000, 2000, 50, 50, "off every monitor" },
          { INT_MAX, INT_MAX, 50, 50, "at the largest coordinates" },
          { INT_MIN, INT_MIN, 50, 50, "at the smallest coordinates" },
      } },
    { "left",
      { { 0, 0, 800, 600 }, { -640, 0, 0, 480 } },
      {
          { -600, 100, -600, 100, "on the secondary" },
          { -1, 0, -1, 0, "across both" },
          { -641, 0, 50, 0, "one pixel past the secondary's left edge" },
          { -300, 400, 50, 400, "below the secondary" },
      } },
    { "above",
      { { 0, 0, 800, 600 }, { 0, -480, 1024, 0 } },
      {
          { 100, -300, 100, -300, "on the secondary" },
          { 100, -75, 100, -75, "across both" },
          { 0, -481, 0, 50, "one pixel above the secondary" },
          { 900, -100, 50, -100, "across both, its right end beyond the secondary" },
      } },
    { "step",
      { { 0, 0, 800, 600 }, { 800, 120, 1440, 600 } },
      {
          { 700, 120, 700, 120, "across both, level with the lower secondary's top" },
          { 700, 119, 50, 119, "across both, only its top-right corner above the secondary" },
      } },
};

const Layout* chosenLayout = NULL;

std::string rectText(const RECT& r)
{
    char text[96];
    snprintf(text, sizeof(text), "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

BOOL CALLBACK collectMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list)
{
    ((std::vector<std::string>*)list)->push_back(rectText(*rect));
    return TRUE;
}

// The X screens that give the layout: X places them from (0, 0) on, and Wine
// puts the first one, the primary, at the origin.
void printXScreens(const Layout& layout)
{
    LONG left = 0, top = 0;
    for (const RECT& r : layout.monitors) {
        left = r.left < left ? r.left : left;
        top = r.top < top ? r.top : top;
    }
    printf("%s", layout.name);
    for (const RECT& r : layout.monitors)
        printf(" -origin %ld,%ld -screen %ldx%ld", r.left - left, r.top - top, r.right - r.left,
               r.bottom - r.top);
    printf("\n");
}

typedef LoadedPluginTest Monitors;

TEST_F(Monitors, WineSeesTheLayout)
{
    std::vector<std::string> seen, expected;
    EnumDisplayMonitors(NULL, NULL, collectMonitor, (LPARAM)&seen);
    for (const RECT& r : chosenLayout->monitors)
        expected.push_back(rectText(r));
    EXPECT_EQ(expected, seen) << "monitors of layout " << chosenLayout->name;
}

TEST_F(Monitors, TheWindowOpensWhereItWasUnlessThatIsOffTheMonitors)
{
    for (const Placement& p : chosenLayout->placements) {
        SCOPED_TRACE(testing::Message() << chosenLayout->name << ": stored (" << p.x << ", " << p.y
                                        << "), " << p.what);
        copy.writeIni(settingsText(p.x, p.y, 0, 0, 0));
        ASSERT_EQ(0, plugin.module->init(plugin.module));
        pumpMessages(NULL);
        RECT outer = {};
        GetWindowRect(findPluginWindow(), &outer);
        EXPECT_EQ(p.expectX, outer.left);
        EXPECT_EQ(p.expectY, outer.top);
        plugin.module->quit(plugin.module);
        pumpMessages(NULL);
        EXPECT_EQ(settingsText(p.expectX, p.expectY, 0, 0, 0), copy.readIni());
    }
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const char* name = argc > 1 ? argv[1] : "";
    for (const Layout& layout : kLayouts) {
        if (strcmp(name, "--layouts") == 0)
            printXScreens(layout);
        else if (strcmp(name, layout.name) == 0)
            chosenLayout = &layout;
    }
    if (strcmp(name, "--layouts") == 0)
        return 0;
    if (!chosenLayout) {
        fprintf(stderr, "usage: monitors_test --layouts | LAYOUT\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
