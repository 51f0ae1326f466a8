#include "webview/web_environment_win.h"

#include <utility>

#include "base/app_facts_win.h"
#include "base/log_win.h"
#include "base/wide_win.h"
#include "webview/com_callbacks_win.h"

WebViewEnvironment gWebWallpaperEnvironment{
    nullptr, false, {}, u"web",
    u"--autoplay-policy=no-user-gesture-required --mute-audio --disable-background-networking "
    u"--disable-features=msSmartScreenProtection,msEdgeEnhanceImagesEnabled"};
WebViewEnvironment gLibraryEnvironment{
    nullptr, false, {}, u"ui",
    u"--allow-file-access-from-files --autoplay-policy=no-user-gesture-required --mute-audio "
    u"--disable-background-networking"};

namespace {

void EnvironmentArrived(WebViewEnvironment& instance, HRESULT result, ICoreWebView2Environment* environment) {
  instance.creating = false;
  std::vector<std::function<void()>> taken = std::exchange(instance.waiting, {});
  if (FAILED(result) || !environment) {
    LogLine(u"WebView2 runtime not available; web wallpapers and the library are disabled");
    return;
  }
  instance.environment = environment;
  for (auto& callback : taken) callback();
}

}  // namespace

void GetEnvironment(WebViewEnvironment& instance, std::function<void()> callback) {
  if (instance.environment) {
    callback();
    return;
  }
  instance.waiting.push_back(std::move(callback));
  if (instance.creating) return;
  instance.creating = true;
  auto options = EnvironmentOptions::Make(instance.browserArguments);
  const std::u16string userData = gApp.dataDir + u"\\" + instance.folderName;
  auto handler = EnvironmentCompletedCallback::Make([&instance](HRESULT result, ICoreWebView2Environment* environment) {
    EnvironmentArrived(instance, result, environment);
    return S_OK;
  });
  if (FAILED(CreateCoreWebView2EnvironmentWithOptions(nullptr, W(userData), options.Get(), handler.Get()))) {
    instance.creating = false;
    instance.waiting.clear();
    LogLine(u"WebView2 runtime not found");
  }
}

void ReleaseWebViewEnvironments() {
  gWebWallpaperEnvironment.environment.Reset();
  gLibraryEnvironment.environment.Reset();
}
