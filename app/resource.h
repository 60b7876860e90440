// Identifiers of the resources in novadrift.rc, shared by the resource script and the
// dialog procedures.
#pragma once

// The screen saver's name, which the system's screen saver list shows.
#define IDS_DESCRIPTION 1

// The program's icon; 100 is where screen saver hosts look for it.
#define IDI_NOVADRIFT 100

// Settings dialog and its controls.
#define IDD_SETTINGS 101
#define IDC_ABOUT 3
#define IDC_RESOLUTION 1013
#define IDC_RENDERER 1014
#define IDC_PRIORITY 1015
#define IDC_FRAME_RATE 1016

// About dialog and its link.
#define IDD_ABOUT 106
#define IDC_LINK 1012
