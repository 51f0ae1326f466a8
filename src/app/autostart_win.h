#pragma once
// The start-with-Windows value under the per-user Run key. Its existence is
// the on/off state; its content is never compared.

bool StartsWithWindows();
void SetStartWithWindows(bool on);
