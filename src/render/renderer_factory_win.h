#pragma once
// Picks and starts the renderer that fits a wallpaper's kind.
#include <windows.h>

#include <string>

#include "desktop/screen.h"
#include "desktop/media_kind.h"

// Installs the renderer in `screen` when its Init succeeds; false when it
// fails or no renderer draws this kind.
bool StartRenderer(Screen& screen, MediaKind kind, HWND window, int width, int height, const std::u16string& key);
