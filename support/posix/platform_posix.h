// What the native entry tells the POSIX platform before the run.
#pragma once

// The full command line the program sees from now on (program path first, quoted when it
// holds a space), in place of the one the process was started with.
void SetPosixCommandLine(const char* line);
// How many "Error" boxes the run has shown (on standard error): a run that ended in an
// error ends the process with a failure status.
int PosixErrorsShown();
