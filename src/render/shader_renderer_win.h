#pragma once
// A user's HLSL pixel shader drawn live as a wallpaper.
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "desktop/screen.h"

class ShaderRenderer : public Renderer {
 public:
  // `scale` is the render size in percent of the surface, as the settings give it.
  explicit ShaderRenderer(int32_t scale) : scale_(scale) {}
  ~ShaderRenderer() override;
  bool Init(HWND window, uint32_t width, uint32_t height, const std::u16string& path);
  void Tick(double seconds) override;
  // A paused renderer is simply not ticked, so picture and clock stand still.
  void SetPaused(bool) override {}
  bool NeedsFrames() override { return true; }

  uint32_t renderWidth() const { return renderWidth_; }
  uint32_t renderHeight() const { return renderHeight_; }
  double time() const { return time_; }

 private:
  Microsoft::WRL::ComPtr<IDXGISwapChain1> swapChain_;
  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> targetView_;
  Microsoft::WRL::ComPtr<ID3D11PixelShader> pixelShader_;
  Microsoft::WRL::ComPtr<ID3D11Buffer> constants_;
  const int32_t scale_;
  uint32_t renderWidth_ = 0;
  uint32_t renderHeight_ = 0;
  double time_ = 0.0;
};
