#include "render/graphics_win.h"

#include <d3d10.h>
#include <mfapi.h>

#include <cfloat>

#include "base/log_win.h"
#include "base/media_foundation_win.h"
#include "base/trace_win.h"
#include "render/builtin_shaders.h"

using Microsoft::WRL::ComPtr;

Graphics gGraphics;
bool gDeviceLost = false;

namespace {

bool CreateDevice(D3D_DRIVER_TYPE type, UINT flags) {
  static const D3D_FEATURE_LEVEL kLevels[] = {D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0,
                                               D3D_FEATURE_LEVEL_10_1, D3D_FEATURE_LEVEL_10_0};
  ComPtr<ID3D11Device> device;
  ComPtr<ID3D11DeviceContext> context;
  if (FAILED(D3D11CreateDevice(nullptr, type, nullptr, flags, kLevels, 4, D3D11_SDK_VERSION, &device, nullptr,
                               &context)))
    return false;  // the ComPtrs release whatever a failed call handed back
  gGraphics.device = device;
  gGraphics.context = context;
  return true;
}

// The compiler is loaded with its first use: only pictures drawn scaled and
// users' shader files need it; a video, a web page or a picture of the
// screen's own size starts without it.
pD3DCompile LoadCompiler() {
  static pD3DCompile compile = [] {
    TraceSpan span(u"shader-compiler");
    HMODULE module = LoadLibraryW(L"d3dcompiler_47.dll");
    return module ? reinterpret_cast<pD3DCompile>(reinterpret_cast<void*>(GetProcAddress(module, "D3DCompile")))
                  : nullptr;
  }();
  return compile;
}

}  // namespace

bool EnsureBuiltInShaders() {
  if (!gGraphics.device) return false;
  if (gGraphics.fullScreenVertexShader && gGraphics.blitPixelShader && gGraphics.sampler) return true;
  TraceSpan span(u"built-in-shaders");
  ComPtr<ID3DBlob> vs = CompileShader(kFullScreenVertexShader, "vs_4_0", "vs");
  ComPtr<ID3DBlob> ps = CompileShader(kBlitPixelShader, "ps_4_0", "blit");
  if (!vs || !ps) {
    LogLine(u"built-in shader compile failed");
    return false;
  }
  ID3D11Device* d = gGraphics.device.Get();
  if (FAILED(d->CreateVertexShader(vs->GetBufferPointer(), vs->GetBufferSize(), nullptr,
                                   &gGraphics.fullScreenVertexShader)) ||
      FAILED(d->CreatePixelShader(ps->GetBufferPointer(), ps->GetBufferSize(), nullptr, &gGraphics.blitPixelShader)))
    return false;
  D3D11_SAMPLER_DESC sd{};
  sd.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
  // Outside the picture the sampler reads transparent black, which the blit
  // turns opaque: the fit bars and anything past the picture's edge.
  sd.AddressU = sd.AddressV = sd.AddressW = D3D11_TEXTURE_ADDRESS_BORDER;
  sd.MaxLOD = FLT_MAX;
  return SUCCEEDED(d->CreateSamplerState(&sd, &gGraphics.sampler));
}

