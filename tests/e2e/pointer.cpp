#include "pointer.h"

static void sendMouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Absolute input is given on a 0..65535 grid over the primary screen.
        input.mi.dx = (x * 65536 + GetSystemMetrics(SM_CXSCREEN) / 2) / GetSystemMetrics(SM_CXSCREEN);
        input.mi.dy = (y * 65536 + GetSystemMetrics(SM_CYSCREEN) / 2) / GetSystemMetrics(SM_CYSCREEN);
    }
    SendInput(1, &input, sizeof(input));
    Sleep(40);
}

static void moveTo(int x, int y) { sendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y); }

static void clickAt(int x, int y)
{
    moveTo(x, y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(150);
}

static DWORD WINAPI playUser(void* parameter)
{
    const PointerScript* script = (const PointerScript*)parameter;
    Sleep(400);
    moveTo(script->grab.x, script->grab.y);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 10; step++) {
        moveTo(script->grab.x + (script->release.x - script->grab.x) * step / 10,
               script->grab.y + (script->release.y - script->grab.y) * step / 10);
    }
    sendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(300);
    clickAt(script->corner.x + script->rainSwitch.x, script->corner.y + script->rainSwitch.y);
    clickAt(script->corner.x + script->closeButton.x, script->corner.y + script->closeButton.y);
    return 0;
}

RunResult runAsUser(VisModule* module, const PointerScript& script)
{
    HANDLE user = CreateThread(NULL, 0, playUser, (void*)&script, 0, NULL);
    RunLimits limits = { 0, 15000, 1 };
    RunResult result = runBuiltinSignal(module, limits);
    WaitForSingleObject(user, INFINITE);
    CloseHandle(user);
    return result;
}
