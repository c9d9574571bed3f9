// Pixel-by-pixel drawing of the skin bitmaps, and of the setup program's
// pictures and icon, which are small panels of the same make. Every element
// is a small function with the coordinates it owns, so that a change to the
// look is a change to one place; the panel is lit from the top left throughout.
#include "skinart.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace skinart {

const std::array<Rgb, 16> palette = {{
    {8, 8, 16},
    {0, 64, 64},
    {0, 128, 128},
    {0, 255, 255},
    {41, 33, 41},
    {58, 54, 61},
    {82, 82, 90},
    {140, 148, 156},
    {218, 218, 218},
    {58, 46, 25},
    {70, 63, 34},
    {98, 89, 48},
    {143, 130, 70},
    {177, 163, 89},
    {228, 223, 98},
    {255, 255, 255},
}};

namespace {

// ---------------------------------------------------------------------------
// Drawing primitives. Ranges are inclusive at both ends, the way the panel's
// coordinates are usually spoken of ("x 29 to 332").

void fill(Image& img, int x0, int y0, int x1, int y1, uint8_t ink) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) img.set(x, y, ink);
}

void hline(Image& img, int x0, int x1, int y, uint8_t ink) { fill(img, x0, y, x1, y, ink); }

void vline(Image& img, int x, int y0, int y1, uint8_t ink) { fill(img, x, y0, x, y1, ink); }

void paste(Image& dst, const Image& src, int dx, int dy) {
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x) dst.set(dx + x, dy + y, src.at(x, y));
}

Image crop(const Image& src, int x0, int y0, int w, int h) {
    Image out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.set(x, y, src.at(x0 + x, y0 + y));
    return out;
}

// One character of a picture drawn as text, and the ink it stands for.
struct Key {
    char ch;
    uint8_t ink;
};
using Legend = std::initializer_list<Key>;

// Draws a small picture given as rows of characters. Characters that the
// legend does not name leave the pixel as it was, so '.' is "transparent".
void stamp(Image& img, int x, int y, std::initializer_list<const char*> rows, Legend legend) {
    int row = 0;
    for (const char* line : rows) {
        for (int col = 0; line[col] != '\0'; ++col)
            for (const Key& key : legend)
                if (key.ch == line[col]) img.set(x + col, y + row, key.ink);
        ++row;
    }
}

// ---------------------------------------------------------------------------
// Pixel text. '#' is the body of a stroke, '+' a softening pixel on a
// diagonal or a rounded corner. Letters follow each other 1 pixel apart.

struct Glyph {
    char letter;
    const char* rows[7];
};

