// Raw PCM arriving on standard input. A reader thread stores it into a ring
// of a few seconds, so a stream of any length runs in constant memory and
// the frame loop never waits on the pipe; the frame loop copies the 1152
// frames each spectrum needs out of the ring and tells the reader which
// frames it will never read again, so their room can be reused.
#include "standin/source.h"

#include "standin/audio.h"
#include "standin/common.h"
#include "standin/pacing.h"
#include "standin/spectrum.h"
#include "standin/stop.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

enum {
    STREAM_RING_SECONDS = 2,
    STREAM_READ_BYTES = 16384,
    // How long a stopped reader has to end by itself before it is left in a
    // read that nothing wakes. A writer that still writes wakes it well within
    // this; a quiet one may never.
    READER_GRACE_MS = 100,
    READER_POLL_MS = 5
};

// Where the reader is, for the one moment it cannot be woken: a read on a
// pipe with nothing coming.
enum ReaderPlace {
    READER_ELSEWHERE = 0,
    READER_IN_READ = 1,     // inside ReadFile, holding nothing
    READER_LEFT = 2         // left in ReadFile by stopReader: once the read returns it
                            // touches nothing but its buffer and ends
};

// What a frame chooser returns besides a frame.
enum { INPUT_OVER = -1, NOT_YET = -2 };

struct Stream {
    // Set before the reader starts and never changed.
    int sampleRate;
    int channels;
    int format;                     // SAMPLE_S16 or SAMPLE_F32
    int bytesPerFrame;
    int64_t capacityFrames;
    unsigned char* ring;            // frame n lives in slot n % capacityFrames
    unsigned char* readBuffer;      // the reader's: one read and a part frame carried over
    HANDLE input;
    HANDLE reader;
    HANDLE arrived;                 // auto-reset: frames were stored, or the input ended
    volatile LONG readerPlace;      // a ReaderPlace
    volatile LONG stopping;         // the reader is to stop

    // The frame loop's own.
    unsigned char* window;          // the frames one spectrum is made from
    SpectrumAnalyser analyser;
    PacingState pacing;

    // Guarded by lock, shared by the reader and the frame loop.
    SRWLOCK lock;
    CONDITION_VARIABLE roomMade;    // keepFrom moved on, or stopping was set
    int64_t written;                // frames stored so far
    int64_t keepFrom;               // the oldest frame the frame loop may still read
    int writerWaiting;              // the reader waits for room now
    int writerWaited;               // it has waited since the frame loop last looked
    int ended;                      // no more input is coming
    int readFailed;
    size_t strayBytes;              // a part frame left at the end of the input
};

static unsigned char* ringSlot(const Stream* stream, int64_t frame)
{
    return stream->ring + (size_t)(frame % stream->capacityFrames) * stream->bytesPerFrame;
}

// Copies count frames into the ring from frame `first` on, in two pieces when
// they run past its end.
static void copyIntoRing(Stream* stream, int64_t first, const unsigned char* frames, int64_t count)
{
    const int64_t toEnd = stream->capacityFrames - first % stream->capacityFrames;
    const int64_t beforeEnd = count < toEnd ? count : toEnd;
    const size_t size = (size_t)stream->bytesPerFrame;
    memcpy(ringSlot(stream, first), frames, (size_t)beforeEnd * size);
    memcpy(stream->ring, frames + beforeEnd * size, (size_t)(count - beforeEnd) * size);
}

// Frames the ring can take now without losing one the frame loop may read.
static int64_t roomInRing(const Stream* stream)
{
    const int64_t held = stream->written - stream->keepFrom;
    return held <= 0 ? stream->capacityFrames : stream->capacityFrames - held;
}

