// The environment, controller and web view of the test runtime, and its entry
// point. Every call of interest leaves a line in the record; completions come
// later through the host thread's message loop, as the real runtime's do.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "page_channel.h"
#include "runtime.h"
#include "webview/webview2_win.h"

using Microsoft::WRL::ComPtr;

namespace fakewebview {
namespace {

std::string Hex(const void* p) {
  char text[32];
  snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
  return text;
}

HRESULT CopyOut(const std::wstring& text, LPWSTR* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (!*out) return E_OUTOFMEMORY;
  memcpy(*out, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return S_OK;
}

// Reference counting and QueryInterface over a list of interface IDs that
// all map to the most derived interface `Top`.
template <typename Top>
class Object : public Top {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != __uuidof(IUnknown) && !Answers(iid)) return E_NOINTERFACE;
    *out = static_cast<Top*>(this);
    AddRef();
    return S_OK;
  }
  virtual ~Object() = default;

 protected:
  virtual bool Answers(REFIID iid) = 0;

 private:
  LONG references_ = 1;
};

template <typename T, typename... A>
ComPtr<T> Make(A&&... args) {
  ComPtr<T> object;
  object.Attach(new T(std::forward<A>(args)...));
  return object;
}

int gNextId = 1;

class FakeSettings final : public Object<ICoreWebView2Settings3> {
 public:
  explicit FakeSettings(int id) : id_(id) {}
#define LH_FAKE_SETTING(name)                                        \
  HRESULT STDMETHODCALLTYPE get_##name(BOOL* value) override {       \
    if (!value) return E_POINTER;                                    \
    *value = values_.count(#name) ? values_[#name] : TRUE;           \
    return S_OK;                                                     \
  }                                                                  \
  HRESULT STDMETHODCALLTYPE put_##name(BOOL value) override {        \
    values_[#name] = value;                                          \
    Record("setting " + std::to_string(id_) + " " #name " " + std::to_string(value ? 1 : 0)); \
    return S_OK;                                                     \
  }
  LH_FAKE_SETTING(IsScriptEnabled)
  LH_FAKE_SETTING(IsWebMessageEnabled)
  LH_FAKE_SETTING(AreDefaultScriptDialogsEnabled)
  LH_FAKE_SETTING(IsStatusBarEnabled)
  LH_FAKE_SETTING(AreDevToolsEnabled)
  LH_FAKE_SETTING(AreDefaultContextMenusEnabled)
  LH_FAKE_SETTING(AreHostObjectsAllowed)
  LH_FAKE_SETTING(IsZoomControlEnabled)
  LH_FAKE_SETTING(IsBuiltInErrorPageEnabled)
  LH_FAKE_SETTING(AreBrowserAcceleratorKeysEnabled)
#undef LH_FAKE_SETTING

 private:
  bool Answers(REFIID iid) override {
    return iid == __uuidof(ICoreWebView2Settings) || iid == __uuidof(ICoreWebView2Settings3);
  }
  int id_;
  std::map<std::string, BOOL> values_;
};

class FakeFile final : public Object<ICoreWebView2File> {
 public:
  explicit FakeFile(std::wstring path) : path_(std::move(path)) {}
  HRESULT STDMETHODCALLTYPE get_Path(LPWSTR* path) override { return CopyOut(path_, path); }

