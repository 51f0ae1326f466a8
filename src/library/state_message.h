#pragma once
// The JSON texts posted to the library page, built from plain snapshots so
// that every byte can be checked without a web view. No whitespace anywhere.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"
#include "desktop/screen.h"
#include "library/media.h"

// A JSON string literal. Besides '"', '\' and control characters, a lone
// surrogate is written as an escape: left raw it is not text at all, and a
// strict reader would drop the whole message over one oddly named file.
std::u16string JsonQuote(std::u16string_view text);
void AppendJsonQuoted(std::u16string& out, std::u16string_view text);

// One library item with its file questions already answered; the texts
// belong to whoever made the snapshot.
struct StateItem {
  const LibraryItem* item = nullptr;
  bool ok = false;
  std::u16string_view thumb;
  std::u16string_view url;  // empty unless the item is a video
};

// Everything the "state" message shows, gathered at one moment.
struct StateSnapshot {
  const Settings* settings = nullptr;
  const ScreenList* screens = nullptr;
  std::vector<StateItem> items;
  bool startWithWindows = false;
  double cpuPercent = 0.0;
  uint64_t privateBytes = 0;
  bool userPaused = false;
  std::u16string pauseReason;
};

std::u16string BuildStateMessage(const StateSnapshot& snapshot);
std::u16string BuildAddedMessage(const std::vector<std::u16string>& paths);
std::u16string BuildTourMessage();
// `url` is the file URL of `path`, or empty when the path is.
std::u16string BuildBakeMessage(int32_t kind, int32_t preset, int32_t pct, std::u16string_view path,
                                std::u16string_view url);
