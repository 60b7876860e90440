// Without a window system there is no dialog to show: the settings stay as they are,
// as after Cancel.
#include "settingsdialog.h"

int ShowSettingsDialog(WindowHandle) {
    return 0;
}
