#include "bake/bake_thread_win.h"

#include <windows.h>
#include <mfapi.h>
#include <shlobj.h>

#include "base/app_facts_win.h"
#include "base/log_win.h"
#include "base/wide_win.h"
#include "bake/bake_jobs.h"
#include "bake/encode_sink_win.h"
#include "bake/picture_decode.h"
#include "base/file_probe_win.h"
#include "desktop/media_kind.h"

namespace {

std::u16string VideoFolder() {
  PWSTR videos = nullptr;
  std::u16string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Videos, 0, nullptr, &videos)))
    folder = U16(videos) + u"\\Lumenhollow";
  else
    folder = gApp.dataDir + u"\\Lumenhollow";
  CoTaskMemFree(videos);
  return folder;
}

BakeEnvironment WindowsEnvironment() {
  BakeEnvironment env;
  env.separator = u'\\';
  env.decode = DecodePictureForBake;
  env.makeSink = MakeMfEncodeSink;
  env.exists = [](const std::u16string& p) { return GetFileAttributesW(W(p)) != INVALID_FILE_ATTRIBUTES; };
  env.createFolder = [](const std::u16string& p) { CreateDirectoryW(W(p), nullptr); };
  env.deleteFile = [](const std::u16string& p) { DeleteFileW(W(p)); };
  env.replaceFile = [](const std::u16string& from, const std::u16string& to) {
    return MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  };
  env.log = LogLine;
  env.displayName = [](const std::u16string& p) { return DisplayNameFor(WindowsFileProbe{}, p); };
  env.videoFolder = VideoFolder;
  env.previewFolder = []() { return gApp.dataDir + u"\\previews"; };
  env.notify = []() { PostMessageW(gApp.mainWindow, WM_APP_BAKE_PROGRESS, 0, 0); };
  env.threadStart = []() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    // Counted: Media Foundation runs while a bake or a video needs it.
    MFStartup(MF_VERSION, MFSTARTUP_LITE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  };
  env.threadEnd = []() {
    MFShutdown();
    CoUninitialize();
  };
  return env;
}

// This file is always linked (the main window calls CancelAndJoinBake), so
// the bake thread finds the Windows services in place before any job starts.
const bool gInstalled = (BakeEnvironmentSlot() = WindowsEnvironment(), true);

}  // namespace

void CancelAndJoinBake() { CloseBakeJobs(); }