bool EnsureDevice() {
  if (gGraphics.device && gGraphics.device->GetDeviceRemovedReason() == S_OK) return true;
  ReleaseDevice();
  TraceSpan span(u"device");
  if (!CreateDevice(D3D_DRIVER_TYPE_HARDWARE, D3D11_CREATE_DEVICE_BGRA_SUPPORT | D3D11_CREATE_DEVICE_VIDEO_SUPPORT) &&
      !CreateDevice(D3D_DRIVER_TYPE_HARDWARE, D3D11_CREATE_DEVICE_BGRA_SUPPORT) &&
      !CreateDevice(D3D_DRIVER_TYPE_WARP, D3D11_CREATE_DEVICE_BGRA_SUPPORT)) {
    LogLine(u"D3D11CreateDevice failed");
    return false;
  }
  // The media engine calls into the device from its own threads.
  ComPtr<ID3D10Multithread> multithread;
  if (SUCCEEDED(gGraphics.device.As(&multithread))) multithread->SetMultithreadProtected(TRUE);
  ComPtr<IDXGIDevice1> dxgiDevice;
  if (SUCCEEDED(gGraphics.device.As(&dxgiDevice))) {
    dxgiDevice->SetMaximumFrameLatency(1);
    ComPtr<IDXGIAdapter> adapter;
    if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter))) adapter->GetParent(IID_PPV_ARGS(&gGraphics.factory));
  }
  // A video made the manager on an earlier device: it moves onto this one.
  if (gGraphics.deviceManager) gGraphics.deviceManager->ResetDevice(gGraphics.device.Get(), gGraphics.resetToken);
  return true;
}

IMFDXGIDeviceManager* MediaDeviceManager() {
  if (!gGraphics.deviceManager && gGraphics.device) {
    StartMediaFoundation();
    if (SUCCEEDED(MFCreateDXGIDeviceManager(&gGraphics.resetToken, &gGraphics.deviceManager)))
      gGraphics.deviceManager->ResetDevice(gGraphics.device.Get(), gGraphics.resetToken);
  }
  return gGraphics.deviceManager.Get();
}

void ReleaseDevice() {
  gGraphics.fullScreenVertexShader.Reset();
  gGraphics.blitPixelShader.Reset();
  gGraphics.sampler.Reset();
  gGraphics.factory.Reset();
  if (gGraphics.context) {
    gGraphics.context->ClearState();
    gGraphics.context->Flush();
    gGraphics.context.Reset();
  }
  gGraphics.device.Reset();
}

ComPtr<ID3DBlob> CompileShader(std::string_view source, const char* target, const char* sourceName,
                               std::string* errorText) {
  ComPtr<ID3DBlob> code;
  ComPtr<ID3DBlob> errors;
  const pD3DCompile compile = LoadCompiler();
  if (!compile) return nullptr;
  const HRESULT hr = compile(source.data(), source.size(), sourceName, nullptr, nullptr, "main", target,
                             D3DCOMPILE_OPTIMIZATION_LEVEL3, 0, &code, &errors);
  if (FAILED(hr)) {
    if (errorText && errors)
      errorText->assign(static_cast<const char*>(errors->GetBufferPointer()), errors->GetBufferSize());
    return nullptr;
  }
  return code;
}

ComPtr<IDXGISwapChain1> CreateSurfaceSwapChain(HWND window, UINT width, UINT height) {
  if (!gGraphics.factory || !gGraphics.device) return nullptr;
  DXGI_SWAP_CHAIN_DESC1 desc{};
  desc.Width = width ? width : 1;
  desc.Height = height ? height : 1;
  desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  desc.Stereo = FALSE;
  desc.SampleDesc = {1, 0};
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 2;
  // A shader wallpaper renders smaller than its window; stretching fills it.
  desc.Scaling = DXGI_SCALING_STRETCH;
  desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
  desc.AlphaMode = DXGI_ALPHA_MODE_IGNORE;
  TraceSpan span(u"swap-chain");
  ComPtr<IDXGISwapChain1> swapChain;
  if (FAILED(gGraphics.factory->CreateSwapChainForHwnd(gGraphics.device.Get(), window, &desc, nullptr, nullptr,
                                                       &swapChain)))
    return nullptr;
  gGraphics.factory->MakeWindowAssociation(window, DXGI_MWA_NO_WINDOW_CHANGES | DXGI_MWA_NO_ALT_ENTER);
  return swapChain;
}

