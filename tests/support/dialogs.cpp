#include "support/dialogs.h"

#include <string.h>

namespace {

std::string boxText;

BOOL CALLBACK collectText(HWND child, LPARAM)
{
    char text[128] = "";
    GetWindowTextA(child, text, sizeof(text));
    boxText += text;
    return TRUE;
}

LRESULT CALLBACK answerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    char className[32] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA((HWND)wParam, className, sizeof(className)) &&
        strcmp(className, "#32770") == 0) {
        EnumChildWindows((HWND)wParam, collectText, 0);
        PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer()
    : hook(SetWindowsHookExA(WH_CBT, answerBoxes, NULL, GetCurrentThreadId()))
{
    boxText.clear();
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    if (hook)
        UnhookWindowsHookEx(hook);
}

const std::string& MessageBoxAnswerer::text() const
{
    return boxText;
}

void MessageBoxAnswerer::clear()
{
    boxText.clear();
}
