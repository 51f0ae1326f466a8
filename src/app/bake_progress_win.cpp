#include "app/bake_progress_win.h"

#include "bake/bake_jobs.h"
#include "library/library_host_win.h"

void DrainBakeProgress() {
  for (const BakeProgressRecord& record : TakeBakeProgress())
    TakeBakeRecord(record.kind, record.preset, record.pct, record.path);
}
