#include "support/files.h"

#include <stdio.h>

static std::string readAll(FILE* file)
{
    std::string text;
    if (!file)
        return text;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, n);
    fclose(file);
    return text;
}

static bool writeAll(FILE* file, const std::string& text)
{
    if (!file)
        return false;
    bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && written;
}

std::string readFile(const std::string& path)
{
    return readAll(fopen(path.c_str(), "rb"));
}

bool writeFile(const std::string& path, const std::string& text)
{
    return writeAll(fopen(path.c_str(), "wb"), text);
}

std::string readFile(const std::wstring& path)
{
    return readAll(_wfopen(path.c_str(), L"rb"));
}

bool writeFile(const std::wstring& path, const std::string& text)
{
    return writeAll(_wfopen(path.c_str(), L"wb"), text);
}

std::string settingsText(int x, int y, int rain, int mirror, int reverse)
{
    char text[200];
    snprintf(text, sizeof(text),
             "[TOLVA]\r\nScreen_x=%d\r\nScreen_y=%d\r\nIsRain=%d\r\nIsMirror=%d\r\nIsReverse=%d\r\n",
             x, y, rain, mirror, reverse);
    return text;
}
