// Reads and writes plugin.ini beside the library: the window position and the
// three switches, in the module's section.
#include "settings/settings.h"

#include "plugin/state.h"

#include <string.h>

char settingsPath[SETTINGS_PATH_SIZE];

// The keys in the order they are read and written, with the value each keeps.
struct SettingsKey {
    const char* name;
    int* value;
};

static const SettingsKey kSettingsKeys[] = {
    { "Screen_x", &screenX },
    { "Screen_y", &screenY },
    { "IsRain", &isRain },
    { "IsMirror", &isMirror },
    { "IsReverse", &isReverse },
};

static const int kSettingsKeyCount = sizeof(kSettingsKeys) / sizeof(kSettingsKeys[0]);

int buildSettingsPath(HINSTANCE instance)
{
    char fileName[SETTINGS_PATH_SIZE];
    settingsPath[0] = '\0';

    // A result of the full buffer size means the name was cut short.
    DWORD length = GetModuleFileNameA(instance, fileName, sizeof(fileName));
    if (length == 0 || length >= sizeof(fileName))
        return 0;
    fileName[length] = '\0';

    size_t directoryLength = 0;
    const char* lastSlash = strrchr(fileName, '\\');
    if (lastSlash != NULL)
        directoryLength = (size_t)(lastSlash - fileName) + 1;

    if (directoryLength + sizeof(HALDER_SETTINGS_FILE) > sizeof(settingsPath))
        return 0;
    memcpy(settingsPath, fileName, directoryLength);
    memcpy(settingsPath + directoryLength, HALDER_SETTINGS_FILE, sizeof(HALDER_SETTINGS_FILE));
    return 1;
}

void loadSettings(VisModule* module)
{
    if (!buildSettingsPath(module->instance))
        return;
    for (int i = 0; i < kSettingsKeyCount; i++) {
        const SettingsKey* key = &kSettingsKeys[i];
        *key->value = (int)GetPrivateProfileIntA(module->description, key->name,
                                                 *key->value, settingsPath);
    }
}

void saveSettings(VisModule* module)
{
    if (!buildSettingsPath(module->instance))
        return;
    for (int i = 0; i < kSettingsKeyCount; i++) {
        const SettingsKey* key = &kSettingsKeys[i];
        char text[32];
        wsprintfA(text, "%d", *key->value);
        WritePrivateProfileStringA(module->description, key->name, text, settingsPath);
    }
}
