// Whether the frames can be seen at all. The platform reports (as SE_DISPLAY_POWER and
// SE_WINDOW_SIGHT events, sysevent.h) the display going off and
// on, and a window of the run that cannot be seen (a hidden preview, an unmapped or
// wholly covered X window); while they cannot, nothing is drawn or stepped and the main
// loop rests in the message wait.
#pragma once

// The display went off (0) or on (1).
void DisplayPowerChanged(int on);
// The run's window can no longer (0) or again (1) be seen.
void WindowSightChanged(int seen);
// Whether frames can be seen now.
int FramesCanBeSeen();