// The switch labels: 7 rows tall, brackets 2 wide, most letters 3 wide; E is
// 2 wide so that "[REVERSE]" still fits its 34-pixel band, and M 5 and N 4
// wide, since in 3 columns their diagonals can only meet in the middle and
// they read as H. "[RAIN]" then ends at x = 21, inside its 23-pixel band.
const Glyph labelFont[] = {
    {'[', {"##", "#.", "#.", "#.", "#.", "#.", "##"}},
    {']', {"##", ".#", ".#", ".#", ".#", ".#", "##"}},
    {'A', {"+#+", "#.#", "#.#", "###", "#.#", "#.#", "#.#"}},
    {'E', {"##", "#.", "#.", "##", "#.", "#.", "##"}},
    {'I', {"#", "#", "#", "#", "#", "#", "#"}},
    {'M', {"#...#", "##.##", "#+#+#", "#...#", "#...#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "##+#", "#+##", "#.##", "#..#", "#..#"}},
    {'O', {"+#+", "#.#", "#.#", "#.#", "#.#", "#.#", "+#+"}},
    {'R', {"##+", "#.#", "#.#", "##+", "#+#", "#.#", "#.#"}},
    {'S', {"+##", "#..", "#..", "+#+", "..#", "..#", "##+"}},
    {'V', {"#.#", "#.#", "#.#", "#.#", "#.#", "+#+", ".#."}},
};

// The caption: 6 rows tall with 2-pixel stems, so that it reads as bold.
const Glyph captionFont[] = {
    {'A', {".+#+.", "+###+", "##.##", "#####", "##.##", "##.##"}},
    {'L', {"##..", "##..", "##..", "##..", "##..", "####"}},
    {'O', {"+###+", "##.##", "##.##", "##.##", "##.##", "+###+"}},
    {'T', {"######", "..##..", "..##..", "..##..", "..##..", "..##.."}},
    {'V', {"##.##", "##.##", "##.##", "+#+#+", ".###.", ".+#+."}},
};

template <size_t N>
const Glyph& glyphFor(const Glyph (&font)[N], char letter) {
    for (const Glyph& g : font)
        if (g.letter == letter) return g;
    return font[0];
}

// Draws text with its top-left pixel at (x, y).
template <size_t N>
void drawText(Image& img, int x, int y, const char* text, const Glyph (&font)[N], uint8_t body,
              uint8_t soft) {
    for (const char* p = text; *p != '\0'; ++p) {
        const Glyph& g = glyphFor(font, *p);
        const int width = static_cast<int>(std::strlen(g.rows[0]));
        for (int row = 0; row < 7 && g.rows[row] != nullptr; ++row)
            for (int col = 0; col < width; ++col) {
                if (g.rows[row][col] == '#') img.set(x + col, y + row, body);
                if (g.rows[row][col] == '+') img.set(x + col, y + row, soft);
            }
        x += width + 1;
    }
}

// ---------------------------------------------------------------------------
// FACE, and the panel it shares with the setup program's pictures

constexpr int faceWidth = 363;
constexpr int faceHeight = 150;

// A panel's outline and the areas inside it, inclusive: the plate inside the
// groove, and the screen sunk into the plate. Every panel keeps the face's
// margins, so its title bar, rim and screws sit where the face has them.
struct Panel {
    int width, height;
    int plateLeft, plateTop, plateRight, plateBottom;
    int screenLeft, screenTop, screenRight, screenBottom;
};

Panel panelOfSize(int width, int height) {
    return {width, height, 6, 14, width - 6, height - 6, 29, 22, width - 31, height - 16};
}

const Panel facePanel = panelOfSize(faceWidth, faceHeight);

void drawOutline(Image& img, const Panel& p) {
    hline(img, 0, p.width - 1, 0, Black);
    hline(img, 0, p.width - 1, p.height - 1, Black);
    vline(img, 0, 0, p.height - 1, Black);
    vline(img, p.width - 1, 0, p.height - 1, Black);
}

// Three rings inside the outline form a rounded rim: its outer slope catches
// the light on the top and left, its inner slope on the right and bottom.
// Where a ring turns from a lit side to a dark one, the corner pixel takes
// the middle grey so the turn does not show as a hard step.
void drawBevel(Image& img, const Panel& p) {
    const uint8_t topLeft[3] = {LightGrey, Grey, DarkGrey};
    const uint8_t bottomRight[3] = {DarkGrey, Grey, LightGrey};
    for (int i = 1; i <= 3; ++i) {
        int l = i, t = i, r = p.width - 1 - i, b = p.height - 1 - i;
        uint8_t lit = topLeft[i - 1], dark = bottomRight[i - 1];
        uint8_t turn = lit == dark ? lit : uint8_t(Grey);
        hline(img, l, r, t, lit);
        vline(img, l, t, b, lit);
        hline(img, l, r, b, dark);
        vline(img, r, t, b, dark);
        img.set(r, t, turn);
        img.set(l, b, turn);
    }
    img.set(1, 1, White);
    img.set(p.width - 4, p.height - 4, White);
}

// Black channel between the rim and the plate: 2 pixels on the top and left,
// 1 on the right and bottom. The plate is laid over the middle of it.
void drawGroove(Image& img, const Panel& p) { fill(img, 4, 12, p.width - 5, p.height - 5, Black); }

// How far the first rows of each plate corner are cut back: a quarter circle.
constexpr int plateCornerCut[] = {4, 2, 1, 1};

bool onPlate(const Panel& p, int x, int y) {
    if (x < p.plateLeft || x > p.plateRight || y < p.plateTop || y > p.plateBottom) return false;
    int dx = std::min(x - p.plateLeft, p.plateRight - x);
    int dy = std::min(y - p.plateTop, p.plateBottom - y);
    return !(dy < 4 && dx < plateCornerCut[dy]);
}

// The raised plate: lit where its edge faces up or left, shadowed where it
// faces down or right, and the middle grey where the curve of a corner does both.
void drawPlate(Image& img, const Panel& p) {
    for (int y = p.plateTop; y <= p.plateBottom; ++y)
        for (int x = p.plateLeft; x <= p.plateRight; ++x) {
            if (!onPlate(p, x, y)) continue;
            bool lit = !onPlate(p, x - 1, y) || !onPlate(p, x, y - 1);
            bool shaded = !onPlate(p, x + 1, y) || !onPlate(p, x, y + 1);
            uint8_t ink = DarkGrey;
            if (lit && shaded) ink = Grey;
            else if (lit) ink = LightGrey;
            else if (shaded) ink = DarkestGrey;
            img.set(x, y, ink);
        }
}

// The screen sits below the plate: a dark rim all round, and beyond the
// right and bottom sides the plate's edge catches the light as a lip that
// fades out at both ends.
void drawScreen(Image& img, const Panel& p) {
    fill(img, p.screenLeft - 1, p.screenTop - 1, p.screenRight + 1, p.screenBottom + 1, DarkestGrey);
    fill(img, p.screenLeft, p.screenTop, p.screenRight, p.screenBottom, Black);
    vline(img, p.screenRight + 2, p.screenTop, p.screenBottom + 2, LightGrey);
    hline(img, p.screenLeft, p.screenRight + 2, p.screenBottom + 2, LightGrey);
    vline(img, p.screenRight + 2, p.screenTop - 1, p.screenTop, Grey);
    hline(img, p.screenLeft - 1, p.screenLeft, p.screenBottom + 2, Grey);
}

// A round screw head 7 pixels across, its centre at (cx, cy): a dark rim,
// a domed top with a glint at the upper left, and a slot whose far wall
// catches the light. Screws are seldom turned alike, so the slot lies
// across on some and upright on others.
void drawScrew(Image& face, int cx, int cy, bool slotAcross) {
    Legend legend = {{'a', DarkestGrey}, {'w', White}, {'l', LightGrey}, {'m', Grey},
                     {'d', DarkGrey},    {'s', Black}};
    if (slotAcross)
        stamp(face, cx - 3, cy - 3,
              {"..aaa..",
               ".awlma.",
               "allmmda",
               "asssssa",
               "almmdda",
               ".amdda.",
               "..aaa.."},
              legend);
    else
        stamp(face, cx - 3, cy - 3,
              {"..aaa..",
               ".awsla.",
               "allslda",
               "almsmda",
               "almsmda",
               ".amsda.",
               "..aaa.."},
              legend);
}

void drawScrews(Image& img, const Panel& p) {
    drawScrew(img, 19, 25, true);
    drawScrew(img, p.width - 20, 25, false);
    drawScrew(img, 19, p.height - 18, false);
    drawScrew(img, p.width - 20, p.height - 18, true);
}

// Outline, rim, plate, screen and screws: what every panel has.
void drawPanel(Image& img, const Panel& p) {
    drawOutline(img, p);
    drawBevel(img, p);
    drawGroove(img, p);
    drawPlate(img, p);
    drawScreen(img, p);
    drawScrews(img, p);
}

// Dots beside the two side scales, one on every odd row of their height.
void drawDottedLines(Image& face) {
    for (int y = 33; y <= 127; y += 2) {
        face.set(32, y, Teal);
        face.set(330, y, Teal);
    }
}

// The ruler under the bar area: a short tick every 4 pixels, a longer one
// every bar (8 pixels) and a full-height one every 36 pixels.
void drawRuler(Image& face) {
    for (int k = 0; k <= 72; ++k) face.set(37 + 4 * k, 132, Teal);
    for (int k = 0; k <= 36; ++k) face.set(37 + 8 * k, 131, Teal);
    for (int k = 0; k <= 8; ++k) vline(face, 37 + 36 * k, 129, 132, Teal);
}

// ---------------------------------------------------------------------------
// TITLEBAR

constexpr int titleWidth = 362;
constexpr int titleHeight = 14;
constexpr int closeImageX = 363;
constexpr int closeButtonY = 3;

enum class CloseLook { Normal, Pressed, Inactive };

// Shading of the close button's X inside its 7 x 7 frame: '.' the black
// ground, 1 a faint edge beside a stroke, 2 to 5 the arms growing brighter
// towards the middle, 6 the centre.
const char* const closeShape[7] = {
    "21...12",
    "142.241",
    ".25352.",
    "..363..",
    ".25352.",
    "142.241",
    "21...12",
};

Image makeCloseButton(CloseLook look) {
    // Inks for shades 0 to 6 in each look: the pressed X is one shade darker
    // throughout, the inactive one dim and without its white centre.
    static const uint8_t normal[7] = {Black, DarkBrown, Brown, Olive, Gold, Khaki, White};
    static const uint8_t pressed[7] = {Black, DarkBrown, DarkBrown, Brown, Olive, Gold, Khaki};
    static const uint8_t inactive[7] = {Black, DarkBrown, DarkBrown, DarkBrown, Brown, Brown, Olive};
    const uint8_t* inks = look == CloseLook::Normal ? normal : look == CloseLook::Pressed ? pressed : inactive;

    Image button(9, 9, look == CloseLook::Pressed ? Khaki : DarkGrey);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            char c = closeShape[y][x];
            button.set(1 + x, 1 + y, inks[c == '.' ? 0 : c - '0']);
        }
    return button;
}

// A band of five coloured lines in a black frame, rows 4 to 10 of the state.
void drawGripBand(Image& bar, int left, int right, int top, const uint8_t (&lines)[5]) {
    fill(bar, left, top + 4, right, top + 10, Black);
    for (int i = 0; i < 5; ++i) hline(bar, left + 1, right - 1, top + 5 + i, lines[i]);
}

// What a title bar of the given width shows over the rim: two grip bands
// with the caption in a gap between them, centred, and the close button
// at the right end.
void drawTitleMarks(Image& bar, int width, int top, bool active) {
    static const uint8_t activeLines[5] = {Yellow, White, DarkBrown, Gold, Yellow};
    static const uint8_t inactiveLines[5] = {Gold, LightGrey, DarkBrown, Olive, Khaki};
    const int right = width - 13;
    const int centre = (13 + right) / 2;
    drawGripBand(bar, 13, centre - 22, top, active ? activeLines : inactiveLines);
    drawGripBand(bar, centre + 22, right, top, active ? activeLines : inactiveLines);
    drawText(bar, centre - 14, top + 5, "TOLVA", captionFont, active ? White : LightGrey,
             active ? NearWhite : Grey);
    // The child button covers this spot; the bar underneath shows the same
    // image so nothing flickers between the two paints.
    paste(bar, makeCloseButton(active ? CloseLook::Normal : CloseLook::Inactive), width - 10,
          top + closeButtonY);
}

// One 362 x 14 state. It starts from the face's own top rows, so that its
// rim and groove continue the face's exactly where the two meet.
void drawTitleState(Image& bar, const Image& face, int top, bool active) {
    paste(bar, crop(face, 0, 0, titleWidth, titleHeight), 0, top);
    drawTitleMarks(bar, titleWidth, top, active);
}

}  // namespace

