#pragma once
// One monitor (or the spanning wallpaper) and the surface drawn on it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/renderer.h"

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Screen {
  std::u16string key;   // device interface name, else GDI device name, or "span"
  std::u16string path;  // assigned wallpaper; empty when none
  void* monitor = nullptr;  // HMONITOR; null for the spanning record
  Rect bounds;
  Rect workArea;
  bool primary = false;
  bool covered = false;
  bool paused = false;
  bool spanning = false;
  std::u16string friendlyName;
  void* window = nullptr;  // HWND of the surface; null when none
  std::unique_ptr<Renderer> renderer;
};

using ScreenList = std::vector<std::unique_ptr<Screen>>;
