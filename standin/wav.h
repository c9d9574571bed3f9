// WAV files for the stand-in, kept as the bytes they arrived in and decoded
// one sample at a time on demand, so a long song costs its file size in
// memory and nothing more.
#ifndef HALDER_STANDIN_WAV_H
#define HALDER_STANDIN_WAV_H

#include "standin/audio.h"

#include <stddef.h>

// Reads a WAV image held in memory. On success fills audio (whose samples
// then point into bytes) and returns 1; otherwise writes a one-line reason
// and returns 0. Reads nothing outside bytes[0, size).
int parseWav(const unsigned char* bytes, size_t size, AudioData* audio, char* reason,
             size_t reasonSize);

// Reads a whole WAV file, its path in UTF-8; audio owns the bytes afterwards.
int readWavFile(const char* path, AudioData* audio, char* reason, size_t reasonSize);

#endif