Image makeFace() {
    Image img(faceWidth, faceHeight, DarkGrey);
    drawPanel(img, facePanel);
    drawDottedLines(img);
    drawRuler(img);
    return img;
}

Image makeTitlebar() {
    // Column 362 and the last row of the close-button column are never
    // copied and stay black.
    Image bar(372, 28, Black);
    const Image face = makeFace();
    drawTitleState(bar, face, 0, true);
    drawTitleState(bar, face, titleHeight, false);
    paste(bar, makeCloseButton(CloseLook::Normal), closeImageX, 0);
    paste(bar, makeCloseButton(CloseLook::Pressed), closeImageX, 9);
    paste(bar, makeCloseButton(CloseLook::Inactive), closeImageX, 18);
    return bar;
}

// ---------------------------------------------------------------------------
// METER, INDICATOR, SCALE

Image makeMeter() {
    Image meter(8, 6, Black);
    stamp(meter, 0, 0,
          {"1111111.",
           "........",
           "2222222.",
           "........",
           "3333333.",
           "........"},
          {{'1', DarkTeal}, {'2', Teal}, {'3', Cyan}});
    return meter;
}

Image makeIndicator() {
    Image indicator(34, 48, Black);
    const char* const labels[3] = {"[RAIN]", "[MIRROR]", "[REVERSE]"};
    for (int i = 0; i < 3; ++i) {
        drawText(indicator, 2, 16 * i + 1, labels[i], labelFont, Teal, DarkTeal);
        drawText(indicator, 2, 16 * i + 9, labels[i], labelFont, Cyan, DarkTeal);
    }
    return indicator;
}

