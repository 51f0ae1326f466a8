#include "render/renderer_factory_win.h"

#include <memory>

#include "render/image_renderer_win.h"
#include "render/shader_renderer_win.h"
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
      auto renderer = std::make_unique<ImageRenderer>();
      renderer->screenKey = key;
      return Start(screen, std::move(renderer), window, width, height);
    }
    case MediaKind::Shader:
      return Start(screen, std::make_unique<ShaderRenderer>(), window, width, height);
    case MediaKind::Web: {
      // Installed before Init: the web view may arrive inside Init and finds
      // its renderer through the record that owns the window.
      auto renderer = std::make_unique<WebRenderer>();
      WebRenderer* web = renderer.get();
      screen.renderer = std::move(renderer);
      return web->Init(window, screen.path);
    }
    // Videos get their renderer with the media engine; until then they fail
    // like any wallpaper that cannot load.
    case MediaKind::Video:
    case MediaKind::None:
      return false;
  }
  return false;
}
