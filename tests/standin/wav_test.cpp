// The WAV reader: values decoded right in every supported layout, sizes
// left by streaming writers read as the rest of the file, and every other
// malformed size refused with a reason.
#include "standin/wav.h"

#include "wav_bytes.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <memory>

namespace {

struct Parsed {
    int ok;
    AudioData audio;
    std::string reason;
    Bytes bytes;    // what audio.samples points into, kept as long as audio
};

Parsed parse(const Bytes& bytes)
{
    Parsed result;
    result.bytes = bytes;
    char reason[256] = "";
    result.ok = parseWav(result.bytes.data(), result.bytes.size(), &result.audio, reason,
                         sizeof(reason));
    result.reason = reason;
    return result;
}

TEST(WavReader, DecodesEveryPcmWidthAndFloat)
{
    struct Case {
        const char* name;
        unsigned tag;
        unsigned bits;
        Bytes data; // three mono samples: most negative, zero, half positive
    };
    const Case cases[] = {
        { "u8", 1, 8, { 0x00, 0x80, 0xC0 } },
        { "s16", 1, 16, { 0x00, 0x80, 0x00, 0x00, 0x00, 0x40 } },
        { "s24", 1, 24, { 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40 } },
        { "s32", 1, 32, { 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0x40 } },
        { "f32", 3, 32, { 0x00, 0x00, 0x80, 0xBF, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x3F } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(wavFile(fmtBody({ c.tag, 1, 8000, c.bits, 0 }), c.data));
        ASSERT_TRUE(p.ok) << p.reason;
        EXPECT_EQ(1, p.audio.channels);
        EXPECT_EQ(8000, p.audio.sampleRate);
        ASSERT_EQ(3u, p.audio.frameCount);
        EXPECT_FLOAT_EQ(-1.0f, audioSample(&p.audio, 0, 0));
        EXPECT_FLOAT_EQ(0.0f, audioSample(&p.audio, 1, 0));
        EXPECT_FLOAT_EQ(0.5f, audioSample(&p.audio, 2, 0));
        EXPECT_FLOAT_EQ(0.0f, audioSample(&p.audio, 3, 0)) << "past the end reads as silence";
    }
}

TEST(WavReader, ExtensibleStereoKeepsChannelOrder)
{
    // Left +0.25, right -0.5, twice.
    const Bytes pcm = { 0x00, 0x20, 0x00, 0xC0, 0x00, 0x20, 0x00, 0xC0 };
    Parsed p = parse(wavFile(extensibleFmtBody(2, 96000, 16, 1), pcm));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(2, p.audio.channels);
    EXPECT_EQ(2u, p.audio.frameCount);
    EXPECT_FLOAT_EQ(0.25f, audioSample(&p.audio, 1, 0));
    EXPECT_FLOAT_EQ(-0.5f, audioSample(&p.audio, 1, 1));

    const Bytes floats = { 0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0xBF };
    p = parse(wavFile(extensibleFmtBody(2, 44100, 32, 3), floats));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_FLOAT_EQ(0.25f, audioSample(&p.audio, 0, 0));
    EXPECT_FLOAT_EQ(-0.5f, audioSample(&p.audio, 0, 1));
}

TEST(WavReader, SkipsOtherChunksAndPadBytesAndPartFrames)
{
    Bytes chunks;
    putChunk(chunks, "LIST", { 'a', 'b', 'c' }); // odd size: a pad byte follows
    Bytes data = { 0x00, 0x40, 0x00, 0xC0, 0x7F }; // two samples and a stray byte
    putChunk(chunks, "data", data);              // data before fmt is allowed
    putChunk(chunks, "fmt ", fmtBody({ 1, 1, 22050, 16, 0 }));
    Parsed p = parse(riffWave(chunks));
    ASSERT_TRUE(p.ok) << p.reason;
    EXPECT_EQ(2u, p.audio.frameCount);
    EXPECT_FLOAT_EQ(-0.5f, audioSample(&p.audio, 1, 0));
}

TEST(WavReader, ACutFileIsReadToItsLastWholeFrameOrRefused)
{
    const double hz[] = { 440.0, 880.0 };
    Bytes chunks;
    putChunk(chunks, "fmt ", fmtBody({ 1, 2, 8000, 16, 0 }));
    putChunk(chunks, "LIST", Bytes(5, 'x'));
    putChunk(chunks, "data", sinePcm16(8000, 2, 40, hz, 0.5));
    const Bytes whole = riffWave(chunks);
    const size_t samplesStart = whole.size() - 40 * 4;
    ASSERT_TRUE(parse(whole).ok);
    for (size_t size = 0; size < whole.size(); size++) {
        // An exact-size heap copy, so a read past the end touches no slack.
        std::unique_ptr<unsigned char[]> copy(new unsigned char[size + 1]);
        memcpy(copy.get(), whole.data(), size);
        AudioData audio;
        char reason[256] = "";
        const int ok = parseWav(copy.get(), size, &audio, reason, sizeof(reason));
        // As a file still being written: whole frames are audio, anything
        // short of the first frame is refused with a reason.
        if (size >= samplesStart + 4) {
            EXPECT_TRUE(ok) << size << ": " << reason;
            EXPECT_EQ((size - samplesStart) / 4, audio.frameCount) << size;
            continue;
        }
        EXPECT_FALSE(ok) << size;
        EXPECT_NE('\0', reason[0]) << size;
        EXPECT_EQ(nullptr, strchr(reason, '\n')) << "one line: " << reason;
    }
}

TEST(WavReader, StreamedSizesMeanTheRestOfTheFile)
{
    // Streaming writers leave the sizes at 0xFFFFFFFF or 0; the data
    // then runs to the end of the file, a part frame dropped.
    for (uint32_t unknown : { 0xFFFFFFFFu, 0u }) {
        SCOPED_TRACE(unknown);
        Bytes chunks;
        putChunk(chunks, "fmt ", fmtBody({ 1, 2, 8000, 16, 0 }));
        chunks.insert(chunks.end(), { 'd', 'a', 't', 'a' });
        putU32(chunks, unknown);
        chunks.insert(chunks.end(), { 0x00, 0x40, 0x00, 0xC0, 0x00, 0x20, 0x00, 0xE0, 0x01 });
        Bytes file = riffWave(chunks);
        file[4] = file[5] = file[6] = file[7] = (unsigned char)(unknown & 0xFF);
        Parsed p = parse(file);
        ASSERT_TRUE(p.ok) << p.reason;
        EXPECT_EQ(2u, p.audio.frameCount);
        EXPECT_FLOAT_EQ(-0.5f, audioSample(&p.audio, 0, 1));
        EXPECT_FLOAT_EQ(0.25f, audioSample(&p.audio, 1, 0));
    }
}

TEST(WavReader, RefusesBadHeadersWithAReason)
{
    const Bytes twoSamples = { 1, 2, 3, 4 };
    Bytes hugeList;
    putChunk(hugeList, "fmt ", fmtBody({ 1, 1, 8000, 16, 0 }));
    hugeList.insert(hugeList.end(), { 'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF, 0xFF, 1, 2 });
    Bytes hugeFmt = riffWave({ 'f', 'm', 't', ' ', 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0 });
    Bytes rf64 = wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), twoSamples);
    memcpy(rf64.data(), "RF64", 4);
    Bytes shortFmt = fmtBody({ 1, 1, 8000, 16, 0 });
    shortFmt.resize(14);
    Bytes unknownGuid = extensibleFmtBody(1, 8000, 16, 1);
    unknownGuid.back() ^= 0xFF;

    struct Case {
        Bytes file;
        const char* expected;
    };
    const Case cases[] = {
        { wavFile(fmtBody({ 1, 0, 8000, 16, 2 }), twoSamples), "0 channels" },
        { wavFile(fmtBody({ 1, 3, 8000, 16, 0 }), Bytes(12, 0)), "3 channels" },
        { wavFile(fmtBody({ 1, 1, 0, 16, 0 }), twoSamples), "sample rate 0" },
        { wavFile(fmtBody({ 1, 1, 2000000, 16, 0 }), twoSamples), "out of range" },
        { wavFile(fmtBody({ 1, 1, 8000, 12, 2 }), twoSamples), "12-bit PCM" },
        { wavFile(fmtBody({ 3, 1, 8000, 64, 0 }), Bytes(16, 0)), "64-bit float" },
        { wavFile(fmtBody({ 0x55, 1, 8000, 16, 0 }), twoSamples), "0x0055" },
        { wavFile(fmtBody({ 1, 2, 8000, 16, 2 }), twoSamples), "block align 2" },
        { wavFile(shortFmt, twoSamples), "too short" },
        { wavFile(unknownGuid, twoSamples), "subformat" },
        { wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), {}), "no samples" },
        { wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), { 7 }), "no samples" },
        { riffWave(hugeList), "'LIST' chunk declares 4294967280" },
        { hugeFmt, "'fmt ' chunk declares 4294967295" },
        { rf64, "RF64" },
        { Bytes({ 'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E' }), "not a WAV" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Parsed p = parse(c.file);
        EXPECT_FALSE(p.ok);
        EXPECT_NE(std::string::npos, p.reason.find(c.expected)) << p.reason;
    }
}

std::string scratchPath(const char* name)
{
    return std::string(HALDER_BINARY_DIR) + "/tests/standin/" + name;
}

TEST(WavReader, ReadsFilesAndNamesWhyAMissingOneFails)
{
    const double hz[] = { 1000.0 };
    const Bytes image = wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), sinePcm16(8000, 1, 100, hz, 0.5));
    const std::string path = scratchPath("reader.wav");
    FILE* out = fopen(path.c_str(), "wb");
    fwrite(image.data(), 1, image.size(), out);
    fclose(out);

    AudioData audio;
    char reason[256] = "";
    ASSERT_TRUE(readWavFile(path.c_str(), &audio, reason, sizeof(reason))) << reason;
    EXPECT_EQ(100u, audio.frameCount);
    freeAudio(&audio);

    EXPECT_FALSE(readWavFile(scratchPath("no-such.wav").c_str(), &audio, reason, sizeof(reason)));
    EXPECT_NE(nullptr, strstr(reason, "cannot open")) << reason;
}

} // namespace