// Stores whole frames, waiting while the ring holds nothing it may drop.
// Returns 0 when told to stop.
static int storeFrames(Stream* stream, const unsigned char* frames, int64_t count)
{
    AcquireSRWLockExclusive(&stream->lock);
    while (count > 0 && !stream->stopping) {
        const int64_t room = roomInRing(stream);
        if (room <= 0) {
            stream->writerWaiting = 1;
            stream->writerWaited = 1;
            SleepConditionVariableSRW(&stream->roomMade, &stream->lock, INFINITE, 0);
            stream->writerWaiting = 0;
            continue;
        }
        const int64_t part = room < count ? room : count;
        copyIntoRing(stream, stream->written, frames, part);
        frames += part * stream->bytesPerFrame;
        count -= part;
        stream->written += part;
        SetEvent(stream->arrived);
    }
    const int stopped = stream->stopping;
    ReleaseSRWLockExclusive(&stream->lock);
    return !stopped;
}

static void finishReading(Stream* stream, int failed, size_t strayBytes)
{
    AcquireSRWLockExclusive(&stream->lock);
    stream->ended = 1;
    stream->readFailed = failed;
    stream->strayBytes = strayBytes;
    ReleaseSRWLockExclusive(&stream->lock);
    SetEvent(stream->arrived);
}

// One ReadFile, marked so that stopReader can tell the reader is in it.
// Returns 0 when the reader must stop at once: told to, or left behind.
static int readMarked(Stream* stream, unsigned char* into, DWORD* got, DWORD* error)
{
    InterlockedExchange(&stream->readerPlace, READER_IN_READ);
    if (stream->stopping)
        return 0;
    *got = 0;
    *error = ReadFile(stream->input, into, STREAM_READ_BYTES, got, NULL) ? 0 : GetLastError();
    if (InterlockedCompareExchange(&stream->readerPlace, READER_ELSEWHERE, READER_IN_READ) !=
        READER_IN_READ)
        return 0;
    // A read cut short by stopReader's cancel is no read error.
    return !stream->stopping;
}

// The reader thread: standard input to its end, a part frame kept for the
// next read. ReadFile on the handle itself, since the C library's text mode
// would end the stream at the first 0x1A byte and drop every carriage return.
static DWORD WINAPI readInput(void* context)
{
    Stream* stream = (Stream*)context;
    size_t carried = 0;
    for (;;) {
        DWORD got = 0;
        DWORD error = 0;
        if (!readMarked(stream, stream->readBuffer + carried, &got, &error))
            return 0;
        if (error != 0 || got == 0) {
            finishReading(stream, error != 0 && error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF,
                          carried);
            return 0;
        }
        const size_t have = carried + got;
        const size_t whole = have / (size_t)stream->bytesPerFrame;
        if (!storeFrames(stream, stream->readBuffer, (int64_t)whole))
            return 0;
        carried = have - whole * (size_t)stream->bytesPerFrame;
        memmove(stream->readBuffer, stream->readBuffer + whole * stream->bytesPerFrame, carried);
    }
}

// Tells the reader to stop and waits for it to end; 1 once it has ended.
// A reader blocked in ReadFile on a pipe whose writer has gone quiet may never
// wake: under Wine such a read is a plain blocking read on the pipe, which
// CancelSynchronousIo (it finds no I/O to cancel), CancelIoEx and closing the
// handle all leave blocked. After a grace period that one is left where it
// is and 0 returned: it ends when its read returns or with the process, and
// until then the stream record and the read buffer stay allocated for it.
// It is never killed: a thread killed just as its read returns may already be
// leaving, inside the loader's lock, and the FreeLibrary or exit that follows
// would wait for that lock for ever. The handshake on readerPlace makes sure
// it is left only while in ReadFile, so it touches nothing else afterwards.
static int stopReader(Stream* stream)
{
    AcquireSRWLockExclusive(&stream->lock);
    InterlockedExchange(&stream->stopping, 1);
    ReleaseSRWLockExclusive(&stream->lock);
    WakeAllConditionVariable(&stream->roomMade);
    const DWORD start = GetTickCount();
    int ended = 0;
    for (;;) {
        // Under Windows this wakes a read blocked on a pipe. A cancel that
        // comes just before the read starts is lost, hence one every round.
        CancelSynchronousIo(stream->reader);
        if (WaitForSingleObject(stream->reader, READER_POLL_MS) == WAIT_OBJECT_0) {
            ended = 1;
            break;
        }
        if (GetTickCount() - start >= READER_GRACE_MS &&
            InterlockedCompareExchange(&stream->readerPlace, READER_LEFT, READER_IN_READ) ==
                READER_IN_READ)
            break;
    }
    CloseHandle(stream->reader);
    stream->reader = NULL;
    return ended;
}

