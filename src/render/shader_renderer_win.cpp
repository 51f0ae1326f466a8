#include "render/shader_renderer_win.h"

#include <shlwapi.h>

#include "base/files_win.h"
#include "base/log_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "render/graphics_win.h"
#include "render/shader_source.h"

using Microsoft::WRL::ComPtr;

ShaderRenderer::~ShaderRenderer() { UnbindRenderer(); }

bool ShaderRenderer::Init(HWND window, uint32_t width, uint32_t height, const std::u16string& path) {
  if (!EnsureBuiltInShaders()) return false;
  std::string file;
  if (!ReadWholeFile(path, file)) return false;
  const std::string sourceName = Utf16ToUtf8(U16(PathFindFileNameW(W(path))));
  std::string errors;
  const ComPtr<ID3DBlob> code = CompileShader(BuildShaderSource(file), "ps_5_0", sourceName.c_str(), &errors);
  if (!code) {
    LogLine(u"shader compile error in " + path + u":\n" + Utf8ToUtf16(errors));
    return false;
  }
  if (FAILED(gGraphics.device->CreatePixelShader(code->GetBufferPointer(), code->GetBufferSize(), nullptr,
                                                 &pixelShader_)))
    return false;
  const RenderSize size = ShaderRenderSize(width, height, scale_);
  renderWidth_ = size.width;
  renderHeight_ = size.height;
  swapChain_ = CreateSurfaceSwapChain(window, renderWidth_, renderHeight_);
  if (!swapChain_) return false;
  targetView_ = CreateBackBufferView(swapChain_.Get());
  if (!targetView_) return false;
  constants_ = CreateConstantBuffer();
  if (!constants_) return false;
  time_ = ShaderStartTime(path);
  return true;
}

void ShaderRenderer::Tick(double seconds) {
  time_ += seconds;
  const float constants[8] = {ShaderClock(time_),
                              0.0f,
                              0.0f,
                              0.0f,
                              static_cast<float>(renderWidth_),
                              static_cast<float>(renderHeight_),
                              0.0f,
                              0.0f};
  ID3D11DeviceContext* c = gGraphics.context.Get();
  c->UpdateSubresource(constants_.Get(), 0, nullptr, constants, 0, 0);
  const D3D11_VIEWPORT viewport{
      0.0f, 0.0f, static_cast<float>(renderWidth_), static_cast<float>(renderHeight_), 0.0f, 1.0f};
  ID3D11RenderTargetView* target = targetView_.Get();
  c->OMSetRenderTargets(1, &target, nullptr);
  c->RSSetViewports(1, &viewport);
  c->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  c->IASetInputLayout(nullptr);
  c->VSSetShader(gGraphics.fullScreenVertexShader.Get(), nullptr, 0);
  c->PSSetShader(pixelShader_.Get(), nullptr, 0);
  ID3D11Buffer* buffer = constants_.Get();
  c->PSSetConstantBuffers(0, 1, &buffer);
  c->Draw(3, 0);
  PresentFrame(swapChain_.Get());
  ready = true;
}