 private:
  bool Answers(REFIID iid) override { return iid == __uuidof(ICoreWebView2File); }
  std::wstring path_;
};

class FakeCollection final : public Object<ICoreWebView2ObjectCollectionView> {
 public:
  explicit FakeCollection(const std::vector<std::wstring>& paths) {
    for (const auto& path : paths) items_.push_back(Make<FakeFile>(path));
  }
  HRESULT STDMETHODCALLTYPE get_Count(UINT32* value) override {
    if (!value) return E_POINTER;
    *value = static_cast<UINT32>(items_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, IUnknown** value) override {
    if (!value) return E_POINTER;
    if (index >= items_.size()) return E_INVALIDARG;
    return items_[index].CopyTo(value);
  }

 private:
  bool Answers(REFIID iid) override { return iid == __uuidof(ICoreWebView2ObjectCollectionView); }
  std::vector<ComPtr<ICoreWebView2File>> items_;
};

class FakeMessageArgs final : public Object<ICoreWebView2WebMessageReceivedEventArgs2> {
 public:
  FakeMessageArgs(const PageMessage& message, std::wstring source) : message_(message), source_(std::move(source)) {}
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) override { return CopyOut(source_, source); }
  HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* json) override {
    return CopyOut(Wide(message_.isString ? JsonString(message_.utf8) : message_.utf8), json);
  }
  HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* text) override {
    if (!text) return E_POINTER;
    *text = nullptr;
    if (!message_.isString) return E_INVALIDARG;  // as documented for non-string messages
    return CopyOut(Wide(message_.utf8), text);
  }
  HRESULT STDMETHODCALLTYPE get_AdditionalObjects(ICoreWebView2ObjectCollectionView** value) override {
    if (!value) return E_POINTER;
    return Make<FakeCollection>(message_.files).CopyTo(value);
  }

 private:
  bool Answers(REFIID iid) override {
    return iid == __uuidof(ICoreWebView2WebMessageReceivedEventArgs) ||
           iid == __uuidof(ICoreWebView2WebMessageReceivedEventArgs2);
  }
  PageMessage message_;
  std::wstring source_;
};

class FakeWebView;
std::vector<FakeWebView*> gViews;  // live, not yet closed

class FakeWebView final : public Object<ICoreWebView2_8> {
 public:
  explicit FakeWebView(int id) : id_(id), settings_(Make<FakeSettings>(id)) { gViews.push_back(this); }
  ~FakeWebView() override { Forget(); }

