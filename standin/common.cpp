#include "standin/common.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

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
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
