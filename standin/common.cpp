#include "standin/common.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

int fail(char* reason, size_t reasonSize, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(reason, reasonSize, format, args);
    va_end(args);
    return 0;
}

int isFolder(const char* path)
{
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring widePath(const char* path)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, path, -1, NULL, 0);
    std::wstring wide(length > 0 ? (size_t)length : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path, -1, &wide[0], (int)wide.size());
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string utf8Path(const wchar_t* path)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, path, -1, NULL, 0, NULL, NULL);
    std::string text(length > 0 ? (size_t)length : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, path, -1, &text[0], (int)text.size(), NULL, NULL);
    text.resize(strlen(text.c_str()));
    return text;
}
