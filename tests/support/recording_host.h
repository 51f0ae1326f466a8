#pragma once
// A LibraryHost that records every call in order, for tests, the fuzzer and
// the benchmark. It owns the records a real program shares (settings, the
// screens list) and answers the questions from plain fields.
#include <string>
#include <vector>

#include "base/text.h"
#include "library/library_host.h"

class FakeRenderer final : public Renderer {
 public:
  explicit FakeRenderer(std::u16string key) { screenKey = std::move(key); }
  void Refresh() override { ++refreshes; }
  void Tick(double) override {}
  void SetPaused(bool) override {}
  bool NeedsFrames() override { return true; }
  int refreshes = 0;
};

class RecordingHost : public LibraryHost {
 public:
  Settings& CurrentSettings() override { return settings; }
  ScreenList& Screens() override { return screens; }
  const std::u16string& ExeDir() override { return exeDir; }

  void SaveSettings() override { Note("SaveSettings"); }
  void ArmSaveSettingsTimer() override { Note("ArmSaveSettingsTimer"); }
  void RebuildScreens() override { Note("RebuildScreens"); }
  // Like the real one: a screen keeps a window while it has a wallpaper.
  void ApplyScreen(Screen& screen) override {
    Note("ApplyScreen " + Utf16ToUtf8(screen.key));
    const auto found = settings.assignments.find(screen.key);
    screen.path = found == settings.assignments.end() ? std::u16string() : found->second;
    screen.window = screen.path.empty() ? nullptr : &screen;
  }
  void RefreshSystemWallpaper() override { Note("RefreshSystemWallpaper"); }
  bool CanApplyScreensInPlace() override { return canApplyInPlace; }
  int64_t UnixNow() override { return now; }
  uint32_t RandomBelow(uint32_t) override { return 0; }
  void UpdateRotations(bool all) override { Note(all ? "UpdateRotations all" : "UpdateRotations"); }
  void ClearRenderingStopped() override { Note("ClearRenderingStopped"); }
  void DecidePause() override { Note("DecidePause"); }
  void StartScreensaver(bool preview) override { Note(preview ? "StartScreensaver preview" : "StartScreensaver"); }
  bool UserPaused() override { return userPaused; }
  void SetUserPaused(bool paused) override {
    userPaused = paused;
    Note(paused ? "SetUserPaused 1" : "SetUserPaused 0");
  }
  void ClearAway() override { Note("ClearAway"); }
  std::u16string PauseReason() override { return pauseReason; }
  UsageFigures Usage() override { return usage; }
  void ShowMonitorBadges() override { Note("ShowMonitorBadges"); }
  void UpdateFrameTimer() override { Note("UpdateFrameTimer"); }
  bool StartsWithWindows() override { return startsWithWindows; }
  void SetStartWithWindows(bool on) override {
    startsWithWindows = on;
    Note(on ? "SetStartWithWindows 1" : "SetStartWithWindows 0");
  }
  void StartBakeJob(const std::u16string& path, int32_t preset) override {
    Note("StartBakeJob " + Utf16ToUtf8(path) + " " + std::to_string(preset));
  }
  void RequestBakeCancel() override { Note("RequestBakeCancel"); }
  bool TourRequested() override { return tourRequested; }
  bool LibraryViewExists() override { return viewExists; }
  // Recorded by message type: "Post state", "Post added", ...
  void PostToPage(const std::u16string& json) override {
    posted.push_back(json);
    const std::string text = Utf16ToUtf8(json.substr(0, 20));
    const size_t start = text.find(":\"") + 2;
    Note("Post " + text.substr(start, text.find('"', start) - start));
  }
  void PostLibraryPick(int32_t picker) override { Note("PostLibraryPick " + std::to_string(picker)); }

  // Appends a monitor record; `window` gives it a surface with a renderer.
  Screen& AddScreen(std::u16string key, Rect bounds, bool window = false) {
    auto screen = std::make_unique<Screen>();
    screen->key = std::move(key);
    screen->bounds = bounds;
    if (window) {
      screen->window = screen.get();
      screen->renderer = std::make_unique<FakeRenderer>(screen->key);
    }
    screens.push_back(std::move(screen));
    return *screens.back();
  }

  void Note(std::string call) {
    if (recording) calls.push_back(std::move(call));
  }

  Settings settings;
  ScreenList screens;
  std::u16string exeDir = u"C:\\Lumenhollow";
  bool canApplyInPlace = true;
  bool userPaused = false;
  bool startsWithWindows = false;
  bool tourRequested = false;
  bool viewExists = true;
  bool recording = true;
  int64_t now = 1000;
  std::u16string pauseReason;
  UsageFigures usage;
  std::vector<std::string> calls;
  std::vector<std::u16string> posted;
};
