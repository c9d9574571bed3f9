// Small helpers the stand-in's files share.
#ifndef HALDER_STANDIN_COMMON_H
#define HALDER_STANDIN_COMMON_H

#include <stddef.h>

// Writes a one-line reason into reason (printf-style) and returns 0, so a
// failing check reads `return fail(reason, size, "...", ...);`.
int fail(char* reason, size_t reasonSize, const char* format, ...)
    __attribute__((format(gnu_printf, 3, 4)));

// 1 when path names an existing folder.
int isFolder(const char* path);

#endif
