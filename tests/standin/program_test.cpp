// The built standin.exe as a user runs it: exit codes and messages for each
// failure, the spectrum it hands a plug-in from a file or a pipe, and the
// frames it captures. Also the version resource the built DLL carries.
#include "support/files.h"
#include "support/process.h"
#include "wav_bytes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <set>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace {

const std::string kTestDir = STANDIN_TEST_DIR;
const std::string kStandin = std::string(HALDER_BINARY_DIR) + "/standin.exe";

struct ProcessRun {
    DWORD exitCode;
    std::string out;
    std::string err;
};

std::string scratch(const std::string& name)
{
    return kTestDir + "/" + name;
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

HANDLE openInheritable(const std::string& path, bool forWriting)
{
    SECURITY_ATTRIBUTES security = { sizeof(security), NULL, TRUE };
    return CreateFileA(path.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Runs standin.exe with args, standard input from stdinPath (empty when
// none), and collects its exit code and both output streams.
ProcessRun runStandin(const std::string& args, const std::string& stdinPath = "")
{
    const std::string input = stdinPath.empty() ? scratch("empty.in") : stdinPath;
    if (stdinPath.empty())
        writeBytes(input, {});
    HANDLE in = openInheritable(input, false);
    HANDLE out = openInheritable(scratch("run.out"), true);
    HANDLE err = openInheritable(scratch("run.err"), true);
    ProcessRun run = { 0xFFFFFFFF, "", "" };
    HANDLE process = startProgram("\"" + kStandin + "\" " + args, in, out, err);
    if (process) {
        // One that hangs is ended, so that no run outlives its test.
        if (WaitForSingleObject(process, 120000) == WAIT_TIMEOUT)
            TerminateProcess(process, 0xFFFFFFFF);
        GetExitCodeProcess(process, &run.exitCode);
        CloseHandle(process);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    run.out = readFile(scratch("run.out"));
    run.err = readFile(scratch("run.err"));
    return run;
}

int lineCount(const std::string& text)
{
    return (int)std::count(text.begin(), text.end(), '\n');
}

// Every refusal: one line on stderr naming what is wrong, and its own exit
// code. Command-line and audio mistakes are caught before the plug-in loads.
TEST(StandinProgram, EachFailureHasItsExitCodeAndOneLine)
{
    CreateDirectoryA(scratch("folder.wav").c_str(), NULL);
    writeBytes(scratch("three.wav"), wavFile(fmtBody({ 1, 3, 8000, 16, 0 }), Bytes(60, 0)));
    writeBytes(scratch("adpcm.wav"), wavFile(fmtBody({ 2, 1, 8000, 4, 0 }), Bytes(60, 0)));
    CreateDirectoryA(scratch("used").c_str(), NULL);
    writeBytes(scratch("used/frame_00000.png"), { 1 });
    const std::string recorder = scratch("fake_recorder.dll") + " ";
    const std::string windowed = scratch("fake_window.dll") + " ";
    RemoveDirectoryA(scratch("fresh").c_str());

    struct Case {
        std::string args;
        DWORD exitCode;
        const char* message;
        bool needsWindow = false;   // checked once the plug-in's window is open
    };
    const Case cases[] = {
        { "", 2, "no plug-in given" },
        { "x.dll --frames 10x", 2, "--frames: \"10x\" is not a whole number" },
        { "x.dll --frames 0", 2, "--frames: \"0\" is not a whole number of 1 or more" },
        { "x.dll --frames 4294967297", 2, "--frames: \"4294967297\" is more than 2147483647" },
        { "x.dll --seconds 0", 2, "--seconds: \"0\" is not a number above 0" },
        { "x.dll --bogus", 2, "--bogus: unknown option" },
        { "x.dll --frames", 2, "--frames: needs a value" },
        { "x.dll --raw 44100", 2, "--raw: needs RATE and CHANNELS" },
        { "x.dll a.wav b.wav", 2, "\"b.wav\": one plug-in and one audio file at most" },
        { "x.dll --click 3:4", 2, "--click: \"3:4\" is not FRAME:X,Y" },
        { "x.dll --bench --capture frames", 2, "--bench times the built-in signal" },
        { "x.dll --bench --frames 2000000", 2, "--bench: --frames 2000000 is more than 1000000" },
        { recorder + "--capture " + scratch("used"), 2, "already holds frames (frame_00000.png)" },
        { recorder + "--raw 300 2", 2, "--raw: rate 300 Hz is out of range (8000 to 192000)" },
        { recorder + "--raw 44100 3", 2, "--raw: channels \"3\" is neither 1 nor 2" },
        { windowed + "--click 0:250,10", 2, "outside the plug-in's 200 x 120 window", true },
        { windowed + "--offline --frames 3 --click 3:1,1", 2,
          "--click 3:1,1 comes after the last frame (the run has 3, 0 to 2)", true },
        { scratch("no-such-plugin.dll"), 3, "no-such-plugin.dll': file not found" },
        { scratch("empty.in"), 3, "not a 32-bit Windows DLL" },
        { kTestDir, 3, "a folder, not a DLL" },
        { "kernel32.dll", 4, "exports no winampVisGetHeader" },
        { scratch("fake_no_module.dll"), 5, "no visualization module 0" },
        { scratch("fake_init_fails.dll") + " --frames 1", 6, "init failed" },
        { recorder + scratch("no-such.wav"), 7, "no-such.wav: cannot open" },
        { recorder + scratch("folder.wav"), 7, "folder.wav: is a folder, not an audio file" },
        { recorder + scratch("three.wav"), 7, "3 channels" },
        { recorder + scratch("adpcm.wav"), 7, "(format tag 0x0002); decode it to PCM first, e.g. with ffmpeg" },
        { recorder + "--raw 44100 2", 7, "standard input: no audio" },
        { recorder + "--frames 1 --capture " + scratch("fresh"), 8, "opened no window to capture" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ProcessRun run = runStandin(c.args);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_NE(std::string::npos, run.err.find(c.message)) << run.err;
        EXPECT_EQ(1, lineCount(run.err)) << run.err;
        if ((c.exitCode == 2 || c.exitCode == 7) && !c.needsWindow) {
            EXPECT_EQ("", run.out) << "the plug-in was loaded";
        }
        EXPECT_EQ(std::string::npos, run.out.find("rendered")) << run.out;
    }
}

struct Frame {
    int channels;
    int loudest[2];
    int level[2];
};

// Runs the recording fake plug-in and reads back what each render was given.
std::vector<Frame> recordFrames(const std::string& args, const std::string& stdinPath = "")
{
    const std::string recordPath = scratch("record.txt");
    DeleteFileA(recordPath.c_str());
    SetEnvironmentVariableA("STANDIN_RECORD", recordPath.c_str());
    ProcessRun run = runStandin(scratch("fake_recorder.dll") + " " + args, stdinPath);
    SetEnvironmentVariableA("STANDIN_RECORD", NULL);
    EXPECT_EQ(0u, run.exitCode) << run.err;

    std::vector<Frame> frames;
    std::istringstream lines(readFile(recordPath));
    Frame f;
    while (lines >> f.channels >> f.loudest[0] >> f.level[0] >> f.loudest[1] >> f.level[1])
        frames.push_back(f);
    return frames;
}

// Half a second at 44.1 kHz: bin 40's centre on the left, bin 200's on the right.
Bytes twoTonePcm()
{
    const double hz[] = { 40 * 44100.0 / 1152, 200 * 44100.0 / 1152 };
    return sinePcm16(44100, 2, 22050, hz, 0.7);
}

void expectTwoTones(const std::vector<Frame>& frames)
{
    // 500 ms in 25 ms steps, both ends included.
    ASSERT_EQ(21u, frames.size());
    EXPECT_EQ(0, frames[0].level[0]) << "nothing has played at position 0";
    for (size_t i = 2; i < frames.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(2, frames[i].channels);
        EXPECT_EQ(40, frames[i].loudest[0]);
        EXPECT_EQ(200, frames[i].loudest[1]);
        EXPECT_GT(frames[i].level[0], 220);
        EXPECT_GT(frames[i].level[1], 220);
    }
}

TEST(StandinProgram, WavFileSpectrumReachesThePluginFrameByFrame)
{
    writeBytes(scratch("two-tone.wav"), wavFile(fmtBody({ 1, 2, 44100, 16, 0 }), twoTonePcm()));
    expectTwoTones(recordFrames(scratch("two-tone.wav") + " --offline"));

    // As a streaming writer leaves it: both sizes unknown, played to its end.
    Bytes streamed = wavFile(fmtBody({ 1, 2, 44100, 16, 0 }), twoTonePcm());
    ASSERT_EQ(0, memcmp(&streamed[36], "data", 4));
    std::fill(streamed.begin() + 4, streamed.begin() + 8, 0xFF);
    std::fill(streamed.begin() + 40, streamed.begin() + 44, 0xFF);
    writeBytes(scratch("streamed.wav"), streamed);
    expectTwoTones(recordFrames(scratch("streamed.wav") + " --offline"));

    // Mono: one channel announced, nothing in the second.
    const double hz[] = { 3000.0 };
    Bytes mono = sinePcm16(8000, 1, 800, hz, 0.5);
    writeBytes(scratch("mono.wav"), wavFile(fmtBody({ 1, 1, 8000, 16, 0 }), mono));
    std::vector<Frame> frames = recordFrames(scratch("mono.wav") + " --offline");
    ASSERT_EQ(5u, frames.size());
    EXPECT_EQ(1, frames[3].channels);
    EXPECT_EQ(432, frames[3].loudest[0]); // 3000 * 1152 / 8000
    EXPECT_EQ(0, frames[3].level[1]);
}

TEST(StandinProgram, RawStandardInputIsReadAsBinary)
{
    // Text mode would stop at a 0x1A byte and drop carriage returns; make
    // sure the stream holds both, so the frame count shows either fault.
    Bytes pcm = twoTonePcm();
    pcm[1000] = 0x1A;
    pcm[2000] = 0x0D;
    pcm[2001] = 0x0A;
    writeBytes(scratch("two-tone.pcm"), pcm);
    expectTwoTones(recordFrames("--raw 44100 2 --offline", scratch("two-tone.pcm")));
}

TEST(StandinProgram, StreamsInEitherFormatAndReportsACutStream)
{
    // The same audio as 32-bit float gives the same bars as in 16-bit.
    const Bytes pcm = twoTonePcm();
    Bytes floats;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        const float value = (int16_t)(pcm[i] | (pcm[i + 1] << 8)) / 32768.0f;
        const unsigned char* bytes = (const unsigned char*)&value;
        floats.insert(floats.end(), bytes, bytes + 4);
    }
    writeBytes(scratch("two-tone.f32"), floats);
    writeBytes(scratch("two-tone.s16"), pcm);
    const std::vector<Frame> fromFloat =
        recordFrames("--raw 44100 2 --raw-format f32 --offline", scratch("two-tone.f32"));
    expectTwoTones(fromFloat);
    const std::vector<Frame> fromShort =
        recordFrames("--raw 44100 2 --offline", scratch("two-tone.s16"));
    ASSERT_EQ(fromShort.size(), fromFloat.size());
    for (size_t i = 0; i < fromShort.size(); i++) {
        EXPECT_EQ(fromShort[i].level[0], fromFloat[i].level[0]) << i;
        EXPECT_EQ(fromShort[i].level[1], fromFloat[i].level[1]) << i;
    }

    // The last frame cut short: every whole frame is shown, then one line.
    Bytes cut = pcm;
    cut.resize(cut.size() - 1);
    writeBytes(scratch("cut.s16"), cut);
    ProcessRun run = runStandin(scratch("fake_recorder.dll") + " --raw 44100 2 --offline",
                                scratch("cut.s16"));
    EXPECT_EQ(7u, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("ended mid-sample (3 stray bytes")) << run.err;
    EXPECT_EQ(1, lineCount(run.err)) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("rendered 20 frames")) << run.out;

    run = runStandin("--help");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_NE(std::string::npos, run.out.find("usage:"));
    EXPECT_NE(std::string::npos, run.out.find("[--raw-format s16|f32]")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("[--help]")) << run.out;
}

TEST(StandinProgram, APluginSlowerThanTheRingGetsEveryFrameOfAStreamOffline)
{
    // Ten seconds, a tone at another bin each second; frames every 3 s,
    // further apart than the two seconds the stream's ring holds.
    Bytes pcm;
    for (int second = 0; second < 10; second++) {
        const double hz[] = { (20 + 10 * second) * 44100.0 / 1152, 0.0 };
        const Bytes part = sinePcm16(44100, 2, 44100, hz, 0.7);
        pcm.insert(pcm.end(), part.begin(), part.end());
    }
    writeBytes(scratch("ten-seconds.s16"), pcm);
    SetEnvironmentVariableA("STANDIN_DELAY_MS", "3000");
    const std::vector<Frame> frames = recordFrames("--raw 44100 2 --offline", scratch("ten-seconds.s16"));
    SetEnvironmentVariableA("STANDIN_DELAY_MS", NULL);
    // At 0, 3, 6 and 9 s, each showing the second just before it.
    ASSERT_EQ(4u, frames.size());
    EXPECT_EQ(0, frames[0].level[0]);
    for (int i = 1; i < 4; i++) {
        EXPECT_EQ(20 + 10 * (3 * i - 1), frames[i].loudest[0]) << i;
        EXPECT_GT(frames[i].level[0], 220) << i;
    }
}

TEST(StandinProgram, APluginEndsTheRunByReturningNonZeroFromRender)
{
    const std::string recordPath = scratch("record.txt");
    SetEnvironmentVariableA("STANDIN_RECORD", recordPath.c_str());
    SetEnvironmentVariableA("STANDIN_END_AT", "3");
    const ProcessRun run = runStandin(scratch("fake_recorder.dll") + " --offline --frames 10");
    SetEnvironmentVariableA("STANDIN_END_AT", NULL);
    SetEnvironmentVariableA("STANDIN_RECORD", NULL);
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_NE(std::string::npos, run.out.find("rendered 3 frames (ended by the plug-in)")) << run.out;
    EXPECT_EQ(3, lineCount(readFile(recordPath))) << "render was called again after it asked to end";
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

Image loadPng(const std::string& path)
{
    Image image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (pixels) {
        image.rgb.assign(pixels, pixels + image.width * image.height * 3);
        stbi_image_free(pixels);
    }
    return image;
}

// The bar area's pixels: 288 x 94 at (38, 34).
std::vector<unsigned char> barArea(const Image& image)
{
    std::vector<unsigned char> area;
    for (int y = 34; y < 34 + 94; y++) {
        const unsigned char* row = image.rgb.data() + (y * image.width + 38) * 3;
        area.insert(area.end(), row, row + 288 * 3);
    }
    return area;
}

// The RAIN switch's label: 23 x 8 at (38, 23).
std::vector<unsigned char> switchLabel(const Image& image)
{
    std::vector<unsigned char> label;
    for (int y = 23; y < 31 && y < image.height; y++) {
        const unsigned char* row = image.rgb.data() + (y * image.width + 38) * 3;
        label.insert(label.end(), row, row + 23 * 3);
    }
    return label;
}

// A private copy of the built DLL in folder, so its settings file is ours
// alone: the window at (60, 60), every switch off. Returns the copy's path.
std::string privateCopy(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), NULL);
    const std::string dll = folder + "/vis_halder.dll";
    CopyFileA((std::string(HALDER_BINARY_DIR) + "/vis_halder.dll").c_str(), dll.c_str(), FALSE);
    std::ofstream(folder + "/plugin.ini")
        << "[TOLVA]\nScreen_x=60\nScreen_y=60\nIsRain=0\nIsMirror=0\nIsReverse=0\n";
    return dll;
}

TEST(StandinProgram, CaptureWritesEachFrameOfThePluginWindow)
{
    const std::string folder = scratch("capture");
    const std::string frames = folder + "/frames";
    const std::string dll = privateCopy(folder);
    for (int i = 0; i < 4; i++)
        DeleteFileA((frames + "/frame_0000" + std::to_string(i) + ".png").c_str());

    // RAIN pressed before the second frame, as the demo presses it.
    ProcessRun run = runStandin(dll + " --offline --frames 3 --click 1:49,27 --capture " + frames);
    ASSERT_EQ(0u, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, readFile(folder + "/plugin.ini").find("IsRain=1"));

    std::vector<Image> images;
    for (int i = 0; i < 3; i++) {
        images.push_back(loadPng(frames + "/frame_0000" + std::to_string(i) + ".png"));
        EXPECT_EQ(363, images.back().width);
        EXPECT_EQ(150, images.back().height);
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((frames + "/frame_00003.png").c_str()));
    ASSERT_EQ(363, images[0].width);
    ASSERT_EQ(363, images[2].width);
    const std::vector<unsigned char> first = barArea(images[0]);
    EXPECT_GT(std::set<unsigned char>(first.begin(), first.end()).size(), 4u)
        << "the captured bar area is flat: read before anything was drawn?";
    EXPECT_NE(first, barArea(images[2])) << "the bars moved, so each frame must differ";
    EXPECT_NE(switchLabel(images[0]), switchLabel(images[1])) << "RAIN lights up once pressed";
}

TEST(StandinProgram, TheBenchmarkCopiesWhatFramesDrawAndSaysWhereItClicks)
{
    const ProcessRun run = runStandin(privateCopy(scratch("bench")) + " --bench --frames 20");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    // The bar area, 288 x 94 at (38, 34), but for a column and a row that no
    // frame changes.
    EXPECT_NE(std::string::npos, run.out.find("window 363x150, frames draw 287x93 at (38,34)")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("floor: bare 287x93 BitBlt")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("click at (111,27)")) << run.out;
}

TEST(StandinProgram, CapturesAnyPluginsWindowAtItsOwnSize)
{
    const std::string frames = scratch("other-frames");
    DeleteFileA((frames + "/frame_00000.png").c_str());
    ProcessRun run = runStandin(scratch("fake_window.dll") + " --offline --frames 1 --capture " + frames);
    ASSERT_EQ(0u, run.exitCode) << run.err;
    const Image image = loadPng(frames + "/frame_00000.png");
    ASSERT_EQ(200, image.width);
    ASSERT_EQ(120, image.height);
    const std::vector<unsigned char> blue = { 0, 0, 255 };
    for (size_t i = 0; i < image.rgb.size(); i += 3)
        ASSERT_EQ(blue, std::vector<unsigned char>(&image.rgb[i], &image.rgb[i] + 3)) << i / 3;
}

std::string versionString(const std::vector<char>& info, const char* name)
{
    char* value = NULL;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), (void**)&value, &length) || !value)
        return "";
    return value;
}

TEST(ReleaseLibrary, CarriesItsNameAndVersion)
{
    const std::string dll = std::string(HALDER_BINARY_DIR) + "/vis_halder.dll";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &handle);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void**)&fixed, &length));
    EXPECT_EQ(0x00000000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00330000u, fixed->dwFileVersionLS); // 0.0.51.0
    EXPECT_EQ("halder Visualization Library", versionString(info, "ProductName"));
    EXPECT_EQ("halder Visualization Library", versionString(info, "FileDescription"));
    EXPECT_EQ("vis_halder.dll", versionString(info, "OriginalFilename"));
    EXPECT_EQ("0.051", versionString(info, "FileVersion"));
}

} // namespace
