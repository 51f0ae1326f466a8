#pragma once
// The shared, lazily created web-view environments: one for web wallpapers,
// one for the library window. Main thread only.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "webview/webview2_win.h"

struct WebViewEnvironment {
  Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment;  // null until created
  bool creating = false;
  std::vector<std::function<void()>> waiting;  // run in order when the environment arrives
  std::u16string folderName;                   // under the data folder: the user data folder
  std::u16string browserArguments;
};

extern WebViewEnvironment gWebWallpaperEnvironment;  // "web"
extern WebViewEnvironment gLibraryEnvironment;       // "ui"

// Runs `callback` once `instance` has its environment: now when it exists,
// later on this thread otherwise. When creation fails the callback is dropped
// unrun; the next call tries again.
void GetEnvironment(WebViewEnvironment& instance, std::function<void()> callback);

// At exit: the wallpapers' environment first, then the library's.
void ReleaseWebViewEnvironments();
