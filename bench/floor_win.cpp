// The least program that does the visible job of a picture wallpaper: a
// Direct3D 11 device, one picture decoded with WIC into one texture, a
// flip-model swap chain, one Present, then wait. bench/wine_figures.sh runs it
// beside lumenhollow.exe to show how far our start-up is from the floor.
//
//   lumenhollow-floor.exe PICTURE REPORT   (REPORT receives the first-present line)
#include <windows.h>
#include <d3d11.h>
#include <dxgi1_2.h>
#include <shellapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstdio>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

struct Picture {
  UINT width = 0, height = 0;
  std::vector<BYTE> pixels;  // BGRA, top-down
};

bool Decode(const wchar_t* path, Picture& picture) {
  ComPtr<IWICImagingFactory> wic;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic))) ||
      FAILED(wic->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(wic->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)) ||
      FAILED(converter->GetSize(&picture.width, &picture.height)))
    return false;
  picture.pixels.resize(size_t{picture.width} * picture.height * 4);
  return SUCCEEDED(converter->CopyPixels(nullptr, picture.width * 4, static_cast<UINT>(picture.pixels.size()),
                                         picture.pixels.data()));
}

uint64_t Ticks(const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

// The same line, from the same clocks, as lumenhollow.exe's trace.
void Report(const wchar_t* path) {
  FILETIME creation, exitTime, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  FILE* file = _wfopen(path, L"w");
  if (!file) return;
  fprintf(file, "first present %llu ms after process start, %llu ms CPU\n",
          static_cast<unsigned long long>((Ticks(now) - Ticks(creation)) / 10000),
          static_cast<unsigned long long>((Ticks(kernel) + Ticks(user)) / 10000));
  fclose(file);
}

// What a wallpaper keeps while it shows its picture.
struct Scene {
  ComPtr<ID3D11Device> device;
  ComPtr<ID3D11DeviceContext> context;
  ComPtr<ID3D11Texture2D> texture;
  ComPtr<IDXGISwapChain1> swapChain;
};

bool ShowPicture(HWND window, const Picture& picture, Scene& scene) {
  auto& [device, context, texture, swapChain] = scene;
  if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, D3D11_CREATE_DEVICE_BGRA_SUPPORT, nullptr, 0,
                               D3D11_SDK_VERSION, &device, nullptr, &context)))
    return false;
  D3D11_TEXTURE2D_DESC td{};
  td.Width = picture.width;
  td.Height = picture.height;
  td.MipLevels = td.ArraySize = 1;
  td.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  td.SampleDesc = {1, 0};
  td.Usage = D3D11_USAGE_IMMUTABLE;
  td.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  const D3D11_SUBRESOURCE_DATA data{picture.pixels.data(), picture.width * 4, 0};
  ComPtr<IDXGIDevice1> dxgiDevice;
  ComPtr<IDXGIAdapter> adapter;
  ComPtr<IDXGIFactory2> factory;
  if (FAILED(device->CreateTexture2D(&td, &data, &texture)) || FAILED(device.As(&dxgiDevice)) ||
      FAILED(dxgiDevice->GetAdapter(&adapter)) || FAILED(adapter->GetParent(IID_PPV_ARGS(&factory))))
    return false;
  // As lumenhollow.exe does: Present then returns once the frame is handed on.
  // With the default latency of 3 it returns before the frame is drawn at all,
  // and the clock would stop early.
  dxgiDevice->SetMaximumFrameLatency(1);
  DXGI_SWAP_CHAIN_DESC1 sd{};
  sd.Width = picture.width;
  sd.Height = picture.height;
  sd.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  sd.SampleDesc = {1, 0};
  sd.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  sd.BufferCount = 2;
  sd.Scaling = DXGI_SCALING_STRETCH;
  sd.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
  ComPtr<ID3D11Texture2D> backBuffer;
  if (FAILED(factory->CreateSwapChainForHwnd(device.Get(), window, &sd, nullptr, nullptr, &swapChain)) ||
      FAILED(swapChain->GetBuffer(0, IID_PPV_ARGS(&backBuffer))))
    return false;
  // Same size and format: a copy is the whole draw, no shader needed.
  context->CopyResource(backBuffer.Get(), texture.Get());
  return SUCCEEDED(swapChain->Present(0, 0));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 3) return 2;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Picture picture;
  Scene scene;
  if (!Decode(argv[1], picture)) return 1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"LumenhollowFloor";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"floor", WS_POPUP | WS_VISIBLE, 0, 0,
                                static_cast<int>(picture.width), static_cast<int>(picture.height), nullptr, nullptr,
                                instance, nullptr);
  if (!window || !ShowPicture(window, picture, scene)) return 1;
  Report(argv[2]);
  picture = {};  // uploaded: the texture holds it now
  // Wait as a wallpaper does: asleep until a message comes (the bench ends us).
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