ComPtr<ID3D11RenderTargetView> CreateBackBufferView(IDXGISwapChain1* swapChain) {
  ComPtr<ID3D11Texture2D> backBuffer;
  ComPtr<ID3D11RenderTargetView> view;
  if (FAILED(swapChain->GetBuffer(0, IID_PPV_ARGS(&backBuffer))) ||
      FAILED(gGraphics.device->CreateRenderTargetView(backBuffer.Get(), nullptr, &view)))
    return nullptr;
  return view;
}

ComPtr<ID3D11Buffer> CreateConstantBuffer() {
  D3D11_BUFFER_DESC bd{};
  bd.ByteWidth = 32;
  bd.Usage = D3D11_USAGE_DEFAULT;
  bd.BindFlags = D3D11_BIND_CONSTANT_BUFFER;
  ComPtr<ID3D11Buffer> buffer;
  if (!gGraphics.device || FAILED(gGraphics.device->CreateBuffer(&bd, nullptr, &buffer))) return nullptr;
  return buffer;
}

void Blit(ID3D11RenderTargetView* target, ID3D11ShaderResourceView* view, ID3D11Buffer* constants, UINT width,
          UINT height, IDXGISwapChain1* swapChain) {
  ID3D11DeviceContext* c = gGraphics.context.Get();
  const D3D11_VIEWPORT viewport{0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height), 0.0f, 1.0f};
  c->OMSetRenderTargets(1, &target, nullptr);
  c->RSSetViewports(1, &viewport);
  c->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  c->IASetInputLayout(nullptr);
  c->VSSetShader(gGraphics.fullScreenVertexShader.Get(), nullptr, 0);
  c->PSSetShader(gGraphics.blitPixelShader.Get(), nullptr, 0);
  c->PSSetShaderResources(0, 1, &view);
  ID3D11SamplerState* sampler = gGraphics.sampler.Get();
  c->PSSetSamplers(0, 1, &sampler);
  c->PSSetConstantBuffers(0, 1, &constants);
  c->Draw(3, 0);
  ID3D11ShaderResourceView* none = nullptr;
  c->PSSetShaderResources(0, 1, &none);  // a texture left bound would outlive its renderer
  PresentFrame(swapChain);
}

void CopyWhole(ID3D11ShaderResourceView* view, IDXGISwapChain1* swapChain) {
  ComPtr<ID3D11Resource> picture;
  ComPtr<ID3D11Texture2D> backBuffer;
  view->GetResource(&picture);
  if (FAILED(swapChain->GetBuffer(0, IID_PPV_ARGS(&backBuffer)))) return;
  gGraphics.context->CopyResource(backBuffer.Get(), picture.Get());
  PresentFrame(swapChain);
}

void UnbindRenderer() {
  ID3D11DeviceContext* c = gGraphics.context.Get();
  if (!c) return;
  c->OMSetRenderTargets(0, nullptr, nullptr);
  ID3D11Buffer* noBuffer = nullptr;
  c->PSSetConstantBuffers(0, 1, &noBuffer);
  ID3D11ShaderResourceView* noView = nullptr;
  c->PSSetShaderResources(0, 1, &noView);
  c->PSSetShader(nullptr, nullptr, 0);
  // Released objects are destroyed only once the context lets go of them.
  c->Flush();
}

void NoteDeviceLoss(HRESULT presentResult) {
  if (presentResult == DXGI_ERROR_DEVICE_REMOVED || presentResult == DXGI_ERROR_DEVICE_RESET) gDeviceLost = true;
}

void CheckDeviceRemoved() {
  if (gGraphics.device && gGraphics.device->GetDeviceRemovedReason() != S_OK) gDeviceLost = true;
}

UINT MaxTextureSide() {
  if (!gGraphics.device) return 0;
  return gGraphics.device->GetFeatureLevel() >= D3D_FEATURE_LEVEL_11_0 ? D3D11_REQ_TEXTURE2D_U_OR_V_DIMENSION
                                                                       : D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION;
}

void ReleaseGraphicsAtExit() {
  ReleaseDevice();
  gGraphics.deviceManager.Reset();
}
