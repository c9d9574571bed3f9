// Starting the built programs the way a shell would, with their standard
// handles redirected, for the tests that run them as a user does.
#ifndef HALDER_TEST_PROCESS_H
#define HALDER_TEST_PROCESS_H

#include <windows.h>

#include <string>

// Runs commandLine with in, out and err as its standard handles (each must
// be inheritable). Returns the process handle, or NULL when it cannot start;
// processId, when given, receives its id.
HANDLE startProgram(const std::string& commandLine, HANDLE in, HANDLE out, HANDLE err,
                    DWORD* processId = nullptr);

#endif
