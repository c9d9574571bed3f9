// The state that lives from library load to unload. It is never reset
// between runs, so a second run in the same load starts where the first ended.
#include "plugin/state.h"

// Everything starts at zero when the library is loaded, except isActive, so
// the very first paint shows the focused title bar.
int screenX = 0;
int screenY = 0;
int isRain = 0;
int isMirror = 0;
int isReverse = 0;
unsigned displayMode = MODE_NORMAL;
HWND mainWindow = NULL;
int isActive = 1;

unsigned computeDisplayMode(void)
{
    return (isMirror ? MODE_MIRROR : 0) + (isRain ? MODE_RAIN : 0);
}
