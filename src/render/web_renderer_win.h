#pragma once
// A local web page as a wallpaper: a web view hosted in the surface window,
// hidden and suspended while the screen is paused. Draws nothing itself.
#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "desktop/screen.h"
#include "webview/webview2_win.h"

class WebRenderer final : public Renderer {
 public:
  WebRenderer();
  ~WebRenderer() override;
  // Starts creating the web view; it arrives later (or at once, inside this
  // call, when the environment exists). The renderer must already be
  // installed in its Screen before the window could go. False when
  // the path cannot be made a URL.
  bool Init(HWND window, const std::u16string& path);
  void Tick(double) override {}
  void SetPaused(bool paused) override;
  bool NeedsFrames() override { return false; }

 private:
  static WebRenderer* RendererOf(HWND window);
  static void EnvironmentReady(HWND window);
  static HRESULT ControllerArrived(HWND window, HRESULT result, ICoreWebView2Controller* controller);
  void Show(ICoreWebView2Controller* controller);

  HWND window_ = nullptr;
  std::wstring url_;
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller_;
  Microsoft::WRL::ComPtr<ICoreWebView2> webView_;
  bool paused_ = false;
};
