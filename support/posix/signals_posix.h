// The signals that end a native run: SIGTERM (how the XScreenSaver daemon ends a
// module), SIGINT and SIGHUP. Each becomes a quit request that the message pump takes
// like a quit message, so the run ends through its orderly teardown. The handler only
// notes the request and writes a byte to a pipe, which the pump can wait on.
#pragma once

// Installs the handlers. 1 done, 0 when the pipe or a handler could not be set.
int CatchQuitSignals();
// 1 once a quit signal has come (it stays so).
int QuitSignalled();
// The pipe end that becomes readable when a quit signal comes; -1 before
// CatchQuitSignals.
int QuitSignalDescriptor();
