#include "render/renderer_factory_win.h"

#include <memory>

#include "base/settings_store_win.h"
#include "render/image_renderer_win.h"
#include "render/shader_renderer_win.h"
#include "render/video_renderer_win.h"
#include "render/web_renderer_win.h"

namespace {

template <typename R>
bool Start(Screen& screen, std::unique_ptr<R> renderer, HWND window, int width, int height) {
  if (!renderer->Init(window, static_cast<uint32_t>(width), static_cast<uint32_t>(height), screen.path))
    return false;
  screen.renderer = std::move(renderer);
  return true;
}

}  // namespace

bool StartRenderer(Screen& screen, MediaKind kind, HWND window, int width, int height, const std::u16string& key) {
  switch (kind) {
    case MediaKind::Image: {
      auto renderer = std::make_unique<ImageRenderer>(gSettings.frames, gSettings.fit);
      renderer->screenKey = key;
      return Start(screen, std::move(renderer), window, width, height);
    }
    case MediaKind::Shader:
      return Start(screen, std::make_unique<ShaderRenderer>(gSettings.shaderScale), window, width, height);
    case MediaKind::Video: {
      auto renderer = std::make_unique<VideoRenderer>(gSettings.frames, gSettings.fit);
      renderer->screenKey = key;
      return Start(screen, std::move(renderer), window, width, height);
    }
    case MediaKind::Web: {
      // Installed before Init: the web view may arrive inside Init and finds
      // its renderer through the record that owns the window.
      auto renderer = std::make_unique<WebRenderer>();
      WebRenderer* web = renderer.get();
      screen.renderer = std::move(renderer);
      return web->Init(window, screen.path);
    }
    case MediaKind::None:
      return false;
  }
  return false;
}
