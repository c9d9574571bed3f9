// WAV input. Every size in a file is untrusted: each one is checked against
// the bytes actually present before anything is read.
#include "standin/wav.h"

#include "standin/common.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    WAVE_FORMAT_PCM = 0x0001,
    WAVE_FORMAT_IEEE_FLOAT = 0x0003,
    WAVE_FORMAT_EXTENSIBLE = 0xFFFE,
    RIFF_HEADER_SIZE = 12,
    CHUNK_HEADER_SIZE = 8,
    FMT_BASIC_SIZE = 16,
    FMT_EXTENSIBLE_SIZE = 40
};

// The part every KSDATAFORMAT_SUBTYPE_* GUID shares after its first four bytes,
// which hold the plain format tag.
static const unsigned char kSubformatTail[12] = {
    0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71
};

struct WavFormat {
    unsigned tag;
    unsigned channels;
    uint32_t sampleRate;
    unsigned blockAlign;
    unsigned bitsPerSample;
};

static unsigned readU16(const unsigned char* p)
{
    return (unsigned)p[0] | ((unsigned)p[1] << 8);
}

static uint32_t readU32(const unsigned char* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Chunk ids are shown in messages; anything unprintable becomes '?'.
static void chunkName(const unsigned char* id, char name[5])
{
    for (int i = 0; i < 4; i++)
        name[i] = (id[i] >= 0x20 && id[i] < 0x7F) ? (char)id[i] : '?';
    name[4] = '\0';
}

// Extensible headers carry the real encoding in a GUID; anything but plain
// PCM or float there is reported as that GUID's tag.
static int resolveExtensibleTag(const unsigned char* body, uint32_t size, unsigned* tag,
                                char* reason, size_t reasonSize)
{
    if (size < FMT_EXTENSIBLE_SIZE || readU16(body + 16) < 22)
        return fail(reason, reasonSize, "extensible fmt chunk is too short (%lu bytes)",
                    (unsigned long)size);
    const unsigned char* guid = body + 24;
    if (memcmp(guid + 4, kSubformatTail, sizeof(kSubformatTail)) != 0)
        return fail(reason, reasonSize, "unsupported encoding (unknown extensible subformat)");
    *tag = (unsigned)readU32(guid);
    return 1;
}

static int parseFormat(const unsigned char* body, uint32_t size, WavFormat* format,
                       char* reason, size_t reasonSize)
{
    if (size < FMT_BASIC_SIZE)
        return fail(reason, reasonSize, "fmt chunk is too short (%lu bytes)", (unsigned long)size);
    format->tag = readU16(body);
    format->channels = readU16(body + 2);
    format->sampleRate = readU32(body + 4);
    format->blockAlign = readU16(body + 12);
    format->bitsPerSample = readU16(body + 14);
    if (format->tag == WAVE_FORMAT_EXTENSIBLE)
        return resolveExtensibleTag(body, size, &format->tag, reason, reasonSize);
    return 1;
}

static int chooseSampleFormat(const WavFormat* format, AudioData* audio, char* reason,
                              size_t reasonSize)
{
    const unsigned bits = format->bitsPerSample;
    if (format->tag == WAVE_FORMAT_PCM) {
        switch (bits) {
        case 8: audio->format = SAMPLE_U8; return 1;
        case 16: audio->format = SAMPLE_S16; return 1;
        case 24: audio->format = SAMPLE_S24; return 1;
        case 32: audio->format = SAMPLE_S32; return 1;
        default: return fail(reason, reasonSize, "unsupported sample size: %u-bit PCM", bits);
        }
    }
    if (format->tag == WAVE_FORMAT_IEEE_FLOAT) {
        if (bits == 32) {
            audio->format = SAMPLE_F32;
            return 1;
        }
        return fail(reason, reasonSize, "unsupported sample size: %u-bit float", bits);
    }
    return fail(reason, reasonSize,
                "unsupported encoding (format tag 0x%04X); decode it to PCM first, e.g. with ffmpeg -i IN -c:a pcm_s16le OUT.wav",
                format->tag);
}

static int checkFormat(const WavFormat* format, AudioData* audio, char* reason, size_t reasonSize)
{
    if (format->channels == 0)
        return fail(reason, reasonSize, "the fmt chunk gives 0 channels");
    if (format->channels > AUDIO_MAX_CHANNELS)
        return fail(reason, reasonSize, "%u channels; only mono and stereo are supported",
                    format->channels);
    if (format->sampleRate == 0 || format->sampleRate > AUDIO_MAX_RATE)
        return fail(reason, reasonSize, "sample rate %lu Hz is out of range (1 to %d)",
                    (unsigned long)format->sampleRate, (int)AUDIO_MAX_RATE);
    if (!chooseSampleFormat(format, audio, reason, reasonSize))
        return 0;
    const unsigned expectedAlign = format->channels * (format->bitsPerSample / 8);
    if (format->blockAlign != expectedAlign)
        return fail(reason, reasonSize, "block align %u does not match %u channels of %u bits",
                    format->blockAlign, format->channels, format->bitsPerSample);
    audio->channels = (int)format->channels;
    audio->sampleRate = (int)format->sampleRate;
    audio->bytesPerFrame = (int)format->blockAlign;
    return 1;
}

// Where the two chunks that matter were found; null until seen.
struct WavChunks {
    const unsigned char* fmt;
    uint32_t fmtSize;
    const unsigned char* data;
    uint32_t dataSize;
};

static int findChunks(const unsigned char* bytes, size_t size, WavChunks* chunks, char* reason,
                      size_t reasonSize)
{
    memset(chunks, 0, sizeof(*chunks));
    size_t offset = RIFF_HEADER_SIZE;
    while (size - offset >= CHUNK_HEADER_SIZE && !(chunks->fmt && chunks->data)) {
        const unsigned char* header = bytes + offset;
        uint32_t chunkSize = readU32(header + 4);
        const size_t available = size - offset - CHUNK_HEADER_SIZE;
        const int isData = memcmp(header, "data", 4) == 0;
        // A writer that streams cannot go back to fill in the data size: it
        // leaves 0 or 0xFFFFFFFF, or the file was cut while being written.
        // Either way the audio runs to the end of the file.
        if (isData && !chunks->data && (chunkSize == 0 || chunkSize > available))
            chunkSize = (uint32_t)available;
        if (chunkSize > available) {
            char name[5];
            chunkName(header, name);
            return fail(reason, reasonSize,
                        "truncated: the '%s' chunk declares %lu bytes but only %lu follow", name,
                        (unsigned long)chunkSize, (unsigned long)available);
        }
        const unsigned char* body = header + CHUNK_HEADER_SIZE;
        if (memcmp(header, "fmt ", 4) == 0 && !chunks->fmt) {
            chunks->fmt = body;
            chunks->fmtSize = chunkSize;
        } else if (isData && !chunks->data) {
            chunks->data = body;
            chunks->dataSize = chunkSize;
        }
        // Chunks start on even offsets. available >= chunkSize keeps this
        // sum within size + 1, so it cannot wrap.
        offset += CHUNK_HEADER_SIZE + (size_t)chunkSize + (chunkSize & 1u);
        if (offset > size)
            break;
    }
    if (!chunks->fmt)
        return fail(reason, reasonSize, "no fmt chunk (truncated or not a WAV file)");
    if (!chunks->data)
        return fail(reason, reasonSize, "no data chunk (truncated?)");
    return 1;
}

int parseWav(const unsigned char* bytes, size_t size, AudioData* audio, char* reason,
             size_t reasonSize)
{
    memset(audio, 0, sizeof(*audio));
    if (size < RIFF_HEADER_SIZE)
        return fail(reason, reasonSize, "not a WAV file: only %lu bytes", (unsigned long)size);
    if (memcmp(bytes, "RF64", 4) == 0)
        return fail(reason, reasonSize, "RF64 (over 4 GiB) WAV files are not supported");
    if (memcmp(bytes, "RIFF", 4) != 0 || memcmp(bytes + 8, "WAVE", 4) != 0)
        return fail(reason, reasonSize, "not a WAV file (no RIFF/WAVE header)");

    WavChunks chunks;
    if (!findChunks(bytes, size, &chunks, reason, reasonSize))
        return 0;
    WavFormat format;
    memset(&format, 0, sizeof(format));
    if (!parseFormat(chunks.fmt, chunks.fmtSize, &format, reason, reasonSize))
        return 0;
    if (!checkFormat(&format, audio, reason, reasonSize))
        return 0;
    audio->frameCount = chunks.dataSize / (uint32_t)audio->bytesPerFrame;
    if (audio->frameCount == 0)
        return fail(reason, reasonSize, "the data chunk holds no samples");
    audio->samples = chunks.data;
    return 1;
}

// Reads the whole file into one buffer; sizes beyond AUDIO_MAX_BYTES are
// refused before anything is allocated.
static unsigned char* readWholeFile(FILE* file, size_t* size, char* reason, size_t reasonSize)
{
    if (_fseeki64(file, 0, SEEK_END) != 0) {
        fail(reason, reasonSize, "cannot seek (not a regular file?)");
        return NULL;
    }
    const long long length = _ftelli64(file);
    if (length < 0 || _fseeki64(file, 0, SEEK_SET) != 0) {
        fail(reason, reasonSize, "cannot read its size");
        return NULL;
    }
    if (length > AUDIO_MAX_BYTES) {
        fail(reason, reasonSize, "too large (%lld bytes; at most %d)", length, (int)AUDIO_MAX_BYTES);
        return NULL;
    }
    unsigned char* bytes = (unsigned char*)malloc(length > 0 ? (size_t)length : 1);
    if (!bytes) {
        fail(reason, reasonSize, "not enough memory for %lld bytes", length);
        return NULL;
    }
    if (fread(bytes, 1, (size_t)length, file) != (size_t)length) {
        fail(reason, reasonSize, "read error");
        free(bytes);
        return NULL;
    }
    *size = (size_t)length;
    return bytes;
}

int readWavFile(const char* path, AudioData* audio, char* reason, size_t reasonSize)
{
    memset(audio, 0, sizeof(*audio));
    if (isFolder(path))
        return fail(reason, reasonSize, "is a folder, not an audio file");
    FILE* file = _wfopen(widePath(path).c_str(), L"rb");
    if (!file)
        return fail(reason, reasonSize, "cannot open: %s", strerror(errno));
    size_t size = 0;
    unsigned char* bytes = readWholeFile(file, &size, reason, reasonSize);
    fclose(file);
    if (!bytes)
        return 0;
    if (!parseWav(bytes, size, audio, reason, reasonSize)) {
        free(bytes);
        return 0;
    }
    audio->storage = bytes;
    return 1;
}
