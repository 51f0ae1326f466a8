#include "bake/bake_jobs.h"

#include <mutex>
#include <thread>
#include <utility>

#include "bake/bake_naming.h"

std::atomic<uint8_t> gBakeBusy{0};
std::atomic<uint8_t> gBakeCancel{0};

namespace {

constexpr int32_t kBakeFps = 30, kBakeFrames = 360;
constexpr int32_t kPreviewFps = 12, kPreviewFrames = 144, kPreviewSide = 480;

std::mutex gQueueLock;
std::vector<BakeProgressRecord> gQueue;
std::thread gBakeThread;
// Main thread only. Once the main window is gone a late page command must not
// start a thread that would outlive the joins of shutdown.
bool gBakeClosed = false;

void Bake(const BakeJob& job, const BakeEnvironment& env, const std::atomic<uint8_t>& cancel, const BakePush& push) {
  const int32_t preset = job.preset;
  const std::u16string folder = env.videoFolder();
  env.createFolder(folder);
  std::u16string output = BakedFilePath(folder, env.displayName(job.source), preset, env.separator);
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  bool ok = env.decode(job.source, 0, pixels, width, height);
  if (ok) {
    BakeEffect effect;
    effect.Init(std::move(pixels), width, height, preset);
    ok = EncodeVideoFile(effect, env, output, kBakeFps, kBakeFrames, cancel,
                         [&](int32_t pct) { push(BakeProgressRecord{0, preset, pct, {}}); }, &output);
  }
  push(ok ? BakeProgressRecord{2, preset, 100, output} : BakeProgressRecord{3, preset, 100, {}});
  if (!ok && cancel.load() == 0) env.log(u"could not animate " + job.source);
}

void Previews(const BakeJob& job, const BakeEnvironment& env, const std::atomic<uint8_t>& cancel,
              const BakePush& push) {
  const std::u16string key = PictureKey(job.source);
  for (int32_t i = 0; i < kPresetCount; ++i) {
    if (cancel.load() != 0) return;
    const std::u16string folder = env.previewFolder();
    env.createFolder(folder);
    const std::u16string file = PreviewFilePath(folder, key, i, env.separator);
    if (env.exists(file)) {
      push(BakeProgressRecord{1, i, 0, file});
      continue;
    }
    std::vector<uint32_t> pixels;
    int32_t width = 0, height = 0;
    if (!env.decode(job.source, kPreviewSide, pixels, width, height)) {
      push(BakeProgressRecord{3, i, 0, {}});
      return;
    }
    BakeEffect effect;
    effect.Init(std::move(pixels), width, height, i);
    if (EncodeVideoFile(effect, env, file, kPreviewFps, kPreviewFrames, cancel, nullptr))
      push(BakeProgressRecord{1, i, 0, file});
  }
}

}  // namespace

bool EncodeVideoFile(BakeEffect& effect, const BakeEnvironment& env, const std::u16string& finalPath, int32_t fps,
                     int32_t frameCount, const std::atomic<uint8_t>& cancel, std::function<void(int32_t)> progress,
                     std::u16string* keptAt) {
  const std::u16string temp = TemporaryVideoPath(finalPath);
  bool ok;
  {
    // The sink closes its file when it goes, before the rename below.
    std::unique_ptr<EncodeSink> sink = env.makeSink();
    ok = sink && EncodeLoopVideo(effect, *sink, temp, fps, frameCount, cancel, std::move(progress));
  }
  if (!ok) {
    env.deleteFile(temp);
    return false;
  }
  if (env.replaceFile(temp, finalPath)) {
    if (keptAt) *keptAt = finalPath;
    return true;
  }
  // A video playing as a wallpaper cannot be replaced; the new one is kept
  // beside it rather than thrown away after the whole encode.
  const std::u16string beside = keptAt ? NextFreeVideoPath(finalPath, env.exists) : std::u16string();
  if (!beside.empty() && env.replaceFile(temp, beside)) {
    *keptAt = beside;
    return true;
  }
  env.deleteFile(temp);
  return false;
}

void RunBakeJob(const BakeJob& job, const BakeEnvironment& env, const std::atomic<uint8_t>& cancel,
                const BakePush& push) {
  if (job.preset >= 0)
    Bake(job, env, cancel, push);
  else
    Previews(job, env, cancel, push);
}

BakeEnvironment& BakeEnvironmentSlot() {
  static BakeEnvironment environment;
  return environment;
}

void PushBakeProgress(BakeProgressRecord record) {
  {
    std::lock_guard<std::mutex> lock(gQueueLock);
    gQueue.push_back(std::move(record));
  }
  const BakeEnvironment& env = BakeEnvironmentSlot();
  if (env.notify) env.notify();
}

std::vector<BakeProgressRecord> TakeBakeProgress() {
  std::vector<BakeProgressRecord> taken;
  std::lock_guard<std::mutex> lock(gQueueLock);
  taken.swap(gQueue);
  return taken;
}

void StartBakeJob(const std::u16string& path, int32_t preset) {
  if (gBakeClosed) {
    PushBakeProgress(BakeProgressRecord{3, preset, preset >= 0 ? 100 : 0, {}});
    return;
  }
  if (gBakeBusy.load() != 0) gBakeCancel.exchange(1);
  if (gBakeThread.joinable()) gBakeThread.join();
  gBakeCancel.exchange(0);
  gBakeBusy.exchange(1);
  auto job = std::make_unique<BakeJob>(BakeJob{path, preset});
  try {
    gBakeThread = std::thread([job = std::move(job)]() {
      const BakeEnvironment& env = BakeEnvironmentSlot();
      if (env.threadStart) env.threadStart();
      if (env.decode && env.makeSink)
        RunBakeJob(*job, env, gBakeCancel, PushBakeProgress);
      else
        PushBakeProgress(BakeProgressRecord{3, job->preset, job->preset >= 0 ? 100 : 0, {}});
      gBakeBusy.exchange(0);
      if (env.threadEnd) env.threadEnd();
    });
  } catch (const std::system_error&) {
    // No thread could be made: the page hears of a failure instead of
    // waiting for progress that never comes.
    gBakeBusy.exchange(0);
    PushBakeProgress(BakeProgressRecord{3, preset, preset >= 0 ? 100 : 0, {}});
  }
}

void StopBakeThread() {
  gBakeCancel.exchange(1);
  if (gBakeThread.joinable()) gBakeThread.join();
}

void CloseBakeJobs() {
  gBakeClosed = true;
  StopBakeThread();
}
