// The stop request behind Ctrl+C.
#include "standin/stop.h"

// Created once, before any thread that waits on it, and never closed: the
// console's handler thread may set it at any moment until the process ends.
static HANDLE stopRequest;

HANDLE stopEvent(void)
{
    if (!stopRequest)
        stopRequest = CreateEventA(NULL, TRUE, FALSE, NULL);
    return stopRequest;
}

int stopRequested(void)
{
    return WaitForSingleObject(stopEvent(), 0) == WAIT_OBJECT_0;
}

// Runs on a thread the system starts for the event; under Wine it is how
// SIGINT arrives.
static BOOL WINAPI onConsoleEvent(DWORD event)
{
    (void)event;
    SetEvent(stopRequest);
    return TRUE;
}

void stopOnCtrlC(void)
{
    stopEvent();
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
