// What a key does in the editor and the plain saver, in one place. Keys count on their
// key-down event, in the frame they are typed; letters whatever their case.
//
//   Escape   closes the question when it is shown; otherwise leaves, or asks first
//            when there are unsaved changes (the editor is shown to ask)
//   Space    hides and shows the editor (the editor only; a held knob is let go)
//   y        at the question: saves (when there is something to save) and leaves; a
//            save that fails stays, saying why
//   n        at the question: leaves without saving
//   f, u     the frame rate, the draw statistics
//   F1, F5   the help box, the slider numbers' box
//   F9       pauses and resumes the plain saver's animation (a new press only)
//   F12      a screenshot (the main loop's, mainloop.cpp)
//   a page's shortcut from gui.cfg ("Shortcutkeys"; the shipped 1, 2 and B) shows
//            that page (the editor only, not in text mode)
//   Shift, Ctrl  held with the pointer: see SliderEvent (vxconfig.cpp) and the list
//            below
#include <cstdint>

#include "editorkeys.h"
#include "gui/keyboard.h"
#include "vxconfig.h"
#include "xsystem.h"

namespace {

const int kKeyF5 = KEY_F1 + 4;
const int kKeyF9 = KEY_F1 + 8;

// Letters count whatever their case: Caps Lock or Shift does not change a command.
int32_t FoldLetter(int32_t code) {
    return code >= 'a' && code <= 'z' ? code - 'a' + 'A' : code;
}

}  // namespace

// Every key and pointer action of the editor, as the help box shows them: the key or
// action, then what it does.
const HelpEntry kHelpEntries[] = {
    {"F1", "Show or hide this help"},
    {"F5", "Show a slider's numbers"},
    {"F9", "Pause the saver's animation"},
    {"F12", "Save a screenshot in ScrShots"},
    {"f", "Show the frame rate"},
    {"u", "Show the draw statistics"},
    {"Space", "Hide or show the editor"},
    {"Escape", "Leave; asks about changes"},
    {"y / n", "Save and leave / just leave"},
    {"1 / 2", "Colours page / motion page"},
    {"B", "Back to the scene's pages"},
    {"Drag knob", "Set the slider's value"},
    {"Drag marker", "Set its animation range"},
    {"Shift+release", "Put the slider back as saved"},
    {"Mode button", "Left/right: next/previous mode"},
    {"Right-click", "Timing of the slider's moves"},
    {"Ctrl+right", "Add a slider to the timing"},
    {"Click away", "Close the timing panel"},
};
const int kHelpEntryCount = int(sizeof kHelpEntries / sizeof kHelpEntries[0]);

int VxConfig::TakeKeys(Keyboard* keyboard) {
    if (!keyboard) return FRAME_GO_ON;
    KeyEvent event;
    while (keyboard->GetEvent(&event)) {
        if (!(event.flags & KEYFLAG_DOWN)) continue;
        if (TakeKey(event) == FRAME_LEAVE) return FRAME_LEAVE;
    }
    // Only a new press toggles: a held key would flip it every frame.
    if (keyboard->WasPressed(kKeyF9) & KEYSTATE_PRESSED) run->stepping = !run->stepping;
    return FRAME_GO_ON;
}

int VxConfig::TakeKey(const KeyEvent& event) {
    const bool prompting = prompt.state == PROMPT_SHOWN;
    // A key is the user's next action: a report has been read.
    if (infoLine) infoLine->ReleaseReport();
    switch (FoldLetter(event.code)) {
        case KEY_ESCAPE:
            if (prompting) {
                ClosePrompt();
            } else if (!HasUnsavedChanges()) {
                return FRAME_LEAVE;
            } else {
                // The question needs the editor to be seen and answered.
                if (run->mode == MODE_EDITOR && !run->editorVisible) ShowEditor(1);
                ShowPrompt(PROMPT_BACKGROUND);
            }
            break;
        case KEY_SPACE:
            if (run->mode == MODE_EDITOR) ShowEditor(!run->editorVisible);
            break;
        case 'N':
            if (prompting) return FRAME_LEAVE;
            break;
        case 'Y':
            if (!prompting) break;
            if (HasUnsavedChanges() && !SaveBackgroundFile()) {
                ClosePrompt();
                break;
            }
            return FRAME_LEAVE;
        default:
            if (!ToggleOverlay(FoldLetter(event.code)) && run->mode == MODE_EDITOR)
                TakeShortcut(event.code);
            break;
    }
    return FRAME_GO_ON;
}

int VxConfig::ToggleOverlay(int32_t code) {
    switch (code) {
        case 'F':
            run->showFrameRate = !run->showFrameRate;
            return 1;
        case 'U':
            run->showStatistics = !run->showStatistics;
            return 1;
        case KEY_F1:
            run->showHelp = !run->showHelp;
            return 1;
        case kKeyF5:
            run->showSliderInfo = !run->showSliderInfo;
            if (infoLine) infoLine->SetSliderInfoDisplay(run->showSliderInfo);
            return 1;
        default:
            return 0;
    }
}

int VxConfig::TakeShortcut(int32_t code) {
    Keyboard* keyboard = glb ? glb->keyboard : nullptr;
    if (keyboard && keyboard->IsTextMode()) return 0;
    for (int32_t n = 0; n < EDITOR_PAGE_COUNT; ++n) {
        if (layout.pages[n].shortcut == 0 || n == currentPage) continue;
        if (FoldLetter(layout.pages[n].shortcut) != FoldLetter(code)) continue;
        SetPage(n == CONTROL_BGROUND ? ScenePage() : n);
        return 1;
    }
    return 0;
}

// Shift when a knob is let go puts its slider back as saved; Ctrl with a right press
// adds a slider to the selection.
int VxConfig::ModifierHeld(int code) {
    Keyboard* keyboard = glb ? glb->keyboard : nullptr;
    return keyboard && (keyboard->WasPressed(code) & KEYSTATE_HELD);
}
