// The committed skin bitmaps: they must be exactly what the generator draws,
// and they must hold the pixels the painting and the bar strip copy blindly.
// Files are decoded here from their own headers, not through the generator.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "skinart.h"

namespace {

struct Expected {
    const char* name;
    int width, height;
};
const Expected sizes[] = {
    {"FACE", 363, 150}, {"TITLEBAR", 372, 28}, {"METER", 8, 6}, {"INDICATOR", 34, 48}, {"SCALE", 12, 95},
};

std::vector<uint8_t> readCommitted(const std::string& name) {
    std::vector<uint8_t> bytes;
    const std::string path = std::string(HALDER_SOURCE_DIR) + "/resources/" + name + ".bmp";
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    return bytes;
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int size) {
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
    return v;
}

// A committed 4-bit bitmap, read through its own header fields.
struct Bitmap {
    std::vector<uint8_t> bytes;
    int width() const { return static_cast<int>(le(bytes, 18, 4)); }
    int height() const { return static_cast<int>(le(bytes, 22, 4)); }
    int at(int x, int y) const {
        size_t rowBytes = (static_cast<size_t>(width()) + 7) / 8 * 4;
        size_t row = le(bytes, 10, 4) + rowBytes * static_cast<size_t>(height() - 1 - y);
        uint8_t pair = bytes.at(row + static_cast<size_t>(x) / 2);
        return x % 2 == 0 ? pair >> 4 : pair & 0x0F;
    }
};

Bitmap committed(const char* name) { return Bitmap{readCommitted(name)}; }

// Whether every pixel of an area (inclusive bounds) has the one ink; names
// the first pixel that does not.
testing::AssertionResult areaIs(const Bitmap& b, int x0, int y0, int x1, int y1, int ink) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (b.at(x, y) != ink)
                return testing::AssertionFailure() << "(" << x << ", " << y << ") is " << b.at(x, y) << ", not " << ink;
    return testing::AssertionSuccess();
}

}  // namespace

TEST(CommittedBitmaps, AreExactlyWhatTheGeneratorDraws) {
    for (const skinart::Artwork& art : skinart::artworks) {
        const std::vector<uint8_t> drawn = skinart::encodeBmp(art.make());
        const std::vector<uint8_t> file = readCommitted(art.name);
        const size_t common = std::min(drawn.size(), file.size());
        const size_t firstDifference =
            std::mismatch(drawn.begin(), drawn.begin() + common, file.begin()).first - drawn.begin();
        EXPECT_TRUE(drawn == file) << art.name << ".bmp differs from the drawing from byte " << firstDifference
                                   << " (" << file.size() << " bytes, drawn " << drawn.size()
                                   << "): run skingen on the resources directory";
    }
}

TEST(CommittedBitmaps, HeadersAndPalette) {
    const uint8_t palette[16][3] = {{8, 8, 16},    {0, 64, 64},    {0, 128, 128},   {0, 255, 255},
                                    {41, 33, 41},  {58, 54, 61},   {82, 82, 90},    {140, 148, 156},
                                    {218, 218, 218}, {58, 46, 25}, {70, 63, 34},    {98, 89, 48},
                                    {143, 130, 70}, {177, 163, 89}, {228, 223, 98}, {255, 255, 255}};
    for (const Expected& e : sizes) {
        SCOPED_TRACE(e.name);
        const std::vector<uint8_t> b = readCommitted(e.name);
        const uint32_t imageBytes = (e.width + 7) / 8 * 4 * e.height;
        ASSERT_EQ(b.size(), 14u + 40 + 64 + imageBytes);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le(b, 2, 4), b.size());
        EXPECT_EQ(le(b, 10, 4), 118u);
        EXPECT_EQ(le(b, 14, 4), 40u);
        EXPECT_EQ(le(b, 18, 4), uint32_t(e.width));
        EXPECT_EQ(le(b, 22, 4), uint32_t(e.height));  // positive height: bottom-up
        EXPECT_EQ(le(b, 26, 2), 1u);
        EXPECT_EQ(le(b, 28, 2), 4u);
        EXPECT_EQ(le(b, 30, 4), 0u);  // BI_RGB
        EXPECT_EQ(le(b, 38, 4), 0u);
        EXPECT_EQ(le(b, 42, 4), 0u);
        EXPECT_EQ(le(b, 46, 4), 16u);
        EXPECT_EQ(le(b, 50, 4), 0u);
        for (int i = 0; i < 16; ++i) {
            const uint8_t* q = &b[54 + 4 * i];
            EXPECT_TRUE(q[2] == palette[i][0] && q[1] == palette[i][1] && q[0] == palette[i][2] && q[3] == 0)
                << "palette entry " << i;
        }
    }
}

