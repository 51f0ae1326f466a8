#pragma once
// Lines for measuring the program from outside (tools/figures), written to
// the log only when the environment variable LH_TRACE is set. Otherwise each
// call tests one flag and returns.

#include <string>

// Reads LH_TRACE; call once at start-up, after SetLogFolder.
void TraceStart();
// "trace: first present N ms after process start, M ms CPU", once.
void TraceFirstPresent();
// "trace: frame tick" on every tick of the frame timer.
void TraceFrameTick();
// "trace: paused: REASON", or "trace: playing" when the reason is empty.
void TracePauseReason(const std::u16string& reason);
// "trace: renderers released: N" or "... restarted: N" when stop mode let N go or brought them back.
void TraceRenderers(bool released, int count);
