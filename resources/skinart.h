// The five skin bitmaps, and the setup program's pictures and icon made from
// the same parts, drawn pixel by pixel from code so that the artwork can be
// regenerated and reviewed like any other source. Portable C++17: the
// generator runs on the build machine as well as under Windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skinart {

// Indices into the shared 16-colour palette, named by their use.
enum Ink : uint8_t {
    Black = 0,
    DarkTeal = 1,
    Teal = 2,
    Cyan = 3,
    DarkestGrey = 4,
    DarkGrey = 5,
    Grey = 6,
    LightGrey = 7,
    NearWhite = 8,
    DarkBrown = 9,
    Brown = 10,
    Olive = 11,
    Gold = 12,
    Khaki = 13,
    Yellow = 14,
    White = 15,
};

struct Rgb {
    uint8_t red, green, blue;
};

// The palette every skin bitmap carries, in index order.
extern const std::array<Rgb, 16> palette;

// A palette-indexed picture, row 0 at the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    Image() = default;
    Image(int w, int h, uint8_t fill = Black)
        : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

    uint8_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes outside the picture are dropped, so shapes may run off an edge.
    void set(int x, int y, uint8_t ink) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<size_t>(y) * width + x] = ink;
    }
};

Image makeFace();       // 363 x 150: the panel background
Image makeTitlebar();   // 372 x 28: both title-bar states and the close-button images
Image makeMeter();      // 8 x 6: unlit, reflection and lit bar cells
Image makeIndicator();  // 34 x 48: the three switch labels, off and on
Image makeScale();      // 12 x 95: one side-scale column per display mode

// The setup program's artwork: a small panel with the title bar and a still
// of the bars, in the sizes its pages show.
Image makeSetupHeader();   // 150 x 57: the header of the inner pages
Image makeSetupWelcome();  // 164 x 314: beside the welcome and finish pages

// One size of an icon: its picture, and its mask (1 where it is transparent).
struct IconImage {
    Image picture;
    Image mask;
};
std::vector<IconImage> makeSetupIcon();  // 32 x 32 and 16 x 16

// The complete .bmp file: 4 bits per pixel, bottom-up, 16-colour palette.
std::vector<uint8_t> encodeBmp(const Image& image);
// The complete .ico file: each size in 4 bits per pixel with the palette.
std::vector<uint8_t> encodeIco(const std::vector<IconImage>& icons);

// Every skin bitmap by its resource name, in the order the skin loads them.
struct Artwork {
    const char* name;
    Image (*make)();
};
extern const std::array<Artwork, 5> artworks;

// The setup program's artwork files by name, each with what makes its bytes.
struct GeneratedFile {
    const char* fileName;
    std::vector<uint8_t> (*bytes)();
};
extern const std::array<GeneratedFile, 3> setupArtFiles;

}  // namespace skinart
