// What the program's start-up does before its screen draws, for programs that draw
// through a real OglScreen without the rest of the program (the OpenGL tests and the
// frame-time benchmark): process records, the BMP codec for screenshots, the window
// class, and one standard OpenGL screen opened in a window.
#pragma once

class OglScreen;

// Sets up the records and opens the screen in a width x height window as the current
// screen. Null when the window class, opengl32.dll or the mode failed (the reason is
// the pending error); CloseOglSystem undoes what was made either way.
OglScreen* OpenOglSystem(const char* className, int width, int height);
// Closes the current screen, if any, and frees everything OpenOglSystem made.
void CloseOglSystem();
// Takes every waiting window message, a quit message posted by a destroyed window too.
void PumpOglMessages();
