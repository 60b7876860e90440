// Window-message, key-state, keyboard-hook, system-command and virtual-key numbers that
// the portable code reacts to, with their Win32 values, so that no portable file needs
// <windows.h>. support/win/winmessages_check.cpp checks each number against
// <windows.h>'s own at compile time.
//
// Each name is a constant here. A Win32 file that includes <windows.h> as well gets the
// platform's macros of the same names and numbers: after this header they simply take
// over; before it, this header leaves its own definitions out.
#pragma once

#include <cstdint>

// The names and their numbers, one X(name, number) each.
#define WINDOW_NUMBERS(X)                                                    \
    X(WM_CREATE, 0x0001)                                                     \
    X(WM_DESTROY, 0x0002)                                                    \
    X(WM_ACTIVATE, 0x0006)                                                   \
    X(WM_CLOSE, 0x0010)                                                      \
    X(WM_QUIT, 0x0012)                                                       \
    X(WM_ACTIVATEAPP, 0x001C)                                                \
    X(WM_SETCURSOR, 0x0020)                                                  \
    X(WM_NCACTIVATE, 0x0086)                                                 \
    X(WM_KEYDOWN, 0x0100)                                                    \
    X(WM_KEYUP, 0x0101)                                                      \
    X(WM_CHAR, 0x0102)                                                       \
    X(WM_SYSKEYDOWN, 0x0104)                                                 \
    X(WM_SYSKEYUP, 0x0105)                                                   \
    X(WM_SYSCOMMAND, 0x0112)                                                 \
    X(WM_MOUSEMOVE, 0x0200)                                                  \
    X(WM_LBUTTONDOWN, 0x0201)                                                \
    X(WM_LBUTTONUP, 0x0202)                                                  \
    X(WM_RBUTTONDOWN, 0x0204)                                                \
    X(WM_RBUTTONUP, 0x0205)                                                  \
    X(WM_MBUTTONDOWN, 0x0207)                                                \
    X(WM_MBUTTONUP, 0x0208)                                                  \
    X(SC_CLOSE, 0xF060)                                                      \
    X(SC_SCREENSAVE, 0xF140)                                                 \
    X(WM_DISPLAYCHANGE, 0x007E)                                              \
    /* Key-state flags of the mouse messages' wParam. */                     \
    X(MK_LBUTTON, 0x0001)                                                    \
    X(MK_RBUTTON, 0x0002)                                                    \
    X(MK_MBUTTON, 0x0010)                                                    \
    /* Keyboard hook codes. */                                               \
    X(HC_ACTION, 0)                                                          \
    X(HC_NOREMOVE, 3)                                                        \
    /* Virtual keys. Digits and letters are their upper-case ASCII codes. */ \
    X(VK_BACK, 0x08)                                                         \
    X(VK_TAB, 0x09)                                                          \
    X(VK_RETURN, 0x0D)                                                       \
    X(VK_SHIFT, 0x10)                                                        \
    X(VK_CONTROL, 0x11)                                                      \
    X(VK_MENU, 0x12)                                                         \
    X(VK_PAUSE, 0x13)                                                        \
    X(VK_CAPITAL, 0x14)                                                      \
    X(VK_ESCAPE, 0x1B)                                                       \
    X(VK_SPACE, 0x20)                                                        \
    X(VK_PRIOR, 0x21)                                                        \
    X(VK_NEXT, 0x22)                                                         \
    X(VK_END, 0x23)                                                          \
    X(VK_HOME, 0x24)                                                         \
    X(VK_LEFT, 0x25)                                                         \
    X(VK_UP, 0x26)                                                           \
    X(VK_RIGHT, 0x27)                                                        \
    X(VK_DOWN, 0x28)                                                         \
    X(VK_SNAPSHOT, 0x2C)                                                     \
    X(VK_INSERT, 0x2D)                                                       \
    X(VK_DELETE, 0x2E)                                                       \
    X(VK_NUMPAD0, 0x60)                                                      \
    X(VK_NUMPAD9, 0x69)                                                      \
    X(VK_MULTIPLY, 0x6A)                                                     \
    X(VK_ADD, 0x6B)                                                          \
    X(VK_SEPARATOR, 0x6C)                                                    \
    X(VK_SUBTRACT, 0x6D)                                                     \
    X(VK_DECIMAL, 0x6E)                                                      \
    X(VK_DIVIDE, 0x6F)                                                       \
    X(VK_F1, 0x70)                                                           \
    X(VK_F12, 0x7B)                                                          \
    X(VK_F24, 0x87)                                                          \
    X(VK_NUMLOCK, 0x90)                                                      \
    X(VK_SCROLL, 0x91)                                                       \
    X(VK_LSHIFT, 0xA0)                                                       \
    X(VK_RSHIFT, 0xA1)                                                       \
    X(VK_LCONTROL, 0xA2)                                                     \
    X(VK_RCONTROL, 0xA3)                                                     \
    X(VK_LMENU, 0xA4)                                                        \
    X(VK_RMENU, 0xA5)

#ifndef WM_CREATE
#define DEFINE_WINDOW_NUMBER(name, number) constexpr int32_t name = number;
WINDOW_NUMBERS(DEFINE_WINDOW_NUMBER)
#undef DEFINE_WINDOW_NUMBER
#endif
