#include "library/library_worker.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

namespace {

enum class Request { None, Scan, Release };

}  // namespace

// Lives as long as whichever of the worker and its thread goes last.
struct LibraryWorker::Shared : std::enable_shared_from_this<Shared> {
  Shared(std::unique_ptr<FileProbe> p, std::function<void()> f, Timing t)
      : probe(std::move(p)), published(std::move(f)), timing(t) {}

  // Under the lock: one request waits at a time, the newest.
  void Ask(Request asked) {
    request = asked;
    if (!started) {
      started = true;
      std::thread(&Shared::Run, shared_from_this()).detach();
    }
    wake.notify_one();
  }

  void Run();

  const std::unique_ptr<FileProbe> probe;
  const std::function<void()> published;
  const Timing timing;

  std::mutex mutex;
  std::condition_variable wake;
  bool started = false;
  bool stop = false;
  Request request = Request::None;
  uint64_t scans = 0;
  std::u16string exeDir;
  std::vector<std::u16string> userList;
  std::shared_ptr<const LibraryView> latest;
};

void LibraryWorker::Shared::Run() {
  using Clock = std::chrono::steady_clock;
  LibraryLister lister(*probe);
  Clock::time_point nextRecheck = Clock::now();
  std::unique_lock lock(mutex);
  for (;;) {
    if (request == Request::None && !stop) {
      if (lister.View())
        wake.wait_for(lock, timing.renewEvery);
      else
        wake.wait(lock, [this] { return request != Request::None || stop; });
    }
    if (stop) break;
    const Request taken = std::exchange(request, Request::None);
    const uint64_t scan = scans;
    std::u16string folder = exeDir;
    std::vector<std::u16string> list = userList;
    lock.unlock();

    bool changed = true;
    if (taken == Request::Scan) {
      lister.ScanAs(scan, folder, list);
      nextRecheck = Clock::now() + timing.recheckEvery;
    } else if (taken == Request::Release) {
      lister.Release();
    } else {
      const bool recheck = Clock::now() >= nextRecheck;
      if (recheck) nextRecheck = Clock::now() + timing.recheckEvery;
      changed = lister.Renew(recheck);
    }

    lock.lock();
    // A request that came meanwhile makes this view old news.
    if (!changed || stop || request != Request::None) continue;
    latest = lister.View();
    published();
  }
  lock.unlock();
  lister.Release();
}

LibraryWorker::LibraryWorker(std::unique_ptr<FileProbe> probe, std::function<void()> published, Timing timing)
    : shared_(std::make_shared<Shared>(std::move(probe), std::move(published), timing)) {}

LibraryWorker::~LibraryWorker() {
  std::lock_guard lock(shared_->mutex);
  shared_->stop = true;
  shared_->wake.notify_one();
}

uint64_t LibraryWorker::Scan(const std::u16string& exeDir, const std::vector<std::u16string>& userList) {
  std::lock_guard lock(shared_->mutex);
  shared_->exeDir = exeDir;
  shared_->userList = userList;
  const uint64_t scan = ++shared_->scans;
  shared_->Ask(Request::Scan);
  return scan;
}

void LibraryWorker::Release() {
  std::lock_guard lock(shared_->mutex);
  shared_->latest.reset();
  if (shared_->started) shared_->Ask(Request::Release);
}

std::shared_ptr<const LibraryView> LibraryWorker::Latest() {
  std::lock_guard lock(shared_->mutex);
  return shared_->latest;
}
