#include <windows.h>

#include "app/app_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return RunLumenhollow(instance, commandLine);
}
