// WAV images built in memory, so each test states exactly the header it means.
#ifndef HALDER_TESTS_WAV_BYTES_H
#define HALDER_TESTS_WAV_BYTES_H

#include <math.h>
#include <stdint.h>

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

inline void putU16(Bytes& out, unsigned value)
{
    out.push_back((unsigned char)(value & 0xFF));
    out.push_back((unsigned char)((value >> 8) & 0xFF));
}

inline void putU32(Bytes& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

inline void putChunk(Bytes& out, const char* id, const Bytes& body)
{
    out.insert(out.end(), id, id + 4);
    putU32(out, (uint32_t)body.size());
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1)
        out.push_back(0);
}

struct FmtFields {
    unsigned tag;
    unsigned channels;
    uint32_t rate;
    unsigned bits;
    unsigned blockAlign; // 0: channels * bits / 8
};

inline Bytes fmtBody(const FmtFields& f)
{
    const unsigned align = f.blockAlign ? f.blockAlign : f.channels * f.bits / 8;
    Bytes body;
    putU16(body, f.tag);
    putU16(body, f.channels);
    putU32(body, f.rate);
    putU32(body, f.rate * align);
    putU16(body, align);
    putU16(body, f.bits);
    return body;
}

// The 40-byte extensible form; subformat is the tag inside the GUID.
inline Bytes extensibleFmtBody(unsigned channels, uint32_t rate, unsigned bits, unsigned subformat)
{
    Bytes body = fmtBody({ 0xFFFE, channels, rate, bits, 0 });
    putU16(body, 22);           // cbSize
    putU16(body, bits);         // valid bits
    putU32(body, channels == 2 ? 3 : 4); // speaker mask
    putU32(body, subformat);
    const unsigned char tail[12] = { 0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                     0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };
    body.insert(body.end(), tail, tail + 12);
    return body;
}

inline Bytes riffWave(const Bytes& chunks)
{
    Bytes out;
    out.insert(out.end(), { 'R', 'I', 'F', 'F' });
    putU32(out, (uint32_t)(chunks.size() + 4));
    out.insert(out.end(), { 'W', 'A', 'V', 'E' });
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

inline Bytes wavFile(const Bytes& fmt, const Bytes& data)
{
    Bytes chunks;
    putChunk(chunks, "fmt ", fmt);
    putChunk(chunks, "data", data);
    return riffWave(chunks);
}

// 16-bit PCM of a sine per channel (0 Hz for silence), amplitude 0 to 1.
inline Bytes sinePcm16(int rate, int channels, int frames, const double* hz, double amplitude,
                       int silentFrames = 0)
{
    Bytes data;
    for (int n = 0; n < frames; n++) {
        for (int c = 0; c < channels; c++) {
            const double t = (double)n / rate;
            const double value = n < silentFrames ? 0.0
                                                  : amplitude * sin(2.0 * 3.14159265358979 * hz[c] * t);
            putU16(data, (unsigned)(int16_t)lround(value * 32767.0) & 0xFFFF);
        }
    }
    return data;
}

#endif
