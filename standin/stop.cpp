// The stop request behind Ctrl+C.
#include "standin/stop.h"

// The event is created once, before any thread that waits on it, and never
// closed: the console's handler thread may set it at any moment until the
// process ends. The flag says the same to loops that only look, without a
// call into the system (under Wine, a round trip to its server).
static HANDLE stopRequest;
static volatile LONG stopAsked;

HANDLE stopEvent(void)
{
    if (!stopRequest)
        stopRequest = CreateEventA(NULL, TRUE, FALSE, NULL);
    return stopRequest;
}

int stopRequested(void)
{
    return stopAsked != 0;
}

// Runs on a thread the system starts for the event; under Wine it is how
// SIGINT arrives.
static BOOL WINAPI onConsoleEvent(DWORD event)
{
    (void)event;
    InterlockedExchange(&stopAsked, 1);
    SetEvent(stopRequest);
    return TRUE;
}

void stopOnCtrlC(void)
{
    stopEvent();
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
