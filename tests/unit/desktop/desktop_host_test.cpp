#include "desktop/desktop_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void* H(int id) { return reinterpret_cast<void*>(static_cast<intptr_t>(id)); }

TEST(DesktopHost, ChoiceForEachShellLayout) {
  void* const progman = H(1);
  struct Case {
    const char* name;
    bool iconViewInProgman;
    void* progmanWorker;
    std::vector<TopLevelWindow> walk;
    void* expected;
  } cases[] = {
      {"newer layout: Progman's WorkerW child", true, H(2), {}, H(2)},
      {"icon view in Progman without WorkerW: Progman, walk not tried",
       true,
       nullptr,
       {{H(10), true, H(11)}},
       progman},
      {"older layout: the WorkerW after the icon view's window",
       false,
       nullptr,
       {{H(9), false, H(12)}, {H(10), true, H(11)}, {H(11), false, nullptr}},
       H(11)},
      {"icon view in the last window, no WorkerW after it: Progman",
       false,
       nullptr,
       {{H(10), false, H(11)}, {H(11), true, nullptr}},
       progman},
      {"two icon views: the later one decides, even with nothing after it",
       false,
       nullptr,
       {{H(10), true, H(11)}, {H(11), false, nullptr}, {H(20), true, nullptr}},
       progman},
      {"two icon views: the later one's WorkerW",
       false,
       nullptr,
       {{H(10), true, H(11)}, {H(20), true, H(21)}},
       H(21)},
      {"no icon view anywhere: Progman", false, H(2), {{H(10), false, H(11)}}, progman},
  };
  for (const Case& c : cases) {
    DesktopShellFacts facts{progman, c.iconViewInProgman, c.progmanWorker, c.walk};
    EXPECT_EQ(ChooseDesktopHost(facts), c.expected) << c.name;
  }
  EXPECT_EQ(ChooseDesktopHost(DesktopShellFacts{}), nullptr) << "no Progman: no host";
}

}  // namespace

namespace {

bool deviceMade = false;
bool MakeDevice() { return deviceMade; }

TEST(DesktopHost, ARebuildWithoutADeviceForgetsTheDeadHostSoHousekeepingStaysQuiet) {
  struct Case {
    const char* what;
    bool stopped, device, proceeds, hostKept;
  } cases[] = {
      {"device made", false, true, true, true},
      {"no device", false, false, false, false},
      {"rendering stopped: no device asked for", true, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* host = H(7);  // the host of the last rebuild; the shell has restarted since
    deviceMade = c.device;
    EXPECT_EQ(BeginRebuild(host, c.stopped, MakeDevice), c.proceeds);
    EXPECT_EQ(host, c.hostKept ? H(7) : nullptr);
    // Housekeeping asks whether the host vanished; a forgotten host never has.
    EXPECT_EQ(HostVanished(host, false), c.hostKept);
  }
  EXPECT_FALSE(HostVanished(H(7), true));
}

}  // namespace
