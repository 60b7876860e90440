// What the native entry asks of the POSIX platform after the run.
#pragma once

// How many "Error" boxes the run has shown (on standard error): a run that ended in an
// error ends the process with a failure status.
int PosixErrorsShown();
