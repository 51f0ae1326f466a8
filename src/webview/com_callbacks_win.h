#pragma once
// Small COM objects of our own for the web view: the environment options and
// the completion and event handlers, each a std::function behind the
// interface (MinGW has no wrl/implements.h). Single-threaded use, so the
// reference count is a plain integer.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <utility>

#include "webview/webview2_win.h"

template <typename Interface, typename... Args>
class ComCallback final : public Interface {
 public:
  using Function = std::function<HRESULT(Args...)>;

  // The new object, its one reference owned by the result.
  static Microsoft::WRL::ComPtr<Interface> Make(Function function) {
    return Microsoft::WRL::ComPtr<Interface>(new ComCallback(std::move(function)));
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Invoke(Args... args) override { return function_ ? function_(args...) : S_OK; }

 private:
  explicit ComCallback(Function function) : function_(std::move(function)) {}
  // The first owner's AddRef makes it 1. (MinGW's ComPtr::Attach adds a
  // reference as well, so an object born with one would never be freed.)
  ULONG references_ = 0;
  Function function_;
};

using EnvironmentCompletedCallback =
    ComCallback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT, ICoreWebView2Environment*>;
using ControllerCompletedCallback =
    ComCallback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT, ICoreWebView2Controller*>;
using WebMessageCallback =
    ComCallback<ICoreWebView2WebMessageReceivedEventHandler, ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*>;
using TrySuspendCallback = ComCallback<ICoreWebView2TrySuspendCompletedHandler, HRESULT, BOOL>;
using NewWindowCallback = ComCallback<ICoreWebView2NewWindowRequestedEventHandler, ICoreWebView2*,
                                      ICoreWebView2NewWindowRequestedEventArgs*>;
using PermissionCallback = ComCallback<ICoreWebView2PermissionRequestedEventHandler, ICoreWebView2*,
                                       ICoreWebView2PermissionRequestedEventArgs*>;
using DownloadCallback =
    ComCallback<ICoreWebView2DownloadStartingEventHandler, ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs*>;

// The options a host passes when it creates an environment. The getters hand
// out copies from CoTaskMemAlloc, which the caller frees.
class EnvironmentOptions final : public ICoreWebView2EnvironmentOptions {
 public:
  static Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> Make(const std::u16string& browserArguments);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override;
  HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override;

 private:
  EnvironmentOptions() = default;
  ULONG references_ = 0;  // as ComCallback's
  std::wstring arguments_;
  std::wstring language_;
  std::wstring targetVersion_ = L"138.0.3351.48";  // the interface revision these declarations follow
  BOOL singleSignOn_ = FALSE;
};

// A copy of `text` in task memory, as COM getters return strings; null when
// the allocation fails.
LPWSTR CoTaskCopy(const wchar_t* text);