Image makeScale() {
    // Tick rows of each display mode's column: normal, rain, mirror, rain and mirror.
    static const int ticks[4][9] = {
        {0, 4, 10, 18, 28, 40, 54, 72, 94},
        {0, 22, 40, 54, 66, 76, 84, 90, 94},
        {0, 10, 24, 42, 62, 72, 80, 88, 94},
        {0, 20, 38, 52, 62, 68, 76, 84, 94},
    };
    Image scale(12, 95, Black);
    for (int mode = 0; mode < 4; ++mode)
        for (int row : ticks[mode]) hline(scale, 3 * mode, 3 * mode + 2, row, Teal);
    return scale;
}

// ---------------------------------------------------------------------------
// The setup program's pictures and icon: small panels with the face's rim,
// plate, screws and title bar, showing a still of the bars in the meter's
// inks.

namespace {

// The still: each bar's height in hundredths of the screen's, and how far
// above it its peak marker floats.
constexpr int stillLevels[12] = {48, 66, 82, 94, 86, 70, 56, 64, 50, 36, 42, 30};
constexpr int stillPeakGap = 8;

// Fills the area (inclusive) with as many bars of the given pitch as fit,
// centred: lit cells up to each bar's height and its peak marker, unlit cells
// above, every bar and cell one blank pixel apart, as the plug-in draws them.
void drawStill(Image& img, int left, int top, int right, int bottom, int pitch) {
    const Image meter = makeMeter();
    const uint8_t unlit = meter.at(0, 0), lit = meter.at(0, 4);
    const int bars = (right - left + 2) / pitch;
    const int cells = (bottom - top + 2) / 2;
    const int firstX = left + (right - left + 2 - bars * pitch) / 2;
    for (int k = 0; k < bars; ++k) {
        const int level = stillLevels[k * 12 / bars];
        const int height = cells * level / 100;
        const int peak = std::min(cells - 1, height + std::max(1, cells * stillPeakGap / 100));
        const int x = firstX + k * pitch;
        for (int c = 0; c < cells; ++c)  // c counts cells from the bottom
            hline(img, x, x + pitch - 2, top + 2 * (cells - 1 - c), c < height || c == peak ? lit : unlit);
    }
}

// A panel with its title bar lit and a still on its screen.
Image drawSetupPanel(int width, int height) {
    const Panel p = panelOfSize(width, height);
    Image img(width, height, DarkGrey);
    drawPanel(img, p);
    drawTitleMarks(img, width - 1, 0, true);
    drawStill(img, p.screenLeft + 2, p.screenTop + 2, p.screenRight - 2, p.screenBottom - 2, 8);
    return img;
}

// One size of the icon: a rounded plate with a sunk screen showing the still;
// outside the plate's corners the icon is transparent (mask 1).
IconImage drawIcon(int size, int screenInset, int pitch) {
    const int far = size - 1 - screenInset;
    const Panel p = {size, size, 0, 0, size - 1, size - 1, screenInset, screenInset, far, far};
    IconImage icon{Image(size, size, DarkGrey), Image(size, size, 0)};
    drawPlate(icon.picture, p);
    drawScreen(icon.picture, p);
    drawStill(icon.picture, screenInset, screenInset + 1, far, far - 1, pitch);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (!onPlate(p, x, y)) {
                icon.picture.set(x, y, Black);
                icon.mask.set(x, y, 1);
            }
    return icon;
}

}  // namespace

