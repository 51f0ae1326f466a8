#pragma once
// On an unhandled exception on any thread, writes one line to the log with
// the exception and the call stack as module+offset, then ends the process
// with the exception code instead of waiting on a debugger.
void RecordCrashesInLog();
