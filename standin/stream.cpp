// The reader thread fills a ring of raw frames; the frame loop reads the
// 1152 frames each spectrum needs out of it, and tells the reader which
// frames it will never need again so their room can be reused.
#include "standin/stream.h"

#include "standin/common.h"
#include "standin/host.h"

#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

enum {
    STREAM_RING_SECONDS = 2,
    STREAM_READ_BYTES = 16384,
    CATCH_UP_AFTER_FRAMES = 4,  // by then a writer that is ahead has filled the ring
    LIVE_LAG_FRAMES = 2         // frames of delay a live writer may run ahead of the picture
};

// The stream's state, shared by the reader thread and the frame loop; every
// field below the lock is guarded by it.
struct Stream {
    int sampleRate;
    int channels;
    int format;                     // SAMPLE_S16 or SAMPLE_F32
    int bytesPerFrame;
    int64_t capacityFrames;
    std::vector<unsigned char> ring;
    std::vector<unsigned char> window;  // the frames one spectrum is made from
    SpectrumAnalyser analyser;
    double originMs;                // the clock time at which position 0 played
    int64_t writtenAtLastFrame;     // `written` when the previous frame was chosen
    std::thread reader;

    std::mutex lock;
    std::condition_variable changed;
    int64_t written;                // frames stored so far
    int64_t keepFrom;               // the oldest frame the frame loop may still read
    int ended;                      // no more input is coming
    int readFailed;
    int writerWaited;               // the ring has been full since the first frame
    int firstFrameShown;
    size_t strayBytes;              // a part frame left at the end of the input
    int stopping;
};

static Stream stream;

// Stores whole frames, waiting while the ring holds frames not yet shown.
static int storeFrames(const unsigned char* bytes, int64_t frames)
{
    std::unique_lock<std::mutex> guard(stream.lock);
    while (frames > 0) {
        int64_t held = stream.written - stream.keepFrom;
        if (held < 0)
            held = 0;
        if (held >= stream.capacityFrames) {
            if (stream.firstFrameShown)
                stream.writerWaited = 1;
            stream.changed.wait(guard);
            if (stream.stopping)
                return 0;
            continue;
        }
        const int64_t slot = stream.written % stream.capacityFrames;
        int64_t count = stream.capacityFrames - held;
        if (count > stream.capacityFrames - slot)
            count = stream.capacityFrames - slot;
        if (count > frames)
            count = frames;
        memcpy(stream.ring.data() + slot * stream.bytesPerFrame, bytes,
               (size_t)(count * stream.bytesPerFrame));
        bytes += count * stream.bytesPerFrame;
        frames -= count;
        stream.written += count;
        stream.changed.notify_all();
    }
    return 1;
}

static void finishReading(int failed, size_t strayBytes)
{
    std::lock_guard<std::mutex> guard(stream.lock);
    stream.ended = 1;
    stream.readFailed = failed;
    stream.strayBytes = strayBytes;
    stream.changed.notify_all();
}

// Reads standard input to its end, keeping a part frame for the next read.
static void readInput(HANDLE input)
{
    std::vector<unsigned char> buffer(STREAM_READ_BYTES + 8);
    size_t carried = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer.data() + carried, STREAM_READ_BYTES, &got, NULL)) {
            const DWORD error = GetLastError();
            finishReading(error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF, carried);
            return;
        }
        if (got == 0) {
            finishReading(0, carried);
            return;
        }
        const size_t have = carried + got;
        const size_t whole = have / (size_t)stream.bytesPerFrame;
        if (!storeFrames(buffer.data(), (int64_t)whole))
            return;
        carried = have - whole * (size_t)stream.bytesPerFrame;
        memmove(buffer.data(), buffer.data() + whole * stream.bytesPerFrame, carried);
    }
}

int openStream(int sampleRate, int channels, int format, char* reason, size_t reasonSize)
{
    if (channels < 1 || channels > AUDIO_MAX_CHANNELS)
        return fail(reason, reasonSize, "%d channels; only 1 or 2 are supported", channels);
    if (sampleRate < STREAM_MIN_RATE || sampleRate > STREAM_MAX_RATE)
        return fail(reason, reasonSize, "sample rate %d Hz is out of range (%d to %d)", sampleRate,
                    (int)STREAM_MIN_RATE, (int)STREAM_MAX_RATE);
    stream.sampleRate = sampleRate;
    stream.channels = channels;
    stream.format = format;
    stream.bytesPerFrame = channels * (format == SAMPLE_F32 ? 4 : 2);
    stream.capacityFrames = (int64_t)sampleRate * STREAM_RING_SECONDS;
    stream.ring.assign((size_t)(stream.capacityFrames * stream.bytesPerFrame), 0);
    stream.window.assign((size_t)(SPECTRUM_WINDOW * stream.bytesPerFrame), 0);
    initSpectrumAnalyser(&stream.analyser);
    stream.reader = std::thread(readInput, GetStdHandle(STD_INPUT_HANDLE));

    std::unique_lock<std::mutex> guard(stream.lock);
    stream.changed.wait(guard, [] { return stream.written > 0 || stream.ended; });
    if (stream.written > 0)
        return 1;
    guard.unlock();
    stream.reader.join();  // it has finished: the input ended
    if (stream.readFailed)
        return fail(reason, reasonSize, "read error");
    if (stream.strayBytes > 0)
        return fail(reason, reasonSize, "ended mid-sample before a whole frame of audio");
    return fail(reason, reasonSize, "no audio");
}

