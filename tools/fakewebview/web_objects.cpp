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

void Breach(const std::string& what) { Record("breach " + what); }

// Environments, controllers and web views alive now, by name ("controller 3"):
// what is still here when COM goes or the process ends is a leak.
std::map<const void*, std::string>& Live() {
  static auto* live = new std::map<const void*, std::string>();
  return *live;
}

// Reference counting and QueryInterface over a list of interface IDs that
// all map to the most derived interface `Top`. A named object is counted as
// live and belongs to the thread that made it, as the real runtime's do.
template <typename Top>
class Object : public Top {
 public:
  explicit Object(std::string name = {}) : name_(std::move(name)) {
    if (!name_.empty()) Live()[this] = name_;
  }
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
  virtual ~Object() {
    if (!name_.empty()) Live().erase(this);
  }

 protected:
  virtual bool Answers(REFIID iid) = 0;
  // What the real runtime answers a call from another thread, or on an object
  // whose controller was closed; either is recorded as a breach.
  HRESULT Refuse(const char* method, bool closed) const {
    if (GetCurrentThreadId() != thread_) {
      Breach("wrong-thread " + name_ + " " + method);
      return RPC_E_WRONG_THREAD;
    }
    if (closed) {
      Breach("after-close " + name_ + " " + method);
      return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    }
    return S_OK;
  }

  const std::string name_;

 private:
  LONG references_ = 0;  // the first owner's AddRef makes it 1
  const DWORD thread_ = GetCurrentThreadId();
};

#define LH_REFUSE(closed)                                                     \
  if (const HRESULT refused = Refuse(__func__, closed); FAILED(refused)) return refused

template <typename T, typename... A>
ComPtr<T> Make(A&&... args) {
  return ComPtr<T>(new T(std::forward<A>(args)...));
}

int gNextId = 1;
int gNextEnvironment = 1;

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

// The arguments of the events a page raises that a wallpaper host must refuse;
// the record says what the host's answer would have led to.
class FakeNewWindowArgs final : public Object<ICoreWebView2NewWindowRequestedEventArgs> {
 public:
  explicit FakeNewWindowArgs(std::wstring uri) : uri_(std::move(uri)) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return CopyOut(uri_, uri); }
  HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* window) override {
    window_ = window;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** window) override {
    if (!window) return E_POINTER;
    return window_.CopyTo(window);
  }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override {
    handled_ = handled;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override {
    if (!handled) return E_POINTER;
    *handled = handled_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
    if (!value) return E_POINTER;
    *value = FALSE;
    return S_OK;
  }
  // Unhandled, the runtime opens a pop-up of its own; a new window given, it shows there.
  const char* Outcome() const { return handled_ && !window_ ? "refused" : "opened"; }

 private:
  bool Answers(REFIID iid) override { return iid == __uuidof(ICoreWebView2NewWindowRequestedEventArgs); }
  std::wstring uri_;
  ComPtr<ICoreWebView2> window_;
  BOOL handled_ = FALSE;
};

class FakePermissionArgs final : public Object<ICoreWebView2PermissionRequestedEventArgs> {
 public:
  FakePermissionArgs(std::wstring uri, int kind) : uri_(std::move(uri)), kind_(kind) {}
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return CopyOut(uri_, uri); }
  HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* kind) override {
    if (!kind) return E_POINTER;
    *kind = static_cast<COREWEBVIEW2_PERMISSION_KIND>(kind_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
    if (!value) return E_POINTER;
    *value = FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* state) override {
    if (!state) return E_POINTER;
    *state = state_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE state) override {
    if (state < COREWEBVIEW2_PERMISSION_STATE_DEFAULT || state > COREWEBVIEW2_PERMISSION_STATE_DENY) return E_INVALIDARG;
    state_ = state;
    return S_OK;
  }
  // Left at the default, the runtime asks the user.
  const char* Outcome() const {
    return state_ == COREWEBVIEW2_PERMISSION_STATE_DENY    ? "denied"
           : state_ == COREWEBVIEW2_PERMISSION_STATE_ALLOW ? "allowed"
                                                           : "prompted";
  }

 private:
  bool Answers(REFIID iid) override { return iid == __uuidof(ICoreWebView2PermissionRequestedEventArgs); }
  std::wstring uri_;
  int kind_;
  COREWEBVIEW2_PERMISSION_STATE state_ = COREWEBVIEW2_PERMISSION_STATE_DEFAULT;
};

