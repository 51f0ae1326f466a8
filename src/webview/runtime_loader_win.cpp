// The loader: gathers what FindWebViewRuntime asks about from the process
// environment and the registry, loads the runtime's client library and hands
// it the request. The library stays loaded for the life of the process.
#include <windows.h>

#include <string>

#include "base/wide_win.h"
#include "webview/runtime_search.h"
#include "webview/webview2_win.h"

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::optional<std::u16string> ReadVariable(std::u16string_view name) {
  const std::wstring key = Wide(name);
  const DWORD size = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(key.c_str(), value.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  value.resize(length);
  return U16(value.c_str());
}

std::optional<std::u16string> ReadString(HKEY root, const std::wstring& subkey, const std::wstring& value,
                                         DWORD flags) {
  DWORD bytes = 0;
  if (RegGetValueW(root, subkey.c_str(), value.c_str(), RRF_RT_REG_SZ | flags, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes < sizeof(wchar_t))
    return std::nullopt;
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(root, subkey.c_str(), value.c_str(), RRF_RT_REG_SZ | flags, nullptr, text.data(), &bytes) !=
      ERROR_SUCCESS)
    return std::nullopt;
  text.resize(wcsnlen(text.c_str(), text.size()));
  return U16(text.c_str());
}

HKEY Hive(RegistryRoot root) { return root == RegistryRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::u16string ExeFile(std::u16string* folder) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full = path;
  const size_t slash = full.find_last_of(L"\\/");
  *folder = U16(full.substr(0, slash == std::wstring::npos ? 0 : slash).c_str());
  return U16((slash == std::wstring::npos ? full : full.substr(slash + 1)).c_str());
}

RuntimeSystem ThisSystem() {
  RuntimeSystem system;
  system.variable = ReadVariable;
  system.policy = [](RegistryRoot root, std::u16string_view setting, std::u16string_view appId) {
    return ReadString(Hive(root), L"Software\\Policies\\Microsoft\\Edge\\WebView2\\" + Wide(setting), Wide(appId), 0);
  };
  system.registration = [](RegistryRoot root, std::u16string_view guid) {
    // Installers register per machine in the 32-bit view of the registry.
    const DWORD view = root == RegistryRoot::Machine ? RRF_SUBKEY_WOW6432KEY : 0;
    return ReadString(Hive(root), L"Software\\Microsoft\\EdgeUpdate\\ClientState\\" + Wide(guid),
                      L"EBWebView", view);
  };
  system.fileExists = [](const std::u16string& path) {
    return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
  };
  system.appIds.push_back(ExeFile(&system.exeDir));
  return system;
}

}  // namespace

HRESULT CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserExecutableFolder, PCWSTR userDataFolder,
                                                 ICoreWebView2EnvironmentOptions* environmentOptions,
                                                 ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  if (!handler) return E_POINTER;
  const RuntimeChoice choice = FindWebViewRuntime(ThisSystem(), U16(browserExecutableFolder), U16(userDataFolder));
  if (choice.verdict == RuntimeVerdict::NotSupported) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
  if (choice.verdict == RuntimeVerdict::NotFound) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  // By its full path, its own folder first for the libraries it needs (the
  // current directory is never searched); never freed, since the objects it
  // hands out live on after this call.
  HMODULE client = LoadLibraryExW(W(choice.clientDll), nullptr,
                                  LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (!client) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  auto create = reinterpret_cast<CreateWebViewEnvironmentWithOptionsInternalFn>(
      reinterpret_cast<void*>(GetProcAddress(client, "CreateWebViewEnvironmentWithOptionsInternal")));
  if (!create) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  PCWSTR dataArgument = choice.userDataFolder.empty() ? nullptr : W(choice.userDataFolder);
  HRESULT hr = create(true, choice.runtimeType, dataArgument, environmentOptions, handler);
  // A runtime that is still starting up from an update can refuse once.
  if (FAILED(hr)) hr = create(true, choice.runtimeType, dataArgument, environmentOptions, handler);
  return hr;
}
