#include "render/web_renderer_win.h"

#include <shlwapi.h>

#include <vector>

#include "base/wide_win.h"
#include "webview/com_callbacks_win.h"
#include "webview/web_environment_win.h"

namespace {

// Every live web renderer, so that a completion can tell whether its
// renderer is still there.
std::vector<WebRenderer*> gLiveRenderers;

void Suspend(ICoreWebView2* webView) {
  Microsoft::WRL::ComPtr<ICoreWebView2_3> suspendable;
  if (webView && SUCCEEDED(webView->QueryInterface(IID_PPV_ARGS(&suspendable)))) suspendable->TrySuspend(nullptr);
}

}  // namespace

// The web renderer of the surface or screensaver window `window`, if it is
// still there: everything asynchronous starts by looking it up again.
WebRenderer* WebRenderer::RendererOf(HWND window) {
  for (WebRenderer* renderer : gLiveRenderers)
    if (renderer->window_ == window) return renderer;
  return nullptr;
}

WebRenderer::WebRenderer() { gLiveRenderers.push_back(this); }

WebRenderer::~WebRenderer() {
  std::erase(gLiveRenderers, this);
  if (controller_) controller_->Close();
  webView_.Reset();
  controller_.Reset();
}

bool WebRenderer::Init(HWND window, const std::u16string& path) {
  window_ = window;
  std::u16string page = path;
  // A failed query (all bits set) counts as a folder too.
  if (GetFileAttributesW(W(path)) & FILE_ATTRIBUTE_DIRECTORY) page += u"\\index.html";
  wchar_t url[2048] = {};
  DWORD length = 2048;
  if (FAILED(UrlCreateFromPathW(W(page), url, &length, 0))) return false;
  url_ = url;
  GetEnvironment(gWebWallpaperEnvironment, [window] { EnvironmentReady(window); });
  return true;
}

void WebRenderer::EnvironmentReady(HWND window) {
  if (!RendererOf(window)) return;
  auto handler = ControllerCompletedCallback::Make([window](HRESULT result, ICoreWebView2Controller* controller) {
    return ControllerArrived(window, result, controller);
  });
  gWebWallpaperEnvironment.environment->CreateCoreWebView2Controller(window, handler.Get());
}

HRESULT WebRenderer::ControllerArrived(HWND window, HRESULT result, ICoreWebView2Controller* controller) {
  WebRenderer* renderer = RendererOf(window);
  if (!renderer || FAILED(result)) {
    // The surface went away (or was rebuilt) meanwhile: this view is nobody's.
    if (controller) controller->Close();
    return S_OK;
  }
  if (controller) renderer->Show(controller);
  return S_OK;
}

void WebRenderer::Show(ICoreWebView2Controller* controller) {
  controller_ = controller;
  RECT client{};
  GetClientRect(window_, &client);
  controller_->put_Bounds(client);
  webView_.Reset();
  controller_->get_CoreWebView2(&webView_);
  if (!webView_) return;
  Microsoft::WRL::ComPtr<ICoreWebView2Settings> settings;
  if (SUCCEEDED(webView_->get_Settings(&settings)) && settings) {
    settings->put_AreDefaultContextMenusEnabled(FALSE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_IsZoomControlEnabled(FALSE);
  }
  Microsoft::WRL::ComPtr<ICoreWebView2_8> mutable8;
  if (SUCCEEDED(webView_->QueryInterface(IID_PPV_ARGS(&mutable8)))) mutable8->put_IsMuted(TRUE);
  webView_->Navigate(url_.c_str());
  ready = true;
  controller_->put_IsVisible(!paused_);
  if (paused_) Suspend(webView_.Get());
}

void WebRenderer::SetPaused(bool paused) {
  paused_ = paused;
  if (!controller_) return;
  controller_->put_IsVisible(!paused);
  // Resuming only shows the view again; the runtime wakes a suspended page itself.
  if (paused) Suspend(webView_.Get());
}