TEST(CommittedBitmaps, MeterCellsPixelForPixel) {
    const Bitmap meter = committed("METER");
    const char* rows[6] = {"11111110", "00000000", "22222220", "00000000", "33333330", "00000000"};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(meter.at(x, y), rows[y][x] - '0') << x << "," << y;
}

TEST(CommittedBitmaps, ScaleTicksPerDisplayMode) {
    const Bitmap scale = committed("SCALE");
    const std::set<int> ticks[4] = {{0, 4, 10, 18, 28, 40, 54, 72, 94},
                                    {0, 22, 40, 54, 66, 76, 84, 90, 94},
                                    {0, 10, 24, 42, 62, 72, 80, 88, 94},
                                    {0, 20, 38, 52, 62, 68, 76, 84, 94}};
    for (int mode = 0; mode < 4; ++mode)
        for (int y = 0; y < 95; ++y)
            for (int x = 3 * mode; x < 3 * mode + 3; ++x)
                EXPECT_EQ(scale.at(x, y), ticks[mode].count(y) ? 2 : 0) << "mode " << mode << " row " << y;
    // Rain hangs the normal scale upside down; rain and mirror turns each
    // half of the mirror scale over within itself.
    auto tick = [&](int mode, int y) { return scale.at(3 * mode, y) == 2; };
    for (int y = 0; y < 95; ++y) {
        EXPECT_EQ(tick(1, y), tick(0, 94 - y)) << y;
        EXPECT_EQ(tick(3, y), tick(2, y <= 62 ? 62 - y : 156 - y)) << y;
    }
}

TEST(CommittedBitmaps, FaceKeepsPaintedOverAreasBlackAndItsMarkings) {
    const Bitmap face = committed("FACE");
    EXPECT_TRUE(areaIs(face, 38, 23, 127, 30, 0)) << "switch labels";
    EXPECT_TRUE(areaIs(face, 33, 33, 35, 127, 0)) << "left scale";
    EXPECT_TRUE(areaIs(face, 327, 33, 329, 127, 0)) << "right scale";
    EXPECT_TRUE(areaIs(face, 38, 34, 325, 127, 0)) << "bar area";
    // Outline, groove and the two white corner pixels.
    EXPECT_TRUE(areaIs(face, 0, 0, 362, 0, 0));
    EXPECT_TRUE(areaIs(face, 0, 149, 362, 149, 0));
    EXPECT_TRUE(areaIs(face, 0, 0, 0, 149, 0));
    EXPECT_TRUE(areaIs(face, 362, 0, 362, 149, 0));
    EXPECT_TRUE(areaIs(face, 4, 12, 358, 13, 0));
    EXPECT_TRUE(areaIs(face, 4, 145, 358, 145, 0));
    EXPECT_TRUE(areaIs(face, 4, 12, 5, 145, 0));
    EXPECT_TRUE(areaIs(face, 358, 12, 358, 145, 0));
    EXPECT_EQ(face.at(1, 1), 15);
    EXPECT_EQ(face.at(359, 146), 15);
    // Dotted lines beside the scales: teal on odd rows, black between.
    for (int y = 33; y <= 127; ++y) {
        EXPECT_EQ(face.at(32, y), y % 2 ? 2 : 0) << y;
        EXPECT_EQ(face.at(330, y), y % 2 ? 2 : 0) << y;
    }
    // The ruler, rows 129 to 132, and nothing else teal beside it.
    for (int y = 129; y <= 132; ++y)
        for (int x = 36; x <= 326; ++x) {
            const int k = x - 37;
            const bool tick = k >= 0 && (k % 36 == 0 || (y == 131 && k % 8 == 0) || (y == 132 && k % 4 == 0));
            EXPECT_EQ(face.at(x, y), tick ? 2 : 0) << x << "," << y;
        }
}

