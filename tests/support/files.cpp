#include "support/files.h"

#include <stdio.h>

std::string readFile(const std::string& path)
{
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, n);
    fclose(file);
    return text;
}

bool writeFile(const std::string& path, const std::string& text)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

std::string settingsText(int x, int y, int rain, int mirror, int reverse)
{
    char text[200];
    snprintf(text, sizeof(text),
             "[TOLVA]\r\nScreen_x=%d\r\nScreen_y=%d\r\nIsRain=%d\r\nIsMirror=%d\r\nIsReverse=%d\r\n",
             x, y, rain, mirror, reverse);
    return text;
}
