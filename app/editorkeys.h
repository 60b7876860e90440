// The key and pointer actions of the editor as its help box lists them (F1); what each
// key does is in editorkeys.cpp.
#pragma once

#include "editorlayout.h"

extern const HelpEntry kHelpEntries[];
extern const int kHelpEntryCount;