// Copies the 1152 frames before endFrame into the window, each from its own
// slot; frames not in the ring (before the start, overwritten, or not yet
// come) stay silent.
static void fillWindow(Stream* stream, int64_t endFrame)
{
    const size_t size = (size_t)stream->bytesPerFrame;
    memset(stream->window, 0, SPECTRUM_WINDOW * size);
    const int64_t oldest = stream->written - stream->capacityFrames;
    for (int n = 0; n < SPECTRUM_WINDOW; n++) {
        const int64_t frame = endFrame - SPECTRUM_WINDOW + n;
        if (frame >= 0 && frame >= oldest && frame < stream->written)
            memcpy(stream->window + n * size, ringSlot(stream, frame), size);
    }
}

// Offline: the frame at its position once the reader has it.
static int64_t chooseOfflineFrame(Stream* stream, const FrameTime* time)
{
    const int64_t position = (int64_t)llround(time->positionMs * stream->sampleRate / 1000.0);
    // Offline positions only grow, so nothing before this frame's window is
    // read again. Letting the reader overwrite it now matters when a frame
    // lies further ahead than the ring holds: waiting for the reader to bring
    // it would otherwise wait for room that only this frame could make.
    if (position - SPECTRUM_WINDOW > stream->keepFrom)
        stream->keepFrom = position - SPECTRUM_WINDOW;
    if (stream->written >= position)
        return position;
    return stream->ended ? INPUT_OVER : NOT_YET;
}

static int64_t chooseRealTimeFrame(Stream* stream, const FrameTime* time)
{
    PacingInput input;
    input.fill.written = stream->written;
    input.fill.writerHeld = stream->writerWaiting || stream->writerWaited;
    input.fill.ended = stream->ended;
    input.nowMs = time->nowMs;
    input.framesShown = time->frame;
    input.state = stream->pacing;
    input.sampleRate = stream->sampleRate;
    input.delayMs = time->delayMs;
    input.ringFrames = stream->capacityFrames;
    stream->writerWaited = 0;
    const PacingChoice choice = paceRealTime(&input);
    stream->pacing = choice.state;
    return choice.endFrame < 0 ? (int64_t)INPUT_OVER : choice.endFrame;
}

// Why the input ended, when it ended badly.
static void describeEnd(const Stream* stream, char* failure, size_t failureSize)
{
    failure[0] = '\0';
    if (stream->readFailed)
        fail(failure, failureSize, "standard input: read error");
    else if (stream->strayBytes > 0)
        fail(failure, failureSize,
             "standard input: ended mid-sample (%u stray bytes after the last whole frame)",
             (unsigned)stream->strayBytes);
}

static void analyseWindow(Stream* stream, VisModule* module)
{
    AudioData view;
    memset(&view, 0, sizeof(view));
    view.sampleRate = stream->sampleRate;
    view.channels = stream->channels;
    view.format = stream->format;
    view.bytesPerFrame = stream->bytesPerFrame;
    view.frameCount = SPECTRUM_WINDOW;
    view.samples = stream->window;
    analyseAudio(&stream->analyser, &view, SPECTRUM_WINDOW, module->spectrumData);
    module->channelCount = stream->channels;
}

static int readStreamFrame(AudioSource* source, const FrameTime* time, VisModule* module)
{
    Stream* stream = (Stream*)source->state;
    AcquireSRWLockExclusive(&stream->lock);
    const int64_t keptBefore = stream->keepFrom;
    const int64_t endFrame = time->realTime ? chooseRealTimeFrame(stream, time)
                                            : chooseOfflineFrame(stream, time);
    if (endFrame >= 0) {
        fillWindow(stream, endFrame);
        stream->keepFrom = endFrame - SPECTRUM_WINDOW;
    } else if (endFrame == INPUT_OVER) {
        describeEnd(stream, source->failure, sizeof(source->failure));
    }
    const int roomMade = stream->keepFrom > keptBefore;
    ReleaseSRWLockExclusive(&stream->lock);
    if (roomMade)
        WakeAllConditionVariable(&stream->roomMade);
    if (endFrame == NOT_YET)
        return FRAME_LATER;
    if (endFrame == INPUT_OVER)
        return FRAME_END;
    analyseWindow(stream, module);
    return FRAME_READY;
}

