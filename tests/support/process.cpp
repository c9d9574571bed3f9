#include "support/process.h"

#include <vector>

HANDLE startProgram(const std::string& commandLine, HANDLE in, HANDLE out, HANDLE err,
                    DWORD* processId)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    // CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    if (processId)
        *processId = process.dwProcessId;
    return process.hProcess;
}
