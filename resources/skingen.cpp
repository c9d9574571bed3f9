// Writes the five skin bitmaps into a directory (the current one when none
// is given). The committed .bmp files are this program's output.
#include <cstdio>
#include <string>
#include <vector>

#include "skinart.h"

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : ".";
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    for (const skinart::Artwork& art : skinart::artworks) {
        const std::vector<uint8_t> bytes = skinart::encodeBmp(art.make());
        const std::string path = dir + art.name + ".bmp";
        FILE* f = std::fopen(path.c_str(), "wb");
        bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (f != nullptr && std::fclose(f) != 0) ok = false;
        if (!ok) {
            std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
