#pragma once
// The one Direct3D 11 device every surface draws with, the objects made from
// it once, swap chains for surface windows and the blit of a picture.
#include <windows.h>
#include <d3d11.h>
#include <d3dcompiler.h>
#include <dxgi1_2.h>
#include <mfobjects.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

struct Graphics {
  Microsoft::WRL::ComPtr<ID3D11Device> device;
  Microsoft::WRL::ComPtr<ID3D11DeviceContext> context;
  Microsoft::WRL::ComPtr<IDXGIFactory2> factory;
  // Outlives the device: the media engine keeps it, and it is reset onto each
  // new device after a GPU reset.
  Microsoft::WRL::ComPtr<IMFDXGIDeviceManager> deviceManager;
  UINT resetToken = 0;
  Microsoft::WRL::ComPtr<ID3D11VertexShader> fullScreenVertexShader;
  Microsoft::WRL::ComPtr<ID3D11PixelShader> blitPixelShader;
  Microsoft::WRL::ComPtr<ID3D11SamplerState> sampler;
};

extern Graphics gGraphics;

// Raised when a Present reports a removed or reset device (or the housekeeping
// check finds one); HandleGpuReset clears it.
extern bool gDeviceLost;

// Makes sure a usable device, its context and the DXGI factory exist.
bool EnsureDevice();
// The vertex shader, the blit shader and the sampler, made with their first
// use on each device (pictures and shaders); logs "built-in shader compile
// failed" when the compiler refuses them.
bool EnsureBuiltInShaders();
// The media engine's device manager, made (starting Media Foundation) by the
// first video; null without a device or when it cannot be made.
IMFDXGIDeviceManager* MediaDeviceManager();
// Releases the shared objects, the context and the device; the device
// manager survives. Every renderer must be gone before this runs.
void ReleaseDevice();
// Null on failure; `errorText` (when given) receives the compiler's messages.
Microsoft::WRL::ComPtr<ID3DBlob> CompileShader(std::string_view source, const char* target, const char* sourceName,
                                               std::string* errorText = nullptr);
// A two-buffer flip swap chain for `window`; a 0 side is made 1 pixel.
Microsoft::WRL::ComPtr<IDXGISwapChain1> CreateSurfaceSwapChain(HWND window, UINT width, UINT height);
// Draws `view` through the source rectangle in `constants` over the whole
// target and presents.
void Blit(ID3D11RenderTargetView* target, ID3D11ShaderResourceView* view, ID3D11Buffer* constants, UINT width,
          UINT height, IDXGISwapChain1* swapChain);
// Copies the texture behind `view` into buffer 0 of `swapChain` (the same
// size and format) and presents: a picture that needs no scaling.
void CopyWhole(ID3D11ShaderResourceView* view, IDXGISwapChain1* swapChain);
// Unbinds what a renderer leaves on the context (target, constants, pixel
// shader, texture), so that its objects die with it; called by destructors.
void UnbindRenderer();
// The view a renderer draws into: buffer 0 of its swap chain.
Microsoft::WRL::ComPtr<ID3D11RenderTargetView> CreateBackBufferView(IDXGISwapChain1* swapChain);
// The 32-byte constant buffer a renderer fills with UpdateSubresource.
Microsoft::WRL::ComPtr<ID3D11Buffer> CreateConstantBuffer();

// Presents without waiting for vertical blank and notes a lost device.
void PresentFrame(IDXGISwapChain1* swapChain);
// Sets gDeviceLost for DXGI_ERROR_DEVICE_REMOVED and DXGI_ERROR_DEVICE_RESET;
// other Present failures are not worth a rebuild.
void NoteDeviceLoss(HRESULT presentResult);
// Housekeeping: a device the driver has removed raises gDeviceLost.
void CheckDeviceRemoved();

// The largest texture side the current device takes (0 without a device).
UINT MaxTextureSide();

// The end of the process: graphics objects, then the device manager.
void ReleaseGraphicsAtExit();
