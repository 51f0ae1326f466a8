#pragma once
// The library list kept by a thread of its own, so that no question about
// the user's files, however slow their disk or network, waits on the caller.
// The thread starts with the first Scan; while it holds a list it renews the
// facts every `renewEvery` and rechecks every `recheckEvery`.
#include <chrono>
#include <functional>
#include <memory>

#include "library/library_lister.h"

class LibraryWorker final : public LibrarySource {
 public:
  struct Timing {
    std::chrono::milliseconds renewEvery{1000};
    std::chrono::milliseconds recheckEvery{2000};
  };
  // `published` runs on the worker's thread after each new view and after a
  // Release took effect, under the worker's lock: it must be quick and must
  // not call the worker. It never runs once the destructor has returned.
  LibraryWorker(std::unique_ptr<FileProbe> probe, std::function<void()> published, Timing timing);
  LibraryWorker(std::unique_ptr<FileProbe> probe, std::function<void()> published)
      : LibraryWorker(std::move(probe), std::move(published), Timing{}) {}
  LibraryWorker(const LibraryWorker&) = delete;
  LibraryWorker& operator=(const LibraryWorker&) = delete;
  // Tells the thread to end and lets it go without waiting: a question under
  // way may take as long as the network wants.
  ~LibraryWorker() override;

  uint64_t Scan(const std::u16string& exeDir, const std::vector<std::u16string>& userList) override;
  void Release() override;
  std::shared_ptr<const LibraryView> Latest() override;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};
