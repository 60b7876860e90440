// Where this user's own files go: the settings, the saved background, the screenshots and
// the log. A portable copy (gui.cfg beside the program, in a folder the user may write)
// keeps them beside the program; any other copy, the installed one above all, in the
// user's own folder, which the platform names and makes on first use. Decided once per
// run, at the first use, before the working directory changes.
#pragma once

// The folder, ending in a separator; empty for the working directory (a program path
// without a directory part). Without a folder of the user's, the program's folder.
const char* UserFileDirectory();
// The folder followed by name; 0 and an empty path when the result does not fit.
int UserFilePath(const char* name, char* path, int size);
// The next use decides again (a test's new command line or platform).
void ForgetUserFileDirectory();