class FakeDownloadArgs final : public Object<ICoreWebView2DownloadStartingEventArgs> {
 public:
  explicit FakeDownloadArgs(std::wstring path) : path_(std::move(path)) {}
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override {
    if (!cancel) return E_POINTER;
    *cancel = cancel_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override {
    cancel_ = cancel;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* path) override { return CopyOut(path_, path); }
  HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR path) override {
    if (!path) return E_INVALIDARG;
    path_ = path;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override {
    if (!handled) return E_POINTER;
    *handled = handled_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override {
    handled_ = handled;
    return S_OK;
  }
  const char* Outcome() const { return cancel_ ? "cancelled" : "started"; }

 private:
  bool Answers(REFIID iid) override { return iid == __uuidof(ICoreWebView2DownloadStartingEventArgs); }
  std::wstring path_;
  BOOL cancel_ = FALSE;
  BOOL handled_ = FALSE;
};

// Event handlers by registration token.
template <typename Handler>
class Handlers {
 public:
  HRESULT Add(Handler* handler, EventRegistrationToken* token) {
    if (!handler || !token) return E_INVALIDARG;
    token->value = next_++;
    list_[token->value] = handler;
    return S_OK;
  }
  HRESULT Remove(EventRegistrationToken token) {
    list_.erase(token.value);
    return S_OK;
  }
  bool Empty() const { return list_.empty(); }
  template <typename Sender, typename Args>
  void Raise(Sender* sender, Args* args) {
    auto copy = list_;  // a handler may remove itself
    for (auto& [token, handler] : copy) handler->Invoke(sender, args);
  }

 private:
  std::map<__int64, ComPtr<Handler>> list_;
  __int64 next_ = 1;
};

class FakeWebView;
std::vector<FakeWebView*> gViews;  // live, not yet closed

class FakeWebView final : public Object<ICoreWebView2_8> {
 public:
  explicit FakeWebView(int id) : Object("webview " + std::to_string(id)), id_(id), settings_(Make<FakeSettings>(id)) {
    gViews.push_back(this);
  }
  ~FakeWebView() override { Forget(); }

  // The controller closed: the view leaves the page list and refuses every call.
  void Forget() {
    closed_ = true;
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
    const std::wstring page = source_.substr(0, source_.find(L'#'));
    return page.size() >= 12 && page.compare(page.size() - 12, 12, L"library.html") == 0;
  }
  bool HasHandlers() const { return !messages_.Empty(); }
  void Deliver(const PageMessage& message) {
    Record("deliver " + std::to_string(id_) + (message.isString ? " string " : " json ") + message.utf8);
    messages_.Raise(this, Make<FakeMessageArgs>(message, source_).Get());
  }
  // The page asks for a pop-up, a download or a permission; the record holds
  // what the host's answer leads to.
  void RaisePageRequest(const std::string& kind, const std::string& detail) {
    const std::string who = kind + " " + std::to_string(id_) + " ";
    if (kind == "newwindow") {
      auto args = Make<FakeNewWindowArgs>(Wide(detail));
      newWindows_.Raise(this, args.Get());
      Record(who + args->Outcome());
    } else if (kind == "download") {
      auto args = Make<FakeDownloadArgs>(Wide(detail));
      downloads_.Raise(this, args.Get());
      Record(who + args->Outcome());
    } else if (kind == "permission") {
      auto args = Make<FakePermissionArgs>(source_, atoi(detail.c_str()));
      permissions_.Raise(this, args.Get());
      Record(who + args->Outcome());
    }
  }

  HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override {
    LH_REFUSE(closed_);
    if (!settings) return E_POINTER;
    return settings_.CopyTo(settings);
  }
  HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override {
    LH_REFUSE(closed_);
    return CopyOut(source_, uri);
  }
  HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override {
    LH_REFUSE(closed_);
    if (!uri) return E_INVALIDARG;
    source_ = uri;
    Record("navigate " + std::to_string(id_) + " " + Utf8(uri));
    if (Channel()) Channel()->Navigated(Utf8(uri));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR json) override {
    LH_REFUSE(closed_);
    if (!json) return E_INVALIDARG;
    Record("post " + std::to_string(id_) + " " + Utf8(json));
    if (Channel()) Channel()->SendToPage(Utf8(json));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR text) override {
    LH_REFUSE(closed_);
    if (!text) return E_INVALIDARG;
    Record("post-string " + std::to_string(id_) + " " + Utf8(text));
    if (Channel()) Channel()->SendToPage(JsonString(Utf8(text)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                   EventRegistrationToken* token) override {
    LH_REFUSE(closed_);
    const HRESULT added = messages_.Add(handler, token);
    if (SUCCEEDED(added)) Record("listen " + std::to_string(id_));
    return added;
  }
  HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) override {
    LH_REFUSE(closed_);
    return messages_.Remove(token);
  }
  HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* handler,
                                                    EventRegistrationToken* token) override {
    LH_REFUSE(closed_);
    return permissions_.Add(handler, token);
  }
  HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) override {
    LH_REFUSE(closed_);
    return permissions_.Remove(token);
  }
  HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* handler,
                                                   EventRegistrationToken* token) override {
    LH_REFUSE(closed_);
    return newWindows_.Add(handler, token);
  }
  HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) override {
    LH_REFUSE(closed_);
    return newWindows_.Remove(token);
  }
  HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* handler,
                                                 EventRegistrationToken* token) override {
    LH_REFUSE(closed_);
    return downloads_.Add(handler, token);
  }
  HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) override {
    LH_REFUSE(closed_);
    return downloads_.Remove(token);
  }
  HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) override {
    LH_REFUSE(closed_);
    // The handler is not optional: the result only ever arrives through it.
    if (!handler) {
      Breach("no-handler " + name_ + " TrySuspend");
      return E_POINTER;
    }
    if (visible_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    suspended_ = true;
    Record("suspend " + std::to_string(id_));
    ComPtr<ICoreWebView2TrySuspendCompletedHandler> keep(handler);
    Later([keep] { keep->Invoke(S_OK, TRUE); });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Resume() override {
    LH_REFUSE(closed_);
    suspended_ = false;
    Record("resume " + std::to_string(id_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* value) override {
    LH_REFUSE(closed_);
    if (!value) return E_POINTER;
    *value = suspended_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) override {
    LH_REFUSE(closed_);
    if (!value) return E_POINTER;
    *value = muted_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) override {
    LH_REFUSE(closed_);
    muted_ = value;
    Record("muted " + std::to_string(id_) + " " + std::to_string(value ? 1 : 0));
    return S_OK;
  }

 private:
  bool Answers(REFIID iid) override {
    return iid == __uuidof(ICoreWebView2) || iid == __uuidof(ICoreWebView2_3) || iid == __uuidof(ICoreWebView2_4) ||
           iid == __uuidof(ICoreWebView2_8);
  }
  int id_;
  ComPtr<FakeSettings> settings_;
  std::wstring source_ = L"about:blank";
  Handlers<ICoreWebView2WebMessageReceivedEventHandler> messages_;
  Handlers<ICoreWebView2NewWindowRequestedEventHandler> newWindows_;
  Handlers<ICoreWebView2PermissionRequestedEventHandler> permissions_;
  Handlers<ICoreWebView2DownloadStartingEventHandler> downloads_;
  bool closed_ = false;
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
  FakeController(int id, HWND parent)
      : Object("controller " + std::to_string(id)), id_(id), parent_(parent), view_(Make<FakeWebView>(id)) {
    GetClientRect(parent, &bounds_);
    child_ = CreateViewWindow(parent, bounds_);
  }
  ~FakeController() override {
    // The real runtime keeps a browser process and a window for a controller
    // released without Close.
    if (!closed_) Breach("released-without-close " + name_);
    CloseNow();
  }

  HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* value) override {
    LH_REFUSE(closed_);
    if (!value) return E_POINTER;
    *value = visible_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL value) override {
    LH_REFUSE(closed_);
    visible_ = value;
    if (child_) ShowWindow(child_, value ? SW_SHOWNA : SW_HIDE);
    view_->SetVisible(value);
    Record("visible " + std::to_string(id_) + " " + std::to_string(value ? 1 : 0));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override {
    LH_REFUSE(closed_);
    if (!bounds) return E_POINTER;
    *bounds = bounds_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override {
    LH_REFUSE(closed_);
    bounds_ = bounds;
    if (child_)
      SetWindowPos(child_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Record("bounds " + std::to_string(id_) + " " + std::to_string(bounds.left) + " " + std::to_string(bounds.top) +
           " " + std::to_string(bounds.right) + " " + std::to_string(bounds.bottom));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override {
    LH_REFUSE(closed_);
    if (reason < COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC || reason > COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS)
      return E_INVALIDARG;
    if (child_) SetFocus(child_);
    Record("focus " + std::to_string(id_) + " " + std::to_string(reason));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override {
    LH_REFUSE(closed_);
    Record("moved " + std::to_string(id_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parent) override {
    LH_REFUSE(closed_);
    if (!parent) return E_POINTER;
    *parent = parent_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close() override {
    LH_REFUSE(false);
    if (closed_) return S_OK;
    Record("close " + std::to_string(id_));
    CloseNow();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webView) override {
    if (!webView) return E_POINTER;
    *webView = nullptr;
    LH_REFUSE(closed_);
    return view_.CopyTo(webView);
  }
  HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* color) override {
    LH_REFUSE(closed_);
    if (!color) return E_POINTER;
    *color = background_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR color) override {
    LH_REFUSE(closed_);
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
  explicit FakeEnvironment(std::string userData)
      : Object("environment " + std::to_string(gNextEnvironment++)), userData_(std::move(userData)) {}
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
    LH_REFUSE(false);
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

void ReportLive(const std::string& when) {
  for (const auto& [object, name] : Live()) Breach(when + name);
}

// Sees the host thread's apartment end: whatever of ours is still alive then
// would be released after COM is gone.
class UninitializeWatch final : public IInitializeSpy {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != __uuidof(IUnknown) && iid != __uuidof(IInitializeSpy)) return E_NOINTERFACE;
    *out = static_cast<IInitializeSpy*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // static lifetime
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE PreInitialize(DWORD, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
  HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD references) override {
    if (references == 1) ReportLive("alive-at-uninitialize ");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override { return S_OK; }
};

}  // namespace

void WatchUninitialize() {
  static UninitializeWatch watch;
  ULARGE_INTEGER cookie{};
  CoRegisterInitializeSpy(&watch, &cookie);
}

void RaisePageRequest(const std::string& kind, const std::string& detail) {
  // Only web wallpapers: the library page is the program's own.
  std::vector<ComPtr<FakeWebView>> targets;
  for (FakeWebView* view : gViews)
    if (!view->OnLibraryPage()) targets.emplace_back(view);
  if (targets.empty()) Record(kind + " none");
  for (auto& view : targets) view->RaisePageRequest(kind, detail);
}

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

// A process that ends with our objects alive never closed or released them.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved) ReportLive("alive-at-exit ");
  return TRUE;
}
