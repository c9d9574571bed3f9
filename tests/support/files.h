// Small file helpers for the tests: whole-file text and the settings text
// the plug-in writes.
#ifndef HALDER_TEST_FILES_H
#define HALDER_TEST_FILES_H

#include <string>

std::string readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& text);
// The same for a path in any script.
std::string readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& text);

// plugin.ini as the plug-in writes it for this position and these switches.
std::string settingsText(int x, int y, int rain, int mirror, int reverse);

#endif
