// The "state" message the library page receives every second: 4 screens and
// 1,000 items in a real folder. "Rescan" includes the folder listing and the
// per-item classification (the first message after the list was freed),
// asked on the caller's thread; "Kept" is the once-a-second message of the
// program, built from the view its worker thread keeps (target: at most 2 ms
// of CPU); "AfterDeletion" is a message after one file of the wallpapers
// folder went away, with that folder's items asked about again on the
// caller's thread. "TextOnly" is the message text from a snapshot already taken.
#include <benchmark/benchmark.h>

#include <future>
#include <string>

#include "../tests/support/recording_host.h"
#include "../tests/support/temp_folder.h"
#include "library/library_bridge.h"
#include "library/library_worker.h"

namespace {

struct Library1000 {
  Library1000() {
    host.exeDir = dir.Path();
    for (int i = 0; i < 1000; ++i) {
      const std::string n = std::to_string(i);
      if (i % 10 < 6) {
        dir.File("wallpapers/clip-" + n + ".mp4");
        if (i % 2 == 0) dir.File("wallpapers/thumbs/clip-" + n + ".mp4.jpg");
      } else if (i % 10 < 8) {
        dir.File("wallpapers/photo_" + n + ".jpg");
      } else if (i % 10 < 9) {
        dir.File("wallpapers/loop-" + n + ".gif");
      } else {
        dir.File("wallpapers/page-" + n + "/index.html");
      }
    }
    for (int i = 0; i < 4; ++i) {
      const std::u16string key = u"\\\\?\\DISPLAY#MON" + AsciiToUtf16(std::to_string(i));
      Screen& screen = host.AddScreen(key, {i * 1920, 0, (i + 1) * 1920, 1080}, true);
      screen.friendlyName = u"Monitor " + AsciiToUtf16(std::to_string(i));
      host.settings.assignments[key] = dir.Path("wallpapers/clip-" + std::to_string(i * 10) + ".mp4");
      host.settings.frames[key] = {0.5f, 0.5f, 1.25f};
    }
    host.recording = false;
  }
  TempFolder dir;
  PosixFileProbe probe;
  RecordingHost host;
  LibraryBridge bridge{host, probe};
};

void StateMessageRescan(benchmark::State& state) {
  Library1000 lib;
  for (auto _ : state) {
    lib.bridge.ReleaseLibraryList();
    lib.bridge.SendState();
    benchmark::DoNotOptimize(lib.host.posted.back().size());
    lib.host.posted.clear();
  }
  state.counters["items"] = static_cast<double>(lib.bridge.Items().size());
}
BENCHMARK(StateMessageRescan)->Unit(benchmark::kMillisecond);

void StateMessageKept(benchmark::State& state) {
  Library1000 lib;
  std::promise<void> firstView;
  LibraryWorker worker(std::make_unique<PosixFileProbe>(), [&, once = true]() mutable {
    if (std::exchange(once, false)) firstView.set_value();
  });
  LibraryBridge bridge(lib.host, lib.probe, &worker);
  bridge.SendState();
  firstView.get_future().wait();
  for (auto _ : state) {
    bridge.SendState();
    benchmark::DoNotOptimize(lib.host.posted.back().size());
    lib.host.posted.clear();
  }
  state.counters["bytes"] = static_cast<double>(Utf16ToUtf8(BuildStateMessage(bridge.TakeSnapshot())).size());
  state.SetLabel("CPU target <= 2 ms");
}
BENCHMARK(StateMessageKept)->Unit(benchmark::kMillisecond);

void StateMessageAfterDeletion(benchmark::State& state) {
  Library1000 lib;
  lib.bridge.SendState();
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    lib.dir.Remove("wallpapers/clip-" + std::to_string(i) + ".mp4");
    lib.dir.File("wallpapers/clip-" + std::to_string(i) + ".mp4");
    i = (i + 10) % 1000;  // clip-0, clip-10, ...: files the scan found
    state.ResumeTiming();
    lib.bridge.SendState();
    benchmark::DoNotOptimize(lib.host.posted.back().size());
    lib.host.posted.clear();
  }
}
BENCHMARK(StateMessageAfterDeletion)->Unit(benchmark::kMillisecond);

void StateMessageTextOnly(benchmark::State& state) {
  Library1000 lib;
  lib.bridge.ScanLibrary();
  const StateSnapshot snapshot = lib.bridge.TakeSnapshot();
  for (auto _ : state) benchmark::DoNotOptimize(BuildStateMessage(snapshot).size());
}
BENCHMARK(StateMessageTextOnly)->Unit(benchmark::kMillisecond);

}  // namespace
