#pragma once
// Lines for measuring the program from outside (tools/figures), written to
// the log only when the environment variable LH_TRACE is set. Otherwise each
// call tests one flag and returns.

#include <cstdint>
#include <string>

// Reads LH_TRACE; call once at start-up, after SetLogFolder.
void TraceStart();
// "trace: first present N ms after process start, M ms CPU", once.
void TraceFirstPresent();
// "trace: frame tick" on every tick of the frame timer.
void TraceFrameTick();
// "trace: wake" each time the main loop's wait returns.
void TraceWake();
// "trace: paused: REASON", or "trace: playing" when the reason is empty.
void TracePauseReason(const std::u16string& reason);

// Brackets one start-up step: on leaving the scope it writes "trace: step NAME
// N ms, private +K KiB, working set +K KiB" (growth over the step). With
// tracing off it notes nothing and writes nothing.
class TraceSpan {
 public:
  explicit TraceSpan(const char16_t* name);
  ~TraceSpan();
  TraceSpan(const TraceSpan&) = delete;
  TraceSpan& operator=(const TraceSpan&) = delete;

 private:
  const char16_t* name_ = nullptr;  // null while tracing is off
  int64_t startCounter_ = 0;
  int64_t startPrivate_ = 0;
  int64_t startWorkingSet_ = 0;
};