Image makeSetupHeader() { return drawSetupPanel(150, 57); }

Image makeSetupWelcome() { return drawSetupPanel(164, 314); }

std::vector<IconImage> makeSetupIcon() { return {drawIcon(32, 4, 8), drawIcon(16, 3, 3)}; }

// ---------------------------------------------------------------------------
// .bmp encoding

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// BITMAPINFOHEADER of a 4-bit picture with the palette, then its pixels:
// bottom row first, two to a byte with the left one in the high nibble, each
// row padded with zeros to a multiple of 4 bytes. An icon's header counts its
// mask's rows in the height as well (heightRows) and its size in the image size.
uint32_t pixelRowBytes(const Image& image) { return ((static_cast<uint32_t>(image.width) + 1) / 2 + 3) / 4 * 4; }

void putPicture(std::vector<uint8_t>& out, const Image& image, int heightRows, uint32_t imageBytes) {
    put32(out, 40);
    put32(out, static_cast<uint32_t>(image.width));
    put32(out, static_cast<uint32_t>(heightRows));  // positive: bottom-up
    put16(out, 1);                                  // planes
    put16(out, 4);                                  // bits per pixel
    put32(out, 0);                                  // BI_RGB
    put32(out, imageBytes);
    put32(out, 0);  // horizontal resolution
    put32(out, 0);  // vertical resolution
    put32(out, 16); // colours used
    put32(out, 0);  // colours important: all
    // Colour table as RGBQUADs: blue, green, red, reserved.
    for (const Rgb& c : palette) {
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(0);
    }
    const uint32_t rowBytes = pixelRowBytes(image);
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        for (int x = 0; x < image.width; x += 2) {
            uint8_t left = image.at(x, y) & 0x0F;
            uint8_t right = x + 1 < image.width ? image.at(x + 1, y) & 0x0F : 0;
            out.push_back(static_cast<uint8_t>(left << 4 | right));
        }
        while (out.size() - rowStart < rowBytes) out.push_back(0);
    }
}

}  // namespace

