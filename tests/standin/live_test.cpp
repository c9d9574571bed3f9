// The built standin.exe fed through a pipe while it runs, as a decoder or a
// desktop recording feeds it: how soon a tone written in real time reaches
// the bars, and that a stream far longer than its ring runs in bounded memory.
#include "support/files.h"
#include "support/process.h"
#include "wav_bytes.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// A running stand-in whose standard input is a pipe the test writes.
struct Child {
    HANDLE process = NULL;
    DWORD processId = 0;
    HANDLE input = NULL;
};

Child startStandin(const std::string& args)
{
    Child child;
    SECURITY_ATTRIBUTES inheritable = { sizeof(inheritable), NULL, TRUE };
    HANDLE readEnd = NULL;
    if (!CreatePipe(&readEnd, &child.input, &inheritable, 0))
        return child;
    SetHandleInformation(child.input, HANDLE_FLAG_INHERIT, 0);
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
    CloseHandle(child.input);
    DWORD exitCode = 0xFFFFFFFF;
    if (WaitForSingleObject(child.process, 120000) == WAIT_OBJECT_0)
        GetExitCodeProcess(child.process, &exitCode);
    else
        TerminateProcess(child.process, 1);
    CloseHandle(child.process);
    return exitCode;
}

struct TimedFrame {
    int level;      // the loudest left bin's level
    double timeMs;  // when it was rendered
};

std::vector<TimedFrame> readTimedRecord(const std::string& path)
{
    std::vector<TimedFrame> frames;
    std::istringstream lines(readFile(path));
    int channels, bin0, bin1, level1;
    TimedFrame f;
    while (lines >> channels >> bin0 >> f.level >> bin1 >> level1 >> f.timeMs)
        frames.push_back(f);
    return frames;
}

TEST(StandinLiveStream, ATonePipedInRealTimeAfterAnUnderrunRaisesTheBarsWithinTwoFrames)
{
    const int rate = 44100;
    const int chunkFrames = rate / 100;  // written every 10 ms, as a recorder delivers
    const int silentChunks = 200;        // 2 s of silence, then the tone
    const int toneChunks = 100;
    // The writer falls silent before the tone (an underrun) and then comes
    // back at its own pace, as a recorder does after a hiccup.
    const double underrunMs = 300;
    const double hz[] = { 40 * 44100.0 / 1152, 40 * 44100.0 / 1152 };
    const Bytes tone = sinePcm16(rate, 2, chunkFrames * toneChunks, hz, 0.7);
    const Bytes silence(chunkFrames * 4, 0);

    const std::string recordPath = scratch("live-record.txt");
    DeleteFileA(recordPath.c_str());
    SetEnvironmentVariableA("STANDIN_RECORD", recordPath.c_str());
    Child child = startStandin(scratch("fake_timed_recorder.dll") + " --raw 44100 2");
    SetEnvironmentVariableA("STANDIN_RECORD", NULL);
    ASSERT_TRUE(child.process != NULL);

    // A recorder started after the player: nothing piles up in the pipe
    // while Wine starts, which would make the writer look like a decoder
    // that is ahead. The stand-in's first frame shows this chunk.
    ASSERT_TRUE(writeAll(child.input, silence.data(), silence.size()));
    ASSERT_TRUE(waitForWindow(child.processId, 60000));
    const double start = nowMs();
    double toneWrittenMs = 0;
    for (int chunk = 1; chunk < silentChunks + toneChunks; chunk++) {
        const double due = start + chunk * 10.0 + (chunk >= silentChunks ? underrunMs : 0);
        while (nowMs() < due)
            Sleep(1);
        const bool isTone = chunk >= silentChunks;
        if (chunk == silentChunks)
            toneWrittenMs = nowMs();
        const unsigned char* bytes =
            isTone ? tone.data() + (chunk - silentChunks) * chunkFrames * 4 : silence.data();
        ASSERT_TRUE(writeAll(child.input, bytes, chunkFrames * 4));
    }
    ASSERT_EQ(0u, finish(child)) << readFile(scratch("live.out"));

    const std::vector<TimedFrame> frames = readTimedRecord(recordPath);
    int silentBefore = 0;
    int lateFrames = 0;
    double seenMs = -1;
    for (const TimedFrame& f : frames) {
        if (f.timeMs < toneWrittenMs) {
            EXPECT_EQ(0, f.level) << "a bar rose before the tone was written";
            silentBefore++;
        } else if (f.level < kRisenLevel) {
            lateFrames++;
        } else {
            seenMs = f.timeMs;
            break;
        }
    }
    ASSERT_GT(silentBefore, 20) << "the stand-in was not yet rendering when the tone came";
    ASSERT_GT(seenMs, 0) << "the tone never showed";
    RecordProperty("toneShownAfterMs", (int)(seenMs - toneWrittenMs));
    RecordProperty("framesLate", lateFrames);
    // A live writer may be at most two frames ahead of the picture.
    EXPECT_LE(lateFrames, 2) << "the tone showed " << seenMs - toneWrittenMs
                             << " ms after it was written";
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
