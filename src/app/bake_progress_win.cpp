#include "app/bake_progress_win.h"

#include <algorithm>

#include "app/app_state_win.h"
#include "base/settings_store_win.h"
#include "bake/bake_jobs.h"
#include "library/library_host_win.h"

void DrainBakeProgress() {
  for (const BakeProgressRecord& record : TakeBakeProgress()) {
    if (record.kind == 2) {
      auto& list = gSettings.userList;
      if (std::find(list.begin(), list.end(), record.path) == list.end()) list.push_back(record.path);
      SaveSettings();
      ScanLibrary();
      SendState();
    }
    PostBakeMessage(record.kind, record.preset, record.pct, record.path);
  }
}