std::vector<uint8_t> encodeBmp(const Image& image) {
    const uint32_t pixelBytes = pixelRowBytes(image) * static_cast<uint32_t>(image.height);
    const uint32_t pixelOffset = 14 + 40 + 16 * 4;

    std::vector<uint8_t> out;
    out.reserve(pixelOffset + pixelBytes);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    put32(out, pixelOffset + pixelBytes);
    put32(out, 0);  // two reserved words
    put32(out, pixelOffset);
    putPicture(out, image, image.height, pixelBytes);
    return out;
}

std::vector<uint8_t> encodeIco(const std::vector<IconImage>& icons) {
    // Each image: its picture as in a .bmp, then its 1-bit mask, rows padded
    // to 4 bytes likewise.
    std::vector<std::vector<uint8_t>> images;
    for (const IconImage& icon : icons) {
        const uint32_t maskRowBytes = (static_cast<uint32_t>(icon.mask.width) + 31) / 32 * 4;
        const uint32_t imageBytes = (pixelRowBytes(icon.picture) + maskRowBytes) *
                                    static_cast<uint32_t>(icon.picture.height);
        std::vector<uint8_t> image;
        putPicture(image, icon.picture, 2 * icon.picture.height, imageBytes);
        for (int y = icon.mask.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(maskRowBytes, 0);
            for (int x = 0; x < icon.mask.width; ++x)
                if (icon.mask.at(x, y)) row[static_cast<size_t>(x) / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            image.insert(image.end(), row.begin(), row.end());
        }
        images.push_back(image);
    }
    // ICONDIR, then one ICONDIRENTRY per image, then the images.
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<uint32_t>(icons.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(icons.size());
    for (size_t i = 0; i < icons.size(); ++i) {
        out.push_back(static_cast<uint8_t>(icons[i].picture.width));
        out.push_back(static_cast<uint8_t>(icons[i].picture.height));
        out.push_back(16);  // colours
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 4);  // bits per pixel
        put32(out, static_cast<uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

const std::array<Artwork, 5> artworks = {{
    {"FACE", makeFace},
    {"TITLEBAR", makeTitlebar},
    {"METER", makeMeter},
    {"INDICATOR", makeIndicator},
    {"SCALE", makeScale},
}};

const std::array<GeneratedFile, 3> setupArtFiles = {{
    {"setup-header.bmp", [] { return encodeBmp(makeSetupHeader()); }},
    {"setup-welcome.bmp", [] { return encodeBmp(makeSetupWelcome()); }},
    {"setup.ico", [] { return encodeIco(makeSetupIcon()); }},
}};

}  // namespace skinart
