// The background file "BGround.qvb": the 26 scene parameters with their animation
// settings, one XIFF chunk per parameter named by its control keyword.
#pragma once

#include "animator.h"
#include "ansi/file.h"

class XiffFile;

#define BACKGROUND_FILE_NAME "BGround.qvb"

// The user's own copy, which the editor's SAVE writes; 0 (path empty) when the path does
// not fit.
int UserBackgroundPath(char* path, int size);
// What a run starts from and the editor's LOAD reads: the user's own copy when there is
// one, else the shipped file of the data folder (the working directory).
void BackgroundPathToLoad(char* path, int size);

// 1 loaded; 0 when the file is missing, not XIFF, malformed or of a newer version (an
// error text is recorded for the last two). A missing parameter chunk leaves that
// channel as it was.
int LoadBackground(VxAnimator* animator, const char* path);
// 1 written; the old file is replaced only by a complete new one.
// As LoadBackground, but a file that ends before its last chunk does is refused whole,
// "Background file is cut short", before any channel is read.
int LoadWholeBackground(VxAnimator* animator, const char* path);
int SaveBackground(VxAnimator* animator, const char* path);
// 1 read, 2 no chunk of the row's keyword, 0 a chunk too short for a channel or
// holding numbers it cannot use (the channel is then left as it was).
int ReadChannel(XiffFile* file, const SliderTableRow* row, VxAnimator* animator);
int WriteChannel(XiffFile* file, const SliderTableRow* row, VxAnimator* animator);
