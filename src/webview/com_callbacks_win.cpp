#include "webview/com_callbacks_win.h"

#include <cwchar>

namespace {

HRESULT CopyOut(const std::wstring& text, LPWSTR* value) {
  if (!value) return E_POINTER;
  *value = CoTaskCopy(text.c_str());
  return *value ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

LPWSTR CoTaskCopy(const wchar_t* text) {
  const size_t units = wcslen(text) + 1;
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(units * sizeof(wchar_t)));
  if (copy) wmemcpy(copy, text, units);
  return copy;
}

Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> EnvironmentOptions::Make(
    const std::u16string& browserArguments) {
  auto* object = new EnvironmentOptions();
  object->arguments_.assign(browserArguments.begin(), browserArguments.end());
  return Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions>(object);
}

HRESULT EnvironmentOptions::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(ICoreWebView2EnvironmentOptions)) {
    *out = static_cast<ICoreWebView2EnvironmentOptions*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG EnvironmentOptions::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT EnvironmentOptions::get_AdditionalBrowserArguments(LPWSTR* value) { return CopyOut(arguments_, value); }
HRESULT EnvironmentOptions::put_AdditionalBrowserArguments(LPCWSTR value) {
  arguments_ = value ? value : L"";
  return S_OK;
}
HRESULT EnvironmentOptions::get_Language(LPWSTR* value) { return CopyOut(language_, value); }
HRESULT EnvironmentOptions::put_Language(LPCWSTR value) {
  language_ = value ? value : L"";
  return S_OK;
}
HRESULT EnvironmentOptions::get_TargetCompatibleBrowserVersion(LPWSTR* value) {
  return CopyOut(targetVersion_, value);
}
HRESULT EnvironmentOptions::put_TargetCompatibleBrowserVersion(LPCWSTR value) {
  targetVersion_ = value ? value : L"";
  return S_OK;
}
HRESULT EnvironmentOptions::get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) {
  if (!allow) return E_POINTER;
  *allow = singleSignOn_;
  return S_OK;
}
HRESULT EnvironmentOptions::put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) {
  singleSignOn_ = allow;
  return S_OK;
}
