// The window's messages as the program's own events (sysevent.h): each message the
// portable code reacts to becomes an event, handed on while the system waits for the
// window procedure's answer.
#pragma once

#include <windows.h>

// true when the portable code took the message, with the answer the window procedure
// gives; false for messages it does not take or that nobody was there for.
bool TakeWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);
