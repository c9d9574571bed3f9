// Reads and writes plugin.ini beside the library, or the user's copy of it
// when the library's folder cannot be written (a player under Program Files
// run without elevation): the window position and the three switches, in the
// module's section. Paths are wide throughout, so that a folder named in any
// script names the same file.
#include "settings/settings.h"

#include "plugin/state.h"

#include <shlobj.h>
#include <string.h>
#include <wchar.h>

wchar_t librarySettingsFile[SETTINGS_PATH_SIZE];
char settingsPath[SETTINGS_PATH_SIZE * 3];
wchar_t userSettingsFile[SETTINGS_PATH_SIZE];

// The keys in the order they are read and written, with the value each keeps.
struct SettingsKey {
    const wchar_t* name;
    int* value;
};

static const SettingsKey kSettingsKeys[] = {
    { L"Screen_x", &screenX },
    { L"Screen_y", &screenY },
    { L"IsRain", &isRain },
    { L"IsMirror", &isMirror },
    { L"IsReverse", &isReverse },
};

static const int kSettingsKeyCount = sizeof(kSettingsKeys) / sizeof(kSettingsKeys[0]);

// The section is the module's description, a short ASCII name.
enum { SECTION_NAME_SIZE = 64 };

// Sets path to the first headLength characters of head followed by tail.
// Returns 0, with path empty, when the whole would not fit.
static int joinPath(wchar_t* path, const wchar_t* head, size_t headLength, const wchar_t* tail)
{
    const size_t tailLength = wcslen(tail);
    path[0] = L'\0';
    if (headLength + tailLength + 1 > SETTINGS_PATH_SIZE)
        return 0;
    memcpy(path, head, headLength * sizeof(wchar_t));
    memcpy(path + headLength, tail, (tailLength + 1) * sizeof(wchar_t));
    return 1;
}

int buildSettingsPath(HINSTANCE instance)
{
    wchar_t fileName[SETTINGS_PATH_SIZE];
    librarySettingsFile[0] = L'\0';
    settingsPath[0] = '\0';

    // A result of the full buffer size means the name was cut short.
    DWORD length = GetModuleFileNameW(instance, fileName, SETTINGS_PATH_SIZE);
    if (length == 0 || length >= SETTINGS_PATH_SIZE)
        return 0;
    fileName[length] = L'\0';

    size_t directoryLength = 0;
    const wchar_t* lastSlash = wcsrchr(fileName, L'\\');
    if (lastSlash != NULL)
        directoryLength = (size_t)(lastSlash - fileName) + 1;

    if (!joinPath(librarySettingsFile, fileName, directoryLength, HALDER_SETTINGS_FILE))
        return 0;
    WideCharToMultiByte(CP_UTF8, 0, librarySettingsFile, -1, settingsPath, sizeof(settingsPath),
                        NULL, NULL);
    return 1;
}

int buildUserSettingsPath(void)
{
    wchar_t appData[SETTINGS_PATH_SIZE];
    userSettingsFile[0] = L'\0';
    if (FAILED(SHGetFolderPathW(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, appData)))
        return 0;
    return joinPath(userSettingsFile, appData, wcslen(appData),
                    L"\\" HALDER_USER_SETTINGS_FOLDER L"\\" HALDER_SETTINGS_FILE);
}

static int sectionName(const VisModule* module, wchar_t* section)
{
    return MultiByteToWideChar(CP_ACP, 0, module->description, -1, section, SECTION_NAME_SIZE) > 0;
}

static void readSettingsFrom(const wchar_t* section, const wchar_t* file)
{
    for (int i = 0; i < kSettingsKeyCount; i++) {
        const SettingsKey* key = &kSettingsKeys[i];
        *key->value = (int)GetPrivateProfileIntW(section, key->name, *key->value, file);
    }
}

// Returns 0 at the first key that cannot be written (a read-only folder or
// file): the later ones would fail as well.
static int writeSettingsTo(const wchar_t* section, const wchar_t* file)
{
    for (int i = 0; i < kSettingsKeyCount; i++) {
        const SettingsKey* key = &kSettingsKeys[i];
        wchar_t text[32];
        wsprintfW(text, L"%d", *key->value);
        if (!WritePrivateProfileStringW(section, key->name, text, file))
            return 0;
    }
    return 1;
}

static int userSettingsExist(void)
{
    return GetFileAttributesW(userSettingsFile) != INVALID_FILE_ATTRIBUTES;
}

void loadSettings(VisModule* module)
{
    wchar_t section[SECTION_NAME_SIZE];
    if (!sectionName(module, section))
        return;
    if (buildSettingsPath(module->instance))
        readSettingsFrom(section, librarySettingsFile);
    if (buildUserSettingsPath() && userSettingsExist())
        readSettingsFrom(section, userSettingsFile);
}

// Once the file beside the library holds the settings again, the user's copy
// would only shadow it, and any later hand edit of it, with stale values.
// Other sections of the user's file stay.
static void removeUserSettings(const wchar_t* section)
{
    if (buildUserSettingsPath() && userSettingsExist())
        WritePrivateProfileStringW(section, NULL, NULL, userSettingsFile);
}

// Makes the folder that holds the user's copy, when it is missing.
static void makeUserSettingsFolder(void)
{
    wchar_t folder[SETTINGS_PATH_SIZE];
    const wchar_t* lastSlash = wcsrchr(userSettingsFile, L'\\');
    if (lastSlash && joinPath(folder, userSettingsFile, (size_t)(lastSlash - userSettingsFile), L""))
        CreateDirectoryW(folder, NULL);
}

static void saveUserSettings(const wchar_t* section)
{
    if (!buildUserSettingsPath())
        return;
    makeUserSettingsFolder();
    writeSettingsTo(section, userSettingsFile);
}

void saveSettings(VisModule* module)
{
    wchar_t section[SECTION_NAME_SIZE];
    if (!sectionName(module, section))
        return;
    if (buildSettingsPath(module->instance) && writeSettingsTo(section, librarySettingsFile))
        removeUserSettings(section);
    else
        saveUserSettings(section);
}
