// The window at the display's scale: the built DLL started with Wine's DPI
// at 96, 120, 144, 192 and 288, and at 288 on a screen too small for three
// times the panel. Wine takes the DPI when its server starts, so dpi_test.sh
// runs this program once per row, each with a fresh server and X display:
//   dpi_test --rows        prints each row's name, DPI and screen size
//   dpi_test ROW           runs that row's tests
// The row "96" draws the panel at scale 1 and keeps its pictures; every
// other row must draw exactly those, each pixel repeated scale x scale times.
#include "pointer.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

struct Row {
    const char* name;
    int dpi;
    int screenWidth, screenHeight;
    int scale;   // the scale the window must take
};

const Row kRows[] = {
    { "96", 96, 1280, 1024, 1 },
    { "120", 120, 1280, 1024, 1 },
    { "144", 144, 1280, 1024, 2 },
    { "192", 192, 1280, 1024, 2 },
    { "288", 288, 1280, 1024, 3 },
    // Three times the panel is 1089 pixels wide: two times is what fits.
    { "288-on-1024x768", 288, 1024, 768, 2 },
};

const Row* row = NULL;

const char kReferencePath[] = HALDER_BINARY_DIR "/dpi-reference.bin";
const int kCorner = 40;   // the stored position of every run

// The 1x pictures that the row "96" keeps for the others.
struct Reference {
    Picture firstPaint;   // before any frame: 36 empty bars
    Picture frame;        // after 30 frames of the built-in signal
};

void writePicture(FILE* file, const Picture& picture)
{
    fwrite(&picture.width, sizeof(int), 1, file);
    fwrite(&picture.height, sizeof(int), 1, file);
    fwrite(picture.pixels.data(), sizeof(COLORREF), picture.pixels.size(), file);
}

bool readPicture(FILE* file, Picture* picture)
{
    if (fread(&picture->width, sizeof(int), 1, file) != 1
        || fread(&picture->height, sizeof(int), 1, file) != 1 || picture->width <= 0
        || picture->height <= 0 || picture->width > 4096 || picture->height > 4096)
        return false;
    picture->pixels.resize((size_t)picture->width * picture->height);
    return fread(picture->pixels.data(), sizeof(COLORREF), picture->pixels.size(), file)
        == picture->pixels.size();
}

void saveReference(const Reference& reference)
{
    FILE* file = fopen(kReferencePath, "wb");
    ASSERT_NE(nullptr, file) << kReferencePath;
    writePicture(file, reference.firstPaint);
    writePicture(file, reference.frame);
    fclose(file);
}

Reference loadReference()
{
    Reference reference;
    FILE* file = fopen(kReferencePath, "rb");
    if (file) {
        if (!readPicture(file, &reference.firstPaint) || !readPicture(file, &reference.frame))
            reference = Reference();
        fclose(file);
    }
    return reference;
}

// The picture with each pixel repeated scale x scale times.
Picture repeated(const Picture& picture, int scale)
{
    Picture result;
    result.width = picture.width * scale;
    result.height = picture.height * scale;
    result.pixels.resize((size_t)result.width * result.height);
    for (int y = 0; y < result.height; y++) {
        for (int x = 0; x < result.width; x++)
            result.pixels[(size_t)y * result.width + x] = picture.at(x / scale, y / scale);
    }
    return result;
}

// Fails with the count of differing pixels and the first of them.
void expectSamePicture(const Picture& expected, const Picture& actual, const char* what)
{
    ASSERT_EQ(expected.width, actual.width) << what;
    ASSERT_EQ(expected.height, actual.height) << what;
    const size_t differing = differingPixels(expected, actual);
    if (differing == 0)
        return;
    for (size_t i = 0; i < actual.pixels.size(); i++) {
        if (expected.pixels[i] == actual.pixels[i])
            continue;
        ADD_FAILURE() << what << ": " << differing << " pixels differ, the first at ("
                      << i % actual.width << ", " << i / actual.width << "): "
                      << colorName(actual.pixels[i]) << ", expected "
                      << colorName(expected.pixels[i]);
        return;
    }
}

RECT rectAt(int x, int y, int width, int height)
{
    const RECT r = { x, y, x + width, y + height };
    return r;
}

void expectRect(const RECT& expected, HWND window, const char* what)
{
    RECT actual = {};
    GetWindowRect(window, &actual);
    EXPECT_TRUE(EqualRect(&expected, &actual))
        << what << " at (" << actual.left << ", " << actual.top << ", " << actual.right << ", "
        << actual.bottom << "), expected (" << expected.left << ", " << expected.top << ", "
        << expected.right << ", " << expected.bottom << ")";
}

// The window and its close button where a window at (x, y) of this scale has them.
void expectPlacedAtScale(HWND window, int x, int y, int scale)
{
    expectRect(rectAt(x, y, 363 * scale, 150 * scale), window, "the window");
    expectRect(rectAt(x + 352 * scale, y + 3 * scale, 9 * scale, 9 * scale),
               GetDlgItem(window, 1), "the close button");
}

class Dpi : public LoadedPluginTest {
protected:
    void SetUp() override
    {
        HDC screen = GetDC(NULL);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(NULL, screen);
        ASSERT_EQ(row->dpi, dpi) << "Wine did not take the row's LogPixels";
        ASSERT_EQ(row->screenWidth, GetSystemMetrics(SM_CXSCREEN));
        LoadedPluginTest::SetUp();
    }