TEST(CommittedBitmaps, TitlebarStatesJoinTheFace) {
    const Bitmap bar = committed("TITLEBAR");
    const Bitmap face = committed("FACE");
    EXPECT_TRUE(areaIs(bar, 362, 0, 362, 27, 0)) << "column 362";
    EXPECT_TRUE(areaIs(bar, 363, 27, 371, 27, 0)) << "last row of the close-button column";
    const int activeLines[5] = {14, 15, 9, 12, 14};
    const int inactiveLines[5] = {12, 7, 9, 11, 13};
    for (int state = 0; state < 2; ++state) {
        SCOPED_TRACE(state == 0 ? "active" : "inactive");
        const int top = 14 * state;
        // The bar's ends continue the face's rim, and its last rows its groove.
        for (int y = 0; y < 14; ++y)
            for (int x : {0, 1, 2, 3, 361}) EXPECT_EQ(bar.at(x, top + y), face.at(x, y)) << x << "," << y;
        EXPECT_TRUE(areaIs(bar, 4, top + 12, 358, top + 13, 0));
        // Grip bands: five lines of the state's colours inside black frames.
        for (int left : {13, 203}) {
            const int right = left + 146;
            EXPECT_TRUE(areaIs(bar, left, top + 4, right, top + 4, 0));
            EXPECT_TRUE(areaIs(bar, left, top + 10, right, top + 10, 0));
            EXPECT_TRUE(areaIs(bar, left, top + 4, left, top + 10, 0));
            EXPECT_TRUE(areaIs(bar, right, top + 4, right, top + 10, 0));
            for (int i = 0; i < 5; ++i)
                EXPECT_TRUE(areaIs(bar, left + 1, top + 5 + i, right - 1, top + 5 + i,
                                   (state ? inactiveLines : activeLines)[i]));
        }
        // The caption stays inside its box on the plain body, white only while active.
        EXPECT_TRUE(areaIs(bar, 160, top + 4, 202, top + 4, 5));
        EXPECT_TRUE(areaIs(bar, 160, top + 11, 202, top + 11, 5));
        EXPECT_TRUE(areaIs(bar, 160, top + 5, 166, top + 10, 5));
        EXPECT_TRUE(areaIs(bar, 196, top + 5, 202, top + 10, 5));
        int whites = 0;
        for (int y = 5; y <= 10; ++y)
            for (int x = 167; x <= 195; ++x) whites += bar.at(x, top + y) == 15;
        EXPECT_EQ(whites > 0, state == 0);
        // Under the close button lies the image that the button shows.
        const int imageRow = state == 0 ? 0 : 18;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x) EXPECT_EQ(bar.at(352 + x, top + 3 + y), bar.at(363 + x, imageRow + y));
    }
}

TEST(CommittedBitmaps, SwitchLabelsFitTheirCopiedWidths) {
    const Bitmap labels = committed("INDICATOR");
    const int lastColumn[3] = {21, 30, 31};
    for (int band = 0; band < 6; ++band) {
        SCOPED_TRACE(band);
        const int top = 8 * band;
        const bool on = band % 2 == 1;
        int first = 99, last = -1;
        for (int x = 0; x < 34; ++x) {
            EXPECT_EQ(labels.at(x, top), 0) << "row 0 of a band is black";
            for (int y = top + 1; y < top + 8; ++y) {
                const int ink = labels.at(x, y);
                EXPECT_TRUE(ink == 0 || ink == 1 || ink == (on ? 3 : 2)) << x << "," << y << ": " << ink;
                if (ink != 0) first = std::min(first, x), last = std::max(last, x);
                // The on label is the off label in brighter ink.
                EXPECT_TRUE(!on || (ink == 0) == (labels.at(x, y - 8) == 0)) << x << "," << y;
            }
        }
        EXPECT_EQ(first, 2);
        EXPECT_EQ(last, lastColumn[band / 2]);
    }
}

TEST(SkinResources, LoadByNameWithTheirSizes) {
    HMODULE self = GetModuleHandleA(NULL);
    for (const Expected& e : sizes) {
        SCOPED_TRACE(e.name);
        EXPECT_NE(FindResourceExA(self, MAKEINTRESOURCEA(2) /* RT_BITMAP */, e.name,
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
                  nullptr);
        HBITMAP bitmap = LoadBitmapA(self, e.name);
        ASSERT_NE(bitmap, nullptr);
        BITMAP info = {};
        ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), int(sizeof info));
        EXPECT_EQ(info.bmWidth, e.width);
        EXPECT_EQ(info.bmHeight, e.height);
        DeleteObject(bitmap);
    }
}
