// The built DLL driven as the player drives it: loading, the one export,
// whole runs in every display mode, repeated runs in one load.
#include "pluginrun.h"

#include "support/dialogs.h"

#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>

namespace {

// Names the DLL exports and the DLLs it imports, read from its PE headers.
struct PeTables {
    std::vector<std::string> exports;
    std::set<std::string> imports;
};

PeTables readPeTables(const char* path)
{
    PeTables tables;
    HMODULE image = LoadLibraryExA(path, NULL, DONT_RESOLVE_DLL_REFERENCES);
    if (!image)
        return tables;
    const BYTE* base = (const BYTE*)image;
    const IMAGE_NT_HEADERS* nt =
        (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY* dirs = nt->OptionalHeader.DataDirectory;

    const IMAGE_DATA_DIRECTORY& exportDir = dirs[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exportDir.Size) {
        const IMAGE_EXPORT_DIRECTORY* exp =
            (const IMAGE_EXPORT_DIRECTORY*)(base + exportDir.VirtualAddress);
        const DWORD* names = (const DWORD*)(base + exp->AddressOfNames);
        for (DWORD i = 0; i < exp->NumberOfNames; i++)
            tables.exports.push_back((const char*)(base + names[i]));
        if (exp->NumberOfFunctions != exp->NumberOfNames)
            tables.exports.push_back("(unnamed ordinal exports)");
    }
    const IMAGE_DATA_DIRECTORY& importDir = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (importDir.Size) {
        const IMAGE_IMPORT_DESCRIPTOR* imp =
            (const IMAGE_IMPORT_DESCRIPTOR*)(base + importDir.VirtualAddress);
        for (; imp->Name; imp++) {
            std::string name = (const char*)(base + imp->Name);
            for (char& c : name)
                c = (char)toupper((unsigned char)c);
            tables.imports.insert(name);
        }
    }
    FreeLibrary(image);
    return tables;
}

TEST(Library, ExportsOnlyTheHeaderAndImportsOnlySystemDlls)
{
    PeTables tables = readPeTables(HALDER_BINARY_DIR "/vis_halder.dll");
    ASSERT_EQ(1u, tables.exports.size());
    EXPECT_EQ("winampVisGetHeader", tables.exports[0]);
    const std::set<std::string> system = { "KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL",
                                           "SHELL32.DLL" };
    ASSERT_FALSE(tables.imports.empty());
    for (const std::string& name : tables.imports)
        EXPECT_TRUE(system.count(name)) << "imports " << name;
}

class PluginRun : public LoadedPluginTest {
protected:
    // One whole run: init, frames of the built-in signal, quit.
    RunResult runOnce(long frames)
    {
        RunResult result = {};
        EXPECT_EQ(0, plugin.module->init(plugin.module));
        EXPECT_NE(nullptr, findPluginWindow());
        RunLimits limits = { frames, 0, 0 };
        result = runBuiltinSignal(plugin.module, limits);
        plugin.module->quit(plugin.module);
        pumpMessages(NULL);
        EXPECT_EQ(nullptr, findPluginWindow()) << "quit leaves the window behind";
        return result;
    }
};

TEST_F(PluginRun, TwoHundredFramesInEachDisplayMode)
{
    const struct { int rain, mirror, reverse; } modes[] = {
        { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 0 }, { 1, 1, 1 },
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(testing::Message() << "rain " << mode.rain << " mirror " << mode.mirror);
        copy.writeIni(settingsText(40, 40, mode.rain, mode.mirror, mode.reverse));
        RunResult result = runOnce(200);
        EXPECT_EQ(200, result.frames);
        EXPECT_EQ(0, result.quitReceived);
        // quit writes back what it ran with.
        EXPECT_EQ(settingsText(40, 40, mode.rain, mode.mirror, mode.reverse), copy.readIni());
    }
}

TEST_F(PluginRun, SecondRunInTheSameLoadDrawsAsTheFirst)
{
    copy.writeIni(settingsText(60, 60, 0, 1, 0));
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    HWND first = findPluginWindow();
    ASSERT_NE(nullptr, first);
    pumpMessages(NULL);
    Picture firstPaint = captureClient(first);
    plugin.module->quit(plugin.module);
    pumpMessages(NULL);

    ASSERT_EQ(0, plugin.module->init(plugin.module));
    HWND second = findPluginWindow();
    ASSERT_NE(nullptr, second);
    pumpMessages(NULL);
    Picture secondPaint = captureClient(second);
    RunLimits limits = { 50, 0, 0 };
    EXPECT_EQ(50, runBuiltinSignal(plugin.module, limits).frames);
    plugin.module->quit(plugin.module);

    EXPECT_EQ(0u, differingPixels(firstPaint, secondPaint))
        << "pixels that differ between the first paints of two runs";
}

TEST_F(PluginRun, HundredsOfRunsLoseNoGdiCapacity)
{
    copy.writeIni(settingsText(80, 80, 1, 1, 0));
    // Warm up once so lazily created system objects do not count as a leak.
    runOnce(3);
    const size_t before = gdiHeadroom();
    ASSERT_GT(before, 1000u);
    for (int run = 0; run < 300; run++) {
        ASSERT_EQ(0, plugin.module->init(plugin.module)) << "run " << run;
        RunLimits limits = { 2, 0, 0 };
        runBuiltinSignal(plugin.module, limits);
        plugin.module->quit(plugin.module);
        pumpMessages(NULL);
    }
    const size_t after = gdiHeadroom();
    EXPECT_GE(after + 10, before) << "GDI headroom before " << before << ", after " << after;
}

// A player whose process is nearly out of GDI handles: a start either fails
// and says so, leaving nothing behind, or shows the whole panel; once the
// handles are back, the next start is a normal one.
TEST_F(PluginRun, AStartShortOfGdiHandlesFailsCleanlyOrPaintsCompletely)
{
    copy.writeIni(settingsText(40, 40, 0, 0, 0));
    runOnce(3);
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    pumpMessages(NULL);
    const Picture normal = captureClient(findPluginWindow());
    plugin.module->quit(plugin.module);
    pumpMessages(NULL);

    MessageBoxAnswerer boxes;
    ASSERT_TRUE(boxes.installed());
    const size_t before = gdiHeadroom();
    int failures = 0, starts = 0;
    for (size_t spare = 0; spare <= 40; spare++) {
        SCOPED_TRACE(testing::Message() << spare << " handles to spare");
        boxes.clear();
        GdiFiller filler(spare);
        const int result = plugin.module->init(plugin.module);
        filler.release();
        EXPECT_EQ(0, pumpMessages(NULL)) << "a quit message would end the player's next run";
        HWND window = findPluginWindow();
        if (result != 0) {
            failures++;
            EXPECT_EQ(nullptr, window) << "a failed start leaves its window";
            EXPECT_NE(std::string::npos, boxes.text().find("Error creating skin")) << boxes.text();
            continue;
        }
        starts++;
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(0u, differingPixels(normal, captureClient(window)))
            << "pixels of the first paint that differ from a normal start's";
        plugin.module->quit(plugin.module);
        pumpMessages(NULL);
    }
    EXPECT_GT(failures, 0) << "no start was short of handles";
    EXPECT_GT(starts, 0) << "no start had handles enough";

    ASSERT_EQ(0, plugin.module->init(plugin.module)) << "a start after the shortage";
    pumpMessages(NULL);
    EXPECT_EQ(0u, differingPixels(normal, captureClient(findPluginWindow())));
    plugin.module->quit(plugin.module);
    pumpMessages(NULL);
    const size_t after = gdiHeadroom();
    EXPECT_GE(after + 10, before) << "GDI headroom before " << before << ", after " << after;
}

TEST_F(PluginRun, FramesDrawTheSpectrumIntoTheWindow)
{
    copy.writeIni(settingsText(40, 40, 0, 0, 0));
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    HWND window = findPluginWindow();
    ASSERT_NE(nullptr, window);
    // Even bars full, odd bars silent: every bar's column must follow its own input.
    memset(plugin.module->spectrumData, 0, sizeof(plugin.module->spectrumData));
    for (int bar = 0; bar < 36; bar += 2)
        memset(&plugin.module->spectrumData[1][bar * 8], 255, 8);
    plugin.module->render(plugin.module);
    drainMessages();
    Picture frame = captureClient(window);
    for (int bar = 0; bar < 36; bar++)
        EXPECT_EQ(std::string(47, bar % 2 ? 'u' : 'L'), cellColumn(frame, 38 + 8 * bar, 34))
            << "bar " << bar;
    plugin.module->quit(plugin.module);
}

TEST_F(PluginRun, SwitchPressesLoseNoGdiCapacity)
{
    copy.writeIni(settingsText(80, 80, 0, 0, 0));
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    HWND window = findPluginWindow();
    ASSERT_NE(nullptr, window);
    // Rain, mirror and reverse in turn: each press rebuilds the bar strip.
    const LPARAM switches[] = { MAKELPARAM(40, 25), MAKELPARAM(70, 25), MAKELPARAM(100, 25) };
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, switches[0]);
    const size_t before = gdiHeadroom();
    for (int press = 0; press < 300; press++)
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, switches[press % 3]);
    const size_t after = gdiHeadroom();
    plugin.module->quit(plugin.module);
    EXPECT_GE(after + 10, before) << "GDI headroom before " << before << ", after " << after;
}

} // namespace
