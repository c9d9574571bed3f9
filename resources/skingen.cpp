// Writes the five skin bitmaps and the setup program's artwork into a
// directory (the current one when none is given). The committed files are
// this program's output.
#include <cstdio>
#include <string>
#include <vector>

#include "skinart.h"

static bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f != nullptr && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
    return ok;
}

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : ".";
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    for (const skinart::Artwork& art : skinart::artworks)
        if (!writeBytes(dir + art.name + ".bmp", skinart::encodeBmp(art.make()))) return 1;
    for (const skinart::GeneratedFile& file : skinart::setupArtFiles)
        if (!writeBytes(dir + file.fileName, file.bytes())) return 1;
    return 0;
}
