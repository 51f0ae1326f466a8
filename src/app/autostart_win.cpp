#include "app/autostart_win.h"

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Lumenhollow";

}  // namespace

bool StartsWithWindows() {
  DWORD size = 0;
  return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr, &size) ==
         ERROR_SUCCESS;
}

void SetStartWithWindows(bool on) {
  if (!on) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    return;
  }
  wchar_t exe[260] = {};
  GetModuleFileNameW(nullptr, exe, 260);
  const std::wstring data = L"\"" + std::wstring(exe) + L"\" --tray";
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, REG_SZ, data.c_str(),
                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}