static void closeStream(AudioSource* source)
{
    Stream* stream = (Stream*)source->state;
    const int readerLeft = stream->reader && !stopReader(stream);
    if (stream->arrived)
        CloseHandle(stream->arrived);
    free(stream->ring);
    free(stream->window);
    if (!readerLeft) {
        free(stream->readBuffer);
        free(stream);
    }
    memset(source, 0, sizeof(*source));
}

// Waits until the first audio has come (1), or the input has ended or a
// stop was asked for first (0).
static int waitForFirstAudio(Stream* stream)
{
    const HANDLE events[] = { stream->arrived, stopEvent() };
    for (;;) {
        AcquireSRWLockShared(&stream->lock);
        const int came = stream->written > 0;
        const int ended = stream->ended;
        ReleaseSRWLockShared(&stream->lock);
        if (came || ended)
            return came;
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            return 0;
    }
}

// Closes a stream that gave no audio at all, saying why.
static int refuseEmptyStream(AudioSource* source, char* reason, size_t reasonSize)
{
    Stream* stream = (Stream*)source->state;
    AcquireSRWLockShared(&stream->lock);
    const int ended = stream->ended;
    const int failed = stream->readFailed;
    const int partFrame = stream->strayBytes > 0;
    ReleaseSRWLockShared(&stream->lock);
    closeStream(source);
    if (!ended)
        return fail(reason, reasonSize, "standard input: stopped before any audio came");
    if (failed)
        return fail(reason, reasonSize, "standard input: read error");
    if (partFrame)
        return fail(reason, reasonSize, "standard input: ended mid-sample before a whole frame of audio");
    return fail(reason, reasonSize, "standard input: no audio");
}

int openRawStream(int sampleRate, int channels, int format, AudioSource* source, char* reason,
                  size_t reasonSize)
{
    memset(source, 0, sizeof(*source));
    Stream* stream = (Stream*)calloc(1, sizeof(Stream));
    if (!stream)
        return fail(reason, reasonSize, "standard input: not enough memory");
    source->state = stream;
    source->close = closeStream;
    stream->sampleRate = sampleRate;
    stream->channels = channels;
    stream->format = format;
    stream->bytesPerFrame = channels * sampleBytes(format);
    stream->capacityFrames = (int64_t)sampleRate * STREAM_RING_SECONDS;
    stream->ring = (unsigned char*)malloc((size_t)(stream->capacityFrames * stream->bytesPerFrame));
    stream->window = (unsigned char*)malloc((size_t)SPECTRUM_WINDOW * stream->bytesPerFrame);
    // Room for a read and the part frame carried over from the one before.
    stream->readBuffer = (unsigned char*)malloc(STREAM_READ_BYTES + stream->bytesPerFrame);
    stream->arrived = CreateEventA(NULL, FALSE, FALSE, NULL);
    InitializeSRWLock(&stream->lock);
    InitializeConditionVariable(&stream->roomMade);
    initSpectrumAnalyser(&stream->analyser);
    stream->input = GetStdHandle(STD_INPUT_HANDLE);
    if (!stream->ring || !stream->window || !stream->readBuffer || !stream->arrived) {
        closeStream(source);
        return fail(reason, reasonSize, "standard input: not enough memory");
    }
    stream->reader = CreateThread(NULL, 0, readInput, stream, 0, NULL);
    if (!stream->reader) {
        closeStream(source);
        return fail(reason, reasonSize, "standard input: cannot start the reader");
    }
    source->sampleRate = sampleRate;
    source->channels = channels;
    source->readFrame = readStreamFrame;
    source->lengthMs = -1.0;
    source->arrived = stream->arrived;
    if (!waitForFirstAudio(stream))
        return refuseEmptyStream(source, reason, reasonSize);
    return 1;
}
