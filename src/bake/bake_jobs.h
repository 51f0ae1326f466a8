#pragma once
// Bake jobs: one picture baked with one preset, or the previews of all
// presets, run one at a time on the bake thread and reported through a locked
// queue. The platform supplies decoding, encoding and files through
// BakeEnvironment; everything else is here.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bake/encode_loop.h"

struct BakeProgressRecord {
  int32_t kind = 0;  // 0 progress, 1 preview ready, 2 bake finished, 3 failed or cancelled
  int32_t preset = 0;
  int32_t pct = 0;
  std::u16string path;
};

struct BakeJob {
  std::u16string source;
  int32_t preset = 0;  // -1: the previews of every preset
};

struct BakeEnvironment {
  // Decodes, orients and scales for the effect (maxSide 0: the bake size).
  std::function<bool(const std::u16string& path, int32_t maxSide, std::vector<uint32_t>& pixels, int32_t& width,
                     int32_t& height)>
      decode;
  std::function<std::unique_ptr<EncodeSink>()> makeSink;
  std::function<bool(const std::u16string&)> exists;
  std::function<void(const std::u16string&)> createFolder;
  std::function<void(const std::u16string&)> deleteFile;
  // Moves a finished temporary file over the final name, replacing it.
  std::function<bool(const std::u16string& from, const std::u16string& to)> replaceFile;
  std::function<void(const std::u16string&)> log;
  std::function<std::u16string(const std::u16string&)> displayName;
  std::function<std::u16string()> videoFolder;
  std::function<std::u16string()> previewFolder;
  std::function<void()> notify;       // after each queued record
  std::function<void()> threadStart;  // on the bake thread, before the job
  std::function<void()> threadEnd;
  char16_t separator = u'\\';
};

using BakePush = std::function<void(BakeProgressRecord)>;

// The body of one job, on the calling thread.
void RunBakeJob(const BakeJob& job, const BakeEnvironment& env, const std::atomic<uint8_t>& cancel,
                const BakePush& push);
// One video into `finalPath` through a temporary file, so a failure or a
// cancel never touches an earlier video of the same name. With `keptAt`, a
// final name that cannot be replaced (the video is playing) gives way to the
// next free numbered name, and `keptAt` says where the video went.
bool EncodeVideoFile(BakeEffect& effect, const BakeEnvironment& env, const std::u16string& finalPath, int32_t fps,
                     int32_t frameCount, const std::atomic<uint8_t>& cancel, std::function<void(int32_t)> progress,
                     std::u16string* keptAt = nullptr);

// Process-wide job state, shared between the main thread and the bake thread.
extern std::atomic<uint8_t> gBakeBusy;
extern std::atomic<uint8_t> gBakeCancel;
// The environment the bake thread uses; the platform shell fills it once.
BakeEnvironment& BakeEnvironmentSlot();

// Main thread: cancels and joins any running job, then starts this one.
void StartBakeJob(const std::u16string& path, int32_t preset);
// Main thread: sets the cancel flag and joins the bake thread.
void StopBakeThread();
// Main thread, at shutdown: stops the bake thread for good. A command that
// arrives later starts no thread; it is answered with a failure record.
void CloseBakeJobs();
// Any thread: appends under the lock, then notifies the main window.
void PushBakeProgress(BakeProgressRecord record);
// Main thread: takes every queued record at once, leaving the queue empty.
std::vector<BakeProgressRecord> TakeBakeProgress();
