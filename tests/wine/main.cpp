#include <gtest/gtest.h>

#include "app/main_window_win.h"

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The program connects its timers at start-up; the tests drive the same code.
  SetMainTimers(&MainWindowTimers());
  return RUN_ALL_TESTS();
}
