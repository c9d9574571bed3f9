// The settings file: window position and switches, kept from one run to the
// next in plugin.ini beside the library, or in a copy of the user's own when
// the library's folder cannot be written.
#ifndef HALDER_SETTINGS_H
#define HALDER_SETTINGS_H

#include "plugin/vis.h"

#define HALDER_SETTINGS_FILE L"plugin.ini"
// The user's copy: this folder, holding HALDER_SETTINGS_FILE, in the user's
// application-data folder.
#define HALDER_USER_SETTINGS_FOLDER L"vis_halder"

// Room for a full Windows path, terminator included.
enum { SETTINGS_PATH_SIZE = MAX_PATH };

// The file beside the library, as last built for reading or writing; empty
// when it could not be built. Wide, so that a folder named in any script
// works; settingsPath holds the same in UTF-8, for messages and checks.
extern wchar_t librarySettingsFile[SETTINGS_PATH_SIZE];
extern char settingsPath[SETTINGS_PATH_SIZE * 3];

// The user's copy, as last built; empty when it could not be built.
extern wchar_t userSettingsFile[SETTINGS_PATH_SIZE];

// Builds librarySettingsFile and settingsPath from the library's file name.
// Returns 0 when the path would not fit whole: a cut-off path would name some
// other file.
int buildSettingsPath(HINSTANCE instance);

// Builds userSettingsFile; returns 0 when the user's application-data folder
// is unknown or the path would not fit.
int buildUserSettingsPath(void);

// Reads the five settings beside the library, then from the user's copy,
// which holds newer values when it has them: it is written only when the
// file beside the library could not be. A missing key leaves its value as it
// is.
void loadSettings(VisModule* module);

// Writes the five settings beside the library and removes the module's
// section from the user's copy; where the file beside the library cannot be
// written, writes them to the user's copy instead. A failure to write either
// is not reported.
void saveSettings(VisModule* module);

#endif
