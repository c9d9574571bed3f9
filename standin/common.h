// Small helpers the stand-in's files share. Paths are UTF-8 throughout the
// stand-in, so that a folder named in any script reaches Windows whole; they
// become wide only where a file is opened.
#ifndef HALDER_STANDIN_COMMON_H
#define HALDER_STANDIN_COMMON_H

#include <stddef.h>

#include <string>

// Writes a one-line reason into reason (printf-style) and returns 0, so a
// failing check reads `return fail(reason, size, "...", ...);`.
int fail(char* reason, size_t reasonSize, const char* format, ...)
    __attribute__((format(gnu_printf, 3, 4)));

// 1 when path names an existing folder.
int isFolder(const char* path);

// A path in UTF-8 as Windows' wide functions take it, and back.
std::wstring widePath(const char* path);
std::string utf8Path(const wchar_t* path);

#endif