  void Forget() {
    for (auto it = gViews.begin(); it != gViews.end(); ++it)
      if (*it == this) {
        gViews.erase(it);
        break;
      }
  }
  void SetVisible(bool visible) {
    visible_ = visible;
    // A suspended page wakes by itself when its view is shown again.
    if (visible && suspended_) {
      suspended_ = false;
      Record("resumed " + std::to_string(id_));
    }
  }
  bool OnLibraryPage() const {
    return source_.size() >= 12 && source_.compare(source_.size() - 12, 12, L"library.html") == 0;
  }
  bool HasHandlers() const { return !handlers_.empty(); }
  void Deliver(const PageMessage& message) {
    Record("deliver " + std::to_string(id_) + (message.isString ? " string " : " json ") + message.utf8);
    auto args = Make<FakeMessageArgs>(message, source_);
    auto handlers = handlers_;  // a handler may remove itself
    for (auto& [token, handler] : handlers) handler->Invoke(this, args.Get());
  }

  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override {
    if (!settings) return E_POINTER;
    return settings_.CopyTo(settings);
  }
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override { return CopyOut(source_, uri); }
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override {
    if (!uri) return E_INVALIDARG;
    source_ = uri;
    Record("navigate " + std::to_string(id_) + " " + Utf8(uri));
    if (Channel()) Channel()->Navigated(Utf8(uri));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR json) override {
    if (!json) return E_INVALIDARG;
    Record("post " + std::to_string(id_) + " " + Utf8(json));
    if (Channel()) Channel()->SendToPage(Utf8(json));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR text) override {
    if (!text) return E_INVALIDARG;
    Record("post-string " + std::to_string(id_) + " " + Utf8(text));
    if (Channel()) Channel()->SendToPage(JsonString(Utf8(text)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                   EventRegistrationToken* token) override {
    if (!handler || !token) return E_INVALIDARG;
    token->value = nextToken_++;
    handlers_[token->value] = handler;
    Record("listen " + std::to_string(id_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) override {
    handlers_.erase(token.value);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) override {
    if (visible_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    suspended_ = true;
    Record("suspend " + std::to_string(id_));
    if (handler) {
      ComPtr<ICoreWebView2TrySuspendCompletedHandler> keep(handler);
      Later([keep] { keep->Invoke(S_OK, TRUE); });
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Resume() override {
    suspended_ = false;
    Record("resume " + std::to_string(id_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* value) override {
    if (!value) return E_POINTER;
    *value = suspended_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) override {
    if (!value) return E_POINTER;
    *value = muted_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) override {
    muted_ = value;
    Record("muted " + std::to_string(id_) + " " + std::to_string(value ? 1 : 0));
    return S_OK;
  }

 private:
  bool Answers(REFIID iid) override {
    return iid == __uuidof(ICoreWebView2) || iid == __uuidof(ICoreWebView2_3) || iid == __uuidof(ICoreWebView2_8);
  }
  int id_;
  ComPtr<FakeSettings> settings_;
  std::wstring source_ = L"about:blank";
  std::map<__int64, ComPtr<ICoreWebView2WebMessageReceivedEventHandler>> handlers_;
  __int64 nextToken_ = 1;
  bool visible_ = true;
  bool suspended_ = false;
  BOOL muted_ = FALSE;
};

// The view's own child window in the parent, as the real runtime makes one:
// tests see its size and visibility in the window tree.
constexpr wchar_t kViewClass[] = L"FakeWebViewChild";

HWND CreateViewWindow(HWND parent, const RECT& bounds) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    wc.lpszClassName = kViewClass;
    registered = RegisterClassW(&wc) != 0;
  }
  if (!IsWindow(parent)) return nullptr;
  return CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

class FakeController final : public Object<ICoreWebView2Controller2> {
 public:
  FakeController(int id, HWND parent) : id_(id), parent_(parent), view_(Make<FakeWebView>(id)) {
    GetClientRect(parent, &bounds_);
    child_ = CreateViewWindow(parent, bounds_);
  }
  ~FakeController() override { CloseNow(); }

  HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* value) override {
    if (!value) return E_POINTER;
    *value = visible_;
    return closed_ ? HRESULT_FROM_WIN32(ERROR_INVALID_STATE) : S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL value) override {
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    visible_ = value;
    if (child_) ShowWindow(child_, value ? SW_SHOWNA : SW_HIDE);
    view_->SetVisible(value);
    Record("visible " + std::to_string(id_) + " " + std::to_string(value ? 1 : 0));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override {
    if (!bounds) return E_POINTER;
    *bounds = bounds_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override {
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    bounds_ = bounds;
    if (child_)
      SetWindowPos(child_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Record("bounds " + std::to_string(id_) + " " + std::to_string(bounds.left) + " " + std::to_string(bounds.top) +
           " " + std::to_string(bounds.right) + " " + std::to_string(bounds.bottom));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parent) override {
    if (!parent) return E_POINTER;
    *parent = parent_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close() override {
    if (closed_) return S_OK;
    Record("close " + std::to_string(id_));
    CloseNow();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webView) override {
    if (!webView) return E_POINTER;
    *webView = nullptr;
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    return view_.CopyTo(webView);
  }
  HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* color) override {
    if (!color) return E_POINTER;
    *color = background_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR color) override {
    if (color.A != 0 && color.A != 255) return E_INVALIDARG;  // documented: opaque or transparent only
    background_ = color;
    Record("background " + std::to_string(id_) + " " + std::to_string(color.A) + " " + std::to_string(color.R) + " " +
           std::to_string(color.G) + " " + std::to_string(color.B));
    return S_OK;
  }

 private:
  bool Answers(REFIID iid) override {
    return iid == __uuidof(ICoreWebView2Controller) || iid == __uuidof(ICoreWebView2Controller2);
  }
  void CloseNow() {
    closed_ = true;
    view_->Forget();
    if (child_ && IsWindow(child_)) DestroyWindow(child_);
    child_ = nullptr;
  }
  int id_;
  HWND parent_;
  HWND child_ = nullptr;
  ComPtr<FakeWebView> view_;
  RECT bounds_{};
  BOOL visible_ = TRUE;
  bool closed_ = false;
  COREWEBVIEW2_COLOR background_{255, 255, 255, 255};
};

std::string ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return Utf8(name);
}

class FakeEnvironment final : public Object<ICoreWebView2Environment> {
 public:
  explicit FakeEnvironment(std::string userData) : userData_(std::move(userData)) {}
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
    if (!handler) return E_INVALIDARG;
    if (!IsWindow(parent)) return E_INVALIDARG;
    const int id = gNextId++;
    Record("controller-request " + std::to_string(id) + " parent=" + Hex(parent) + " class=" + ClassOf(parent) +
           " userdata=" + userData_);
    ComPtr<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> keep(handler);
    Later(
        [keep, parent, id] {
          // The controller comes even when its parent has gone meanwhile, so
          // that a host's handling of a late arrival can be seen.
          auto controller = Make<FakeController>(id, parent);
          Record("controller " + std::to_string(id) + " parent-alive=" + (IsWindow(parent) ? "1" : "0"));
          keep->Invoke(S_OK, controller.Get());
        },
        static_cast<unsigned>(VariableNumber("LH_FAKEWEBVIEW_CONTROLLER_DELAY_MS", 0)));
    return S_OK;
  }

 private:
  bool Answers(REFIID iid) override { return iid == __uuidof(ICoreWebView2Environment); }
  std::string userData_;
};

std::string OptionText(ICoreWebView2EnvironmentOptions* options,
                       HRESULT (STDMETHODCALLTYPE ICoreWebView2EnvironmentOptions::*getter)(LPWSTR*)) {
  LPWSTR value = nullptr;
  if (!options || FAILED((options->*getter)(&value)) || !value) return {};
  std::string text = Utf8(value);
  CoTaskMemFree(value);
  return text;
}

}  // namespace

void DeliverToPages(const PageMessage& message) {
  // The library page gets page messages; before any view shows it, every
  // view that listens does.
  std::vector<FakeWebView*> targets;
  for (FakeWebView* view : gViews)
    if (view->HasHandlers() && view->OnLibraryPage()) targets.push_back(view);
  if (targets.empty())
    for (FakeWebView* view : gViews)
      if (view->HasHandlers()) targets.push_back(view);
  if (targets.empty()) Record("deliver none " + message.utf8);
  for (FakeWebView* view : targets) {
    ComPtr<FakeWebView> keep(view);
    view->Deliver(message);
  }
}

}  // namespace fakewebview

using namespace fakewebview;

extern "C" HRESULT STDMETHODCALLTYPE CreateWebViewEnvironmentWithOptionsInternal(
    bool reserved, int runtimeType, PCWSTR userDataFolder, IUnknown* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  const HRESULT apartment = CoGetApartmentType(&type, &qualifier);
  if (FAILED(apartment)) return CO_E_NOTINITIALIZED;
  if (type == APTTYPE_MTA) return RPC_E_CHANGED_MODE;
  if (!handler) return E_POINTER;
  // The objects handed out outlive any loader's FreeLibrary.
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&CreateWebViewEnvironmentWithOptionsInternal), &self);
  StartOnThisThread();

  ComPtr<ICoreWebView2EnvironmentOptions> options;
  if (environmentOptions) environmentOptions->QueryInterface(IID_PPV_ARGS(&options));
  std::string arguments = OptionText(options.Get(), &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments);
  const std::string extra = Variable("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS");
  if (!extra.empty()) arguments += (arguments.empty() ? "" : " ") + extra;
  const std::string userData = Utf8(userDataFolder);
  Record("environment reserved=" + std::to_string(reserved ? 1 : 0) + " type=" + std::to_string(runtimeType) +
         " userdata=" + userData + " args=" + arguments + " language=" +
         OptionText(options.Get(), &ICoreWebView2EnvironmentOptions::get_Language) + " target=" +
         OptionText(options.Get(), &ICoreWebView2EnvironmentOptions::get_TargetCompatibleBrowserVersion));

  const std::string fail = Variable("LH_FAKEWEBVIEW_FAIL");
  if (fail == "sync") return E_FAIL;
  if (userDataFolder) CreateDirectoryW(userDataFolder, nullptr);
  ComPtr<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> keep(handler);
  Later(
      [keep, fail, userData] {
        if (fail == "async") {
          keep->Invoke(E_FAIL, nullptr);
          return;
        }
        auto environment = Make<FakeEnvironment>(userData);
        keep->Invoke(S_OK, environment.Get());
      },
      static_cast<unsigned>(VariableNumber("LH_FAKEWEBVIEW_ENV_DELAY_MS", 0)));
  return S_OK;
}

extern "C" HRESULT STDMETHODCALLTYPE DllCanUnloadNow() { return S_FALSE; }
