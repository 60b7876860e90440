#pragma once

// Creates the missing directory levels of a file path, relative to the working
// directory, which is the same afterwards. 1 when every level exists; 0 with a
// free-text error otherwise.
int xCreateDirsForFile(const char* filePath);
