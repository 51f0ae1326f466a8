#include "library/library_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

#include "../../support/recording_host.h"
#include "../../support/temp_folder.h"
#include "library/library_bridge.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kPatience = 30s;  // generous: the machine may be loaded
constexpr LibraryWorker::Timing kBrisk{20ms, 50ms};

// The worker's publications, and a wait for the view a test expects.
class Publications {
 public:
  std::function<void()> Callback() {
    return [this] {
      std::lock_guard lock(mutex_);
      ++count_;
      changed_.notify_all();
    };
  }
  bool WaitFor(LibrarySource& source, const std::function<bool(const LibraryView*)>& good) {
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
      const uint64_t seen = count_;
      lock.unlock();
      const bool ok = good(source.Latest().get());
      lock.lock();
      if (ok) return true;
      if (!changed_.wait_until(lock, deadline, [&] { return count_ != seen; })) return false;
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t count_ = 0;
};

// A probe whose attribute questions wait at a gate, as on a share that went away;
// it counts the watches it holds.
struct Gate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = true;
  int waiting = 0;
  void Pass() {
    std::unique_lock lock(mutex);
    ++waiting;
    opened.notify_all();
    opened.wait(lock, [this] { return open; });
    --waiting;
  }
  void Set(bool to) {
    std::lock_guard lock(mutex);
    open = to;
    opened.notify_all();
  }
};

class GatedProbe final : public FileProbe {
 public:
  GatedProbe(std::shared_ptr<Gate> gate, std::shared_ptr<std::atomic<int>> watches)
      : gate_(std::move(gate)), watches_(std::move(watches)) {}
  uint32_t Attributes(const std::u16string& path) const override {
    gate_->Pass();
    return real_.Attributes(path);
  }
  void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override {
    real_.ListFolder(folder, names);
  }
  std::u16string FileUrl(const std::u16string& path) const override { return real_.FileUrl(path); }
  bool WatchFolder(const std::u16string& folder) const override {
    const bool watched = real_.WatchFolder(folder);
    if (watched) ++*watches_;
    return watched;
  }
  void UnwatchAll() const override {
    real_.UnwatchAll();
    *watches_ = 0;
  }
  void TakeChangedFolders(std::vector<std::u16string>& folders) const override {
    real_.TakeChangedFolders(folders);
  }

 private:
  std::shared_ptr<Gate> gate_;
  std::shared_ptr<std::atomic<int>> watches_;
  PosixFileProbe real_;
};

class LibraryWorkerTest : public testing::Test {
 public:
  LibraryWorkerTest() {
    host.exeDir = dir.Path();
    for (const char* file : {"wallpapers/a.mp4", "mine/clip.mp4", "other/x.png"}) dir.File(file);
    host.settings.userList = {dir.Path("mine/clip.mp4"), dir.Path("other/x.png")};
  }
  bool WaitForUsable(const std::vector<bool>& usable) {
    return published.WaitFor(worker, [&](const LibraryView* view) {
      if (!view || view->facts.size() != usable.size()) return false;
      for (size_t i = 0; i < usable.size(); ++i)
        if (view->facts[i].usable != usable[i]) return false;
      return true;
    });
  }

  TempFolder dir;
  RecordingHost host;
  PosixFileProbe probe;  // the caller's own, for the paths it adds
  std::shared_ptr<Gate> gate = std::make_shared<Gate>();
  std::shared_ptr<std::atomic<int>> watches = std::make_shared<std::atomic<int>>(0);
  Publications published;
  LibraryWorker worker{std::make_unique<GatedProbe>(gate, watches), published.Callback(), kBrisk};
};

TEST_F(LibraryWorkerTest, AFolderMovedOrDeletedIsSeenAndReleasingDropsEveryWatch) {
  const struct {
    const char* change;
    std::function<void(const TempFolder&)> make;
    std::function<void(const TempFolder&)> undo;
  } changes[] = {
      {"moved away", [](const TempFolder& d) { d.Rename("mine", "bin"); },
       [](const TempFolder& d) { d.Rename("bin", "mine"); }},
      {"deleted", [](const TempFolder& d) { d.Remove("mine"); },
       [](const TempFolder& d) { d.File("mine/clip.mp4"); }},
  };
  worker.Scan(host.exeDir, host.settings.userList);
  ASSERT_TRUE(WaitForUsable({true, true, true}));
  for (const auto& change : changes) {
    SCOPED_TRACE(change.change);
    change.make(dir);
    EXPECT_TRUE(WaitForUsable({true, false, true}));
    change.undo(dir);
    EXPECT_TRUE(WaitForUsable({true, true, true}));
  }
  EXPECT_GT(watches->load(), 0);
  worker.Release();
  EXPECT_EQ(worker.Latest(), nullptr);
  // The release is done on the worker's thread; it says so with a publication.
  ASSERT_TRUE(published.WaitFor(worker, [&](const LibraryView*) { return watches->load() == 0; }));
  worker.Scan(host.exeDir, host.settings.userList);  // the library opened again
  EXPECT_TRUE(WaitForUsable({true, true, true}));
}

TEST_F(LibraryWorkerTest, AProbeThatNeverAnswersHoldsUpNoCaller) {
  gate->Set(false);
  auto calls = std::async(std::launch::async, [&] {
    worker.Scan(host.exeDir, host.settings.userList);
    {
      std::unique_lock lock(gate->mutex);
      gate->opened.wait(lock, [&] { return gate->waiting > 0; });  // the worker is stuck now
    }
    const bool noView = worker.Latest() == nullptr;
    worker.Scan(host.exeDir, host.settings.userList);
    worker.Release();
    return noView;
  });
  const bool answered = calls.wait_for(kPatience) == std::future_status::ready;
  gate->Set(true);
  ASSERT_TRUE(answered) << "a call waited for the probe";
  EXPECT_TRUE(calls.get());
  // The newest request wins: the release, not the scans asked before it.
  EXPECT_TRUE(
      published.WaitFor(worker, [&](const LibraryView* view) { return !view && watches->load() == 0; }));
}

TEST_F(LibraryWorkerTest, WhatWaitsForANewListFollowsTheStateThatHasIt) {
  LibraryBridge bridge(host, probe, &worker);
  bridge.SendState();
  ASSERT_TRUE(WaitForUsable({true, true, true}));
  dir.File("mine/new.mp4");
  gate->Set(false);
  host.posted.clear();
  bridge.AddUserWallpapers({dir.Path("mine/new.mp4")});
  EXPECT_EQ(host.posted.size(), 1u) << "only the state of the list as it was";
  gate->Set(true);
  ASSERT_TRUE(WaitForUsable({true, true, true, true}));
  bridge.TakeNewView();
  ASSERT_EQ(host.posted.size(), 3u);
  EXPECT_NE(Utf16ToUtf8(host.posted[1]).find("new.mp4"), std::string::npos);
  EXPECT_EQ(Utf16ToUtf8(host.posted[2]).rfind("{\"t\":\"added\"", 0), 0u);
}

}  // namespace