// Real time: the frame the clock says is playing, nudged as described in
// the header. Returns -1 when the input is over.
static int64_t clockEndFrame(long frame, int delayMs)
{
    const double now = clockMs();
    if (!stream.firstFrameShown) {
        stream.originMs = now;
        stream.firstFrameShown = 1;
    }
    const double msPerFrame = 1000.0 / stream.sampleRate;
    int64_t position = (int64_t)((now - stream.originMs) / msPerFrame);
    if (stream.ended)
        return position > stream.written ? -1 : position;
    const int64_t liveLag = (int64_t)LIVE_LAG_FRAMES * (delayMs > 0 ? delayMs : 1) * stream.sampleRate / 1000;
    const int64_t ahead = stream.written - position;
    const bool ringFull = ahead >= stream.capacityFrames - SPECTRUM_WINDOW;
    if (frame >= CATCH_UP_AFTER_FRAMES && !stream.writerWaited && !ringFull && ahead > liveLag) {
        stream.originMs -= ahead * msPerFrame;
        position = stream.written;
    }
    // Audio that arrives after an underrun is the newest there is: show it,
    // and let the clock follow from there. Without this a writer that comes
    // back at its own pace stays as far behind the clock as the underrun left
    // it, and its audio never reaches the picture.
    if (position > stream.written && stream.written > stream.writtenAtLastFrame) {
        stream.originMs += (position - stream.written) * msPerFrame;
        position = stream.written;
    }
    stream.writtenAtLastFrame = stream.written;
    if (position > stream.written + SPECTRUM_WINDOW) {
        stream.originMs += (position - stream.written - SPECTRUM_WINDOW) * msPerFrame;
        position = stream.written + SPECTRUM_WINDOW;
    }
    return position;
}

// Offline: the frame at positionMs, once the reader has it or the input ended.
static int64_t offlineEndFrame(double positionMs, std::unique_lock<std::mutex>& guard)
{
    stream.firstFrameShown = 1;
    const int64_t position = (int64_t)llround(positionMs * stream.sampleRate / 1000.0);
    stream.changed.wait(guard, [&] { return stream.written >= position || stream.ended; });
    if (stream.ended && positionMs > stream.written * 1000.0 / stream.sampleRate)
        return -1;
    return position;
}

// Copies the frames before endFrame into the window; frames not in the ring
// (before the start or not yet arrived) stay silent.
static void fillWindow(int64_t endFrame)
{
    std::fill(stream.window.begin(), stream.window.end(), 0);
    const int64_t oldest = stream.written - stream.capacityFrames;
    for (int n = 0; n < SPECTRUM_WINDOW; n++) {
        const int64_t source = endFrame - SPECTRUM_WINDOW + n;
        if (source < 0 || source < oldest || source >= stream.written)
            continue;
        memcpy(stream.window.data() + n * stream.bytesPerFrame,
               stream.ring.data() + (source % stream.capacityFrames) * stream.bytesPerFrame,
               (size_t)stream.bytesPerFrame);
    }
}

int streamFrameSource(void* context, long frame, double positionMs, VisModule* module)
{
    const int realTime = context != NULL;
    std::unique_lock<std::mutex> guard(stream.lock);
    const int64_t endFrame = realTime ? clockEndFrame(frame, module->delayMs) : offlineEndFrame(positionMs, guard);
    if (endFrame < 0)
        return 0;
    fillWindow(endFrame);
    if (endFrame - SPECTRUM_WINDOW > stream.keepFrom) {
        stream.keepFrom = endFrame - SPECTRUM_WINDOW;
        stream.changed.notify_all();
    }
    guard.unlock();

    AudioData view;
    memset(&view, 0, sizeof(view));
    view.sampleRate = stream.sampleRate;
    view.channels = stream.channels;
    view.format = stream.format;
    view.bytesPerFrame = stream.bytesPerFrame;
    view.frameCount = SPECTRUM_WINDOW;
    view.samples = stream.window.data();
    analyseAudio(&stream.analyser, &view, SPECTRUM_WINDOW, module->spectrumData);
    module->channelCount = stream.channels;
    return 1;
}

int streamEndedCleanly(char* reason, size_t reasonSize)
{
    std::lock_guard<std::mutex> guard(stream.lock);
    if (stream.readFailed)
        return fail(reason, reasonSize, "read error");
    if (stream.ended && stream.strayBytes > 0)
        return fail(reason, reasonSize, "ended mid-sample (%u stray bytes after the last whole frame)",
                    (unsigned)stream.strayBytes);
    return 1;
}

void closeStream(void)
{
    if (!stream.reader.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(stream.lock);
        stream.stopping = 1;
        stream.changed.notify_all();
    }
    // A reader blocked in ReadFile cannot be woken; the process's exit ends it.
    stream.reader.detach();
}
