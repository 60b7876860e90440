// What the program's start-up does before its screen draws, for programs that draw
// through a real screen without the rest of the program (the OpenGL and Direct3D tests
// and the frame-time benchmark): process records, the BMP codec for screenshots, the
// window class, and one screen opened in a window.
#pragma once

class Screen;

// Sets up the records, makes the screen of that kind (SCREEN_OPENGL or SCREEN_D3D) and
// opens it in a width x height window (or in another display mode) as the current
// screen. Null when the window class, the screen's driver or the mode failed (the
// reason is the pending error); CloseRenderSystem undoes what was made either way.
Screen* OpenRenderSystem(const char* className, int kind, int width, int height,
                         int displayMode = 2);
// Closes the current screen, if any, and frees everything OpenRenderSystem made.
void CloseRenderSystem();
// Takes every waiting window message, a quit message posted by a destroyed window too.
void PumpRenderMessages();