    // Starts a run at the stored corner with rain and mirror on: drops,
    // reflections and both lit switch labels.
    HWND start()
    {
        copy.writeIni(settingsText(kCorner, kCorner, 1, 1, 0));
        EXPECT_EQ(0, plugin.module->init(plugin.module));
        pumpMessages(NULL);
        return findPluginWindow();
    }

    void stop()
    {
        plugin.module->quit(plugin.module);
        pumpMessages(NULL);
    }
};

TEST_F(Dpi, ThePanelIsTheOneAtScaleOneWithEachPixelRepeated)
{
    HWND window = start();
    ASSERT_NE(nullptr, window);
    expectPlacedAtScale(window, kCorner, kCorner, row->scale);
    Reference drawn;
    drawn.firstPaint = captureClient(window);
    RunLimits limits = { 30, 0, 0 };
    EXPECT_EQ(30, runBuiltinSignal(plugin.module, limits).frames);
    pumpMessages(NULL);
    drawn.frame = captureClient(window);
    stop();

    if (strcmp(row->name, "96") == 0) {
        saveReference(drawn);
        return;
    }
    const Reference reference = loadReference();
    ASSERT_GT(reference.frame.width, 0) << "no pictures from the row 96 in " << kReferencePath;
    expectSamePicture(repeated(reference.firstPaint, row->scale), drawn.firstPaint, "first paint");
    expectSamePicture(repeated(reference.frame, row->scale), drawn.frame, "30th frame");
}

// A press on the face drags the window, then a click on the rain switch and
// one on the close button, each at its place at this scale.
TEST_F(Dpi, TheSwitchesTheDragAndTheCloseButtonAnswerAtTheirScaledPlaces)
{
    copy.writeIni(settingsText(kCorner, kCorner, 0, 0, 0));
    ASSERT_EQ(0, plugin.module->init(plugin.module));
    const int s = row->scale;
    const POINT corner = { kCorner + 100, kCorner + 60 };
    const PointerScript script = { { kCorner + 200 * s, kCorner + 80 * s },
                                   { corner.x + 200 * s, corner.y + 80 * s },
                                   { 45 * s, 26 * s },
                                   { 356 * s, 7 * s },
                                   corner };
    const RunResult result = runAsUser(plugin.module, script);
    EXPECT_EQ(1, result.quitReceived) << "the close button did not end the run";
    EXPECT_EQ(0, result.exitCode);
    stop();
    EXPECT_EQ(settingsText(corner.x, corner.y, 1, 0, 0), copy.readIni());
}

// A move to a monitor of another DPI, as the system announces it: the panel
// is redrawn at the scale there, at the corner the system suggests, and back
// and forth a hundred times loses no GDI object. Nonsense DPIs give a window
// that the screen still holds.
TEST_F(Dpi, AScaleChangeRedrawsThePanelAtTheNewScaleAndLosesNoGdiObject)
{
    const Reference reference = loadReference();
    ASSERT_GT(reference.firstPaint.width, 0) << "no pictures from the row 96 in " << kReferencePath;
    HWND window = start();
    ASSERT_NE(nullptr, window);
    const int otherDpi = row->scale == 1 ? 192 : 96;
    const int otherScale = row->scale == 1 ? 2 : 1;
    RECT suggested = rectAt(100, 80, 363 * otherScale, 150 * otherScale);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(otherDpi, otherDpi), (LPARAM)&suggested);
    pumpMessages(NULL);
    expectPlacedAtScale(window, 100, 80, otherScale);
    expectSamePicture(repeated(reference.firstPaint, otherScale), captureClient(window),
                      "the panel after the change");

    const size_t before = gdiHeadroom();
    RECT back = rectAt(kCorner, kCorner, 363 * row->scale, 150 * row->scale);
    RunLimits oneFrame = { 1, 0, 0 };
    for (int change = 0; change < 50; change++) {
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(row->dpi, row->dpi), (LPARAM)&back);
        runBuiltinSignal(plugin.module, oneFrame);
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(otherDpi, otherDpi), (LPARAM)&suggested);
        runBuiltinSignal(plugin.module, oneFrame);
    }
    const size_t after = gdiHeadroom();

    // A DPI reported as 0 gives scale 1, an absurd one the largest scale
    // whose window the screen holds.
    const int across = row->screenWidth / 363, down = row->screenHeight / 150;
    const int fitting = across < down ? across : down;
    const struct { int dpi, scale; } odd[] = { { 0, 1 }, { 0xFFFF, fitting } };
    for (const auto& one : odd) {
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(one.dpi, one.dpi), (LPARAM)&back);
        pumpMessages(NULL);
        SCOPED_TRACE(testing::Message() << "DPI " << one.dpi);
        expectPlacedAtScale(window, kCorner, kCorner, one.scale);
    }
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(row->dpi, row->dpi), (LPARAM)&back);
    pumpMessages(NULL);
    expectPlacedAtScale(window, kCorner, kCorner, row->scale);
    stop();
    EXPECT_GE(after + 10, before) << "GDI headroom before " << before << ", after " << after;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const char* name = argc > 1 ? argv[1] : "";
    for (const Row& one : kRows) {
        if (strcmp(name, "--rows") == 0)
            printf("%s %d %dx%d\n", one.name, one.dpi, one.screenWidth, one.screenHeight);
        else if (strcmp(name, one.name) == 0)
            row = &one;
    }
    if (strcmp(name, "--rows") == 0)
        return 0;
    if (!row) {
        fprintf(stderr, "usage: dpi_test --rows | ROW\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
