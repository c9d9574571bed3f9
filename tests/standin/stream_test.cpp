// Streams on a pipe opened and closed many times in one process. A busy
// writer (many small writes) makes the reader's read return just as the
// close comes, which is when a reader may already be leaving, inside the
// loader's lock; a writer gone quiet leaves it in a read nothing wakes.
// Every close must end soon, and the process must still start threads (each
// stream starts one) and, at the end, exit with the quiet readers still
// blocked.
#include "standin/audio.h"
#include "standin/source.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const int kRuns = 400;
const int kQuietEvery = 50;         // every 50th run's writer goes quiet
const DWORD kLoopTimeoutMs = 60000;
const double kCloseBoundMs = 1000;  // as long as Ctrl+C may take to end a run

double nowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

struct Writer {
    HANDLE pipe;
    bool quiet;             // one piece, then nothing with the pipe kept open
    volatile LONG stop;
    HANDLE thread;
};

// A millisecond of 44.1 kHz stereo at a time, as fast as the pipe takes it.
DWORD WINAPI writeSmallPieces(void* context)
{
    Writer* writer = (Writer*)context;
    const unsigned char piece[176] = {};
    DWORD wrote = 0;
    do {
        if (!WriteFile(writer->pipe, piece, sizeof(piece), &wrote, NULL))
            break;
    } while (!writer->quiet && !writer->stop);
    return 0;
}

// Stops a busy writer: closing the read end fails a write that waits on a
// full pipe. Returns false when the writer still writes.
bool stopWriter(Writer* writer, HANDLE readEnd)
{
    InterlockedExchange(&writer->stop, 1);
    CloseHandle(readEnd);
    const bool stopped = WaitForSingleObject(writer->thread, 5000) == WAIT_OBJECT_0;
    CloseHandle(writer->thread);
    CloseHandle(writer->pipe);
    return stopped;
}

struct LoopResult {
    int runsDone = 0;
    double slowestCloseMs = 0;
    std::string failure;
};

// One stream on a fresh pipe, opened and closed. The quiet run's pipe stays
// open, its reader blocked, until the process exits. Returns false on failure.
bool openAndClose(int run, LoopResult* result)
{
    HANDLE readEnd = NULL;
    Writer* writer = new Writer();
    if (!CreatePipe(&readEnd, &writer->pipe, NULL, 0)) {
        result->failure = "CreatePipe failed";
        return false;
    }
    writer->quiet = run % kQuietEvery == kQuietEvery - 1;
    writer->thread = CreateThread(NULL, 0, writeSmallPieces, writer, 0, NULL);
    SetStdHandle(STD_INPUT_HANDLE, readEnd);
    AudioSource source;
    char reason[256] = "";
    if (!openRawStream(44100, 2, SAMPLE_S16, &source, reason, sizeof(reason))) {
        result->failure = reason;
        return false;
    }
    const double start = nowMs();
    closeAudioSource(&source);
    const double tookMs = nowMs() - start;
    if (tookMs > result->slowestCloseMs)
        result->slowestCloseMs = tookMs;
    if (writer->quiet)
        return true;
    const bool stopped = stopWriter(writer, readEnd);
    delete writer;
    if (!stopped)
        result->failure = "the writer did not stop";
    return stopped;
}

DWORD WINAPI runLoop(void* context)
{
    LoopResult* result = (LoopResult*)context;
    for (int run = 0; run < kRuns && openAndClose(run, result); run++)
        result->runsDone = run + 1;
    return 0;
}

// Ends the process when the loop hangs. A thread killed while it held a lock
// of the system's (the loader's, the heap's) leaves that lock held for ever,
// so this says so without taking any: no heap, no C library.
void giveUp(int runsDone)
{
    char text[] = "stream_test: run 000 did not end; a lock is held for ever\n";
    char* digits = strstr(text, "000");
    digits[0] = (char)('0' + runsDone / 100 % 10);
    digits[1] = (char)('0' + runsDone / 10 % 10);
    digits[2] = (char)('0' + runsDone % 10);
    DWORD wrote = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)strlen(text), &wrote, NULL);
    TerminateProcess(GetCurrentProcess(), 1);
}

TEST(StandinStream, ClosesAtOnceWhateverTheWriterDoesAndLeavesNothingHeld)
{
    LoopResult result;
    HANDLE loop = CreateThread(NULL, 0, runLoop, &result, 0, NULL);
    ASSERT_TRUE(loop != NULL);
    if (WaitForSingleObject(loop, kLoopTimeoutMs) == WAIT_TIMEOUT)
        giveUp(result.runsDone);
    CloseHandle(loop);
    EXPECT_EQ("", result.failure) << "in run " << result.runsDone;
    EXPECT_EQ(kRuns, result.runsDone);
    EXPECT_LT(result.slowestCloseMs, kCloseBoundMs);
    RecordProperty("slowestCloseMs", (int)result.slowestCloseMs);
}

} // namespace
