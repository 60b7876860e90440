// The portable message and key numbers (winmessages.h) are the platform's: each one is
// compared with <windows.h>'s macro of the same name when this file compiles.
#include "winmessages.h"

#include <windows.h>

#define CHECK_WINDOW_NUMBER(name, number) \
    static_assert((name) == (number), #name " differs from <windows.h>");
WINDOW_NUMBERS(CHECK_WINDOW_NUMBER)
