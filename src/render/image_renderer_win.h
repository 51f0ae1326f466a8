#pragma once
// A still picture or an animated GIF on one surface.
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/settings.h"
#include "desktop/screen.h"
#include "render/gif_canvas.h"
#include "render/gif_timeline.h"

class ImageRenderer : public Renderer {
 public:
  // `frames` is read at every refresh, so it must outlive the renderer.
  ImageRenderer(const FrameMap& frames, bool fit) : frames_(frames), fit_(fit) {}
  ~ImageRenderer() override;
  bool Init(HWND window, uint32_t width, uint32_t height, const std::u16string& path);
  void Refresh() override;
  void Tick(double seconds) override;
  void SetPaused(bool) override {}
  bool NeedsFrames() override { return frameCount_ > 1; }

  // For tests and diagnostics.
  bool cacheFrames() const { return cacheFrames_; }
  bool decoderOpen() const { return decoder_ != nullptr; }
  uint32_t frameCount() const { return frameCount_; }
  uint32_t current() const { return timeline_.current(); }
  uint32_t canvasWidth() const { return canvasWidth_; }
  uint32_t canvasHeight() const { return canvasHeight_; }
  const std::vector<double>& delays() const { return timeline_.delays(); }

 private:
  void UpdateConstants();
  void ShowFrame(uint32_t index);
  // Puts `view` on the surface and presents: copied when it lands pixel for
  // pixel (no pixel shader runs), drawn through the blit otherwise.
  void Draw(ID3D11ShaderResourceView* view);
  // Decodes frame `index` onto the canvas; false leaves the canvas as it stands.
  bool ComposeFrame(uint32_t index);
  // The view to draw for the canvas as it stands now; null when there is none.
  ID3D11ShaderResourceView* Upload(uint32_t index);

  const FrameMap& frames_;
  const bool fit_;
  Microsoft::WRL::ComPtr<IDXGISwapChain1> swapChain_;
  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> targetView_;
  Microsoft::WRL::ComPtr<ID3D11Buffer> constants_;
  Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder_;
  std::vector<Microsoft::WRL::ComPtr<ID3D11ShaderResourceView>> frameCache_;
  GifTimeline timeline_;
  Microsoft::WRL::ComPtr<ID3D11Texture2D> canvasTexture_;
  Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> canvasView_;
  GifCanvas canvas_;
  uint32_t frameCount_ = 0;
  uint32_t canvasWidth_ = 0;
  uint32_t canvasHeight_ = 0;
  uint32_t surfaceWidth_ = 0;
  uint32_t surfaceHeight_ = 0;
  bool cacheFrames_ = false;
  int orientation_ = 1;  // EXIF orientation of a still picture
  bool pixelForPixel_ = false;
  // The blit's constants wait for the first blit: under Wine the first buffer
  // update of a device sets aside a 64 MiB upload area, which a picture
  // copied pixel for pixel never needs.
  float blitConstants_[8] = {};
  bool constantsStale_ = true;
};
