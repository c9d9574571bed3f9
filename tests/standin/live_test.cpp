// The built standin.exe fed through a pipe while it runs, as a decoder or a
// desktop recording feeds it: how soon a live writer's audio reaches the
// bars, that a decoder's output shows each moment at its time through every
// lap of the ring and at the plug-in's pace, and that a stream far longer
// than its ring runs in bounded memory.
#include "support/files.h"
#include "support/process.h"
#include "wav_bytes.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <math.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Half the scale, 30 dB under full scale: the tone fills a good part of the
// analysed window (a full window of it reads about 240).
const int kRisenLevel = 128;

const std::string kTestDir = STANDIN_TEST_DIR;
const std::string kStandin = std::string(HALDER_BINARY_DIR) + "/standin.exe";

std::string scratch(const std::string& name)
{
    return kTestDir + "/" + name;
}

double nowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

// A running stand-in whose standard input is a pipe the test writes, or a
// file it reads at its own pace.
struct Child {
    HANDLE process = NULL;
    DWORD processId = 0;
    HANDLE input = NULL;
};

Child startStandin(const std::string& args, const std::string& inputFile = "")
{
    Child child;
    SECURITY_ATTRIBUTES inheritable = { sizeof(inheritable), NULL, TRUE };
    HANDLE readEnd = NULL;
    if (!inputFile.empty()) {
        readEnd = CreateFileA(inputFile.c_str(), GENERIC_READ, FILE_SHARE_READ, &inheritable,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    } else {
        if (!CreatePipe(&readEnd, &child.input, &inheritable, 0))
            return child;
        SetHandleInformation(child.input, HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE out = CreateFileA(scratch("live.out").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    child.process = startProgram("\"" + kStandin + "\" " + args, readEnd, out, out, &child.processId);
    CloseHandle(readEnd);
    CloseHandle(out);
    return child;
}

bool writeAll(HANDLE pipe, const unsigned char* bytes, size_t size)
{
    while (size > 0) {
        DWORD wrote = 0;
        if (!WriteFile(pipe, bytes, (DWORD)size, &wrote, NULL))
            return false;
        bytes += wrote;
        size -= wrote;
    }
    return true;
}

BOOL CALLBACK isWindowOf(HWND window, LPARAM lParam)
{
    DWORD* processId = (DWORD*)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != *processId)
        return TRUE;
    *processId = 0;
    return FALSE;
}

// Waits until the process has a window: the stand-in opens its player
// window once the first audio is in, just before its first frame.
bool waitForWindow(DWORD processId, DWORD timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    while (nowMs() < deadline) {
        DWORD search = processId;
        EnumWindows(isWindowOf, (LPARAM)&search);
        if (search == 0)
            return true;
        Sleep(10);
    }
    return false;
}

// Ends the input and waits for the stand-in; returns its exit code.
DWORD finish(Child& child)
{
    if (child.input)
        CloseHandle(child.input);
    DWORD exitCode = 0xFFFFFFFF;
    if (WaitForSingleObject(child.process, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.process, &exitCode);
    else
        TerminateProcess(child.process, 1);
    CloseHandle(child.process);
    return exitCode;
}

// What the recording fake plug-in was given at one render, and when.
struct TimedFrame {
    int loudest[2];     // the loudest bin of each channel
    int level[2];       // and its level
    double timeMs;      // when it was rendered
};

std::vector<TimedFrame> readTimedRecord(const std::string& path)
{
    std::vector<TimedFrame> frames;
    std::istringstream lines(readFile(path));
    int channels;
    TimedFrame f;
    while (lines >> channels >> f.loudest[0] >> f.level[0] >> f.loudest[1] >> f.level[1] >> f.timeMs)
        frames.push_back(f);
    return frames;
}

// Starts the timed recording plug-in with args; returns where its record goes.
std::string startRecording(Child* child, const std::string& args, const std::string& inputFile = "")
{
    const std::string recordPath = scratch("live-record.txt");
    DeleteFileA(recordPath.c_str());
    SetEnvironmentVariableA("STANDIN_RECORD", recordPath.c_str());
    *child = startStandin(scratch("fake_timed_recorder.dll") + " " + args, inputFile);
    SetEnvironmentVariableA("STANDIN_RECORD", NULL);
    return recordPath;
}

// The frequency at the centre of a bin.
double binHz(int bin, int rate)
{
    return bin * (double)rate / 1152;
}

// Frames rendered from fromMs on before the first that shows bin risen.
int framesUntilShown(const std::vector<TimedFrame>& frames, double fromMs, int bin)
{
    int late = 0;
    for (const TimedFrame& f : frames) {
        if (f.timeMs < fromMs)
            continue;
        if (f.loudest[0] == bin && f.level[0] >= kRisenLevel)
            return late;
        late++;
    }
    return 1000000;
}

TEST(StandinLiveStream, ALiveWriterIsShownWithinTwoFramesAheadOrAfterAnUnderrun)
{
    const int rate = 44100;
    const int chunkFrames = rate / 100;  // written every 10 ms, as a recorder delivers
    const double hzA[] = { binHz(40, rate), binHz(40, rate) };
    const double hzB[] = { binHz(100, rate), binHz(100, rate) };
    const Bytes toneA = sinePcm16(rate, 2, chunkFrames * 50, hzA, 0.7);
    const Bytes toneB = sinePcm16(rate, 2, chunkFrames * 50, hzB, 0.7);
    const Bytes silence(chunkFrames * 4, 0);

    // When each chunk is written, in ms from the start. The writer gets
    // 150 ms (six frames) ahead at once, as a recorder's buffer may hand
    // over a backlog, then tone A comes; later it falls silent for 300 ms
    // (an underrun) and comes back at its own pace with tone B.
    struct Chunk {
        double dueMs;
        const unsigned char* bytes;
    };
    std::vector<Chunk> plan;
    for (int t = 10; t < 1000; t += 10)
        plan.push_back({ (double)t, silence.data() });
    for (int i = 0; i < 15; i++)
        plan.push_back({ 1000.0, silence.data() });
    for (int t = 1010; t < 2000; t += 10)
        plan.push_back({ (double)t, silence.data() });
    for (int i = 0; i < 50; i++)
        plan.push_back({ 2000.0 + 10 * i, toneA.data() + i * chunkFrames * 4 });
    for (int t = 2500; t < 3000; t += 10)
        plan.push_back({ (double)t, silence.data() });
    for (int i = 0; i < 50; i++)
        plan.push_back({ 3300.0 + 10 * i, toneB.data() + i * chunkFrames * 4 });

    Child child;
    const std::string recordPath = startRecording(&child, "--raw 44100 2");
    ASSERT_TRUE(child.process != NULL);
    // A recorder started after the player: nothing piles up in the pipe
    // while Wine starts, which would make the writer look like a decoder
    // that is ahead. The stand-in's first frame shows this chunk.
    ASSERT_TRUE(writeAll(child.input, silence.data(), silence.size()));
    ASSERT_TRUE(waitForWindow(child.processId, 60000));
    const double start = nowMs();
    double toneAWrittenMs = 0;
    double toneBWrittenMs = 0;
    for (const Chunk& chunk : plan) {
        while (nowMs() < start + chunk.dueMs)
            Sleep(1);
        if (chunk.bytes == toneA.data())
            toneAWrittenMs = nowMs();
        if (chunk.bytes == toneB.data())
            toneBWrittenMs = nowMs();
        ASSERT_TRUE(writeAll(child.input, chunk.bytes, chunkFrames * 4));
    }
    ASSERT_EQ(0u, finish(child)) << readFile(scratch("live.out"));

    const std::vector<TimedFrame> frames = readTimedRecord(recordPath);
    int silentBefore = 0;
    for (const TimedFrame& f : frames) {
        if (f.timeMs >= toneAWrittenMs)
            break;
        EXPECT_EQ(0, f.level[0]) << "a bar rose before the tone was written";
        silentBefore++;
    }
    ASSERT_GT(silentBefore, 20) << "the stand-in was not yet rendering when the tone came";
    // A live writer may be at most two frames ahead of the picture.
    const int lateA = framesUntilShown(frames, toneAWrittenMs, 40);
    const int lateB = framesUntilShown(frames, toneBWrittenMs, 100);
    RecordProperty("framesLateAhead", lateA);
    RecordProperty("framesLateAfterUnderrun", lateB);
    EXPECT_LE(lateA, 2) << "a writer that got ahead was not caught up with";
    EXPECT_LE(lateB, 2) << "audio after an underrun was not shown at once";
}

// 21 s of a decoder's output, far ahead of the clock through every lap of
// the two-second ring. The left channel's tone moves to another bin every
// half second, so its bar must follow the clock; the right channel sounds
// only in [4k + 1, 4k + 3) s, so audio left over from the ring's previous
// lap, two seconds older, would sound where it is silent.
const int kLapRate = 44100;
const double kSegmentMs = 500;

int segmentBin(int segment)
{
    return 20 + 5 * (segment % 13);
}

bool rightSounds(double ms)
{
    const double inCycle = fmod(ms, 4000.0);
    return inCycle >= 1000 && inCycle < 3000;
}

Bytes lapsPcm(double seconds)
{
    const int frames = (int)(seconds * kLapRate);
    Bytes pcm;
    pcm.reserve((size_t)frames * 4);
    double phase[2] = { 0, 0 };
    for (int n = 0; n < frames; n++) {
        const double ms = n * 1000.0 / kLapRate;
        const double hz[2] = { binHz(segmentBin((int)(ms / kSegmentMs)), kLapRate),
                               binHz(200, kLapRate) };
        for (int c = 0; c < 2; c++) {
            phase[c] += 2 * 3.14159265358979 * hz[c] / kLapRate;
            const double value = c == 1 && !rightSounds(ms) ? 0.0 : 0.7 * sin(phase[c]);
            putU16(pcm, (unsigned)(int16_t)lround(value * 32767.0) & 0xFFFF);
        }
    }
    return pcm;
}

// Whether f gives the same all through [fromMs, toMs].
template <typename F>
bool sameThroughout(double fromMs, double toMs, F f)
{
    for (double ms = fromMs; ms < toMs; ms += 5) {
        if (f(ms) != f(fromMs))
            return false;
    }
    return f(toMs) == f(fromMs);
}

int segmentOf(double ms)
{
    return (int)(ms / kSegmentMs);
}

TEST(StandinLiveStream, ADecoderAheadShowsEachMomentOnTimeForTwentySecondsWithNoStaleAudio)
{
    const std::string pcmPath = scratch("laps.pcm");
    const Bytes pcm = lapsPcm(21);
    std::ofstream(pcmPath.c_str(), std::ios::binary)
        .write((const char*)pcm.data(), (std::streamsize)pcm.size());
    Child child;
    const std::string recordPath = startRecording(&child, "--raw 44100 2 --seconds 20", pcmPath);
    ASSERT_TRUE(child.process != NULL);
    ASSERT_EQ(0u, finish(child)) << readFile(scratch("live.out"));

    const std::vector<TimedFrame> frames = readTimedRecord(recordPath);
    RecordProperty("frames", (int)frames.size());
    // 20 s at the plug-in's 25 ms, within 2 %.
    EXPECT_NEAR(800.0, (double)frames.size(), 16.0) << "the frames drifted from the plug-in's pace";
    ASSERT_GT(frames.size(), 100u);
    // A frame shows the 1152 frames (26 ms) before its moment, and its
    // moment is known to a few ms, so frames near a change are left out.
    const double windowMs = 1152 * 1000.0 / kLapRate;
    const double slackMs = 30;
    int leftChecked = 0;
    int silentChecked = 0;
    for (size_t i = 0; i < frames.size(); i++) {
        const TimedFrame& f = frames[i];
        const double moment = f.timeMs - frames[0].timeMs;
        const double from = moment - windowMs - slackMs;
        const double to = moment + slackMs;
        if (from < 0)
            continue;
        if (sameThroughout(from, to, segmentOf)) {
            EXPECT_EQ(segmentBin(segmentOf(moment)), f.loudest[0]) << "frame " << i << " at " << moment << " ms";
            leftChecked++;
        }
        if (sameThroughout(from, to, rightSounds) && !rightSounds(moment)) {
            EXPECT_EQ(0, f.level[1]) << "stale audio in frame " << i << " at " << moment << " ms";
            silentChecked++;
        }
    }
    EXPECT_GT(leftChecked, 500);
    EXPECT_GT(silentChecked, 300);
}

// The peak working set of a stand-in fed `seconds` of 192 kHz stereo float
// offline, read while it still runs (once it exits there is none to read).
size_t peakMemoryForStream(int seconds)
{
    Child child =
        startStandin(scratch("fake_recorder.dll") + " --raw 192000 2 --raw-format f32 --offline");
    if (!child.process)
        return 0;
    const std::vector<unsigned char> second(192000 * 2 * 4, 0);
    for (int s = 0; s < seconds; s++) {
        if (!writeAll(child.input, second.data(), second.size()))
            break;
    }
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof(counters));
    GetProcessMemoryInfo(child.process, &counters, sizeof(counters));
    EXPECT_EQ(0u, finish(child)) << readFile(scratch("live.out"));
    return counters.PeakWorkingSetSize;
}

TEST(StandinLiveStream, ALongStreamRunsInBoundedMemory)
{
    // 70 s at 192 kHz is 107 MB, as much as ten minutes of CD audio, in a
    // twelfth of the frames; the ring holds 3 MB of it.
    const size_t shortPeak = peakMemoryForStream(4);
    const size_t longPeak = peakMemoryForStream(70);
    RecordProperty("peakWorkingSetShortKB", (int)(shortPeak / 1024));
    RecordProperty("peakWorkingSetLongKB", (int)(longPeak / 1024));
    ASSERT_GT(shortPeak, 0u) << "no working set reported";
    EXPECT_LT(longPeak, shortPeak + 16u * 1024 * 1024)
        << "a 107 MB stream grew the peak working set from " << shortPeak << " bytes";
}

} // namespace
