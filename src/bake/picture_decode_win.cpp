#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "bake/bake_naming.h"
#include "bake/picture_decode.h"
#include "base/files_win.h"
#include "base/wide_win.h"
#include "render/exif_orientation.h"

using Microsoft::WRL::ComPtr;

namespace {

// Missing from MinGW's headers; the value is documented (Windows 10).
constexpr auto kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);

// EXIF orientation 2..8 as the transform that makes the picture upright.
WICBitmapTransformOptions TransformFor(int orientation) {
  switch (orientation) {
    case 2: return WICBitmapTransformFlipHorizontal;
    case 3: return WICBitmapTransformRotate180;
    case 4: return WICBitmapTransformFlipVertical;
    case 5: return static_cast<WICBitmapTransformOptions>(WICBitmapTransformRotate90 | WICBitmapTransformFlipHorizontal);
    case 6: return WICBitmapTransformRotate90;
    case 7: return static_cast<WICBitmapTransformOptions>(WICBitmapTransformRotate270 | WICBitmapTransformFlipHorizontal);
    default: return WICBitmapTransformRotate270;
  }
}

}  // namespace

bool DecodePictureForBake(const std::u16string& path, int32_t maxSide, std::vector<uint32_t>& pixels,
                          int32_t& width, int32_t& height) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
    return false;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(W(path), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                &decoder)))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return false;
  ComPtr<IWICBitmapSource> source = frame;
  // The same reader as the wallpaper's, so a picture stands the same way in both.
  std::string head;
  const int orientation = ReadFileHead(path, 256 * 1024, head) ? ReadExifOrientation(head) : 1;
  if (orientation >= 2 && orientation <= 8) {
    ComPtr<IWICBitmapFlipRotator> rotator;
    if (SUCCEEDED(factory->CreateBitmapFlipRotator(&rotator)) &&
        SUCCEEDED(rotator->Initialize(frame.Get(), TransformFor(orientation))))
      source = rotator;
  }
  UINT w = 0, h = 0;
  if (FAILED(source->GetSize(&w, &h)) || w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
  if (!BakeSizeFor(static_cast<int32_t>(w), static_cast<int32_t>(h), maxSide, width, height)) return false;
  ComPtr<IWICBitmapScaler> scaler;
  if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
      FAILED(scaler->Initialize(source.Get(), static_cast<UINT>(width), static_cast<UINT>(height),
                                kHighQualityCubic)))
    return false;
  ComPtr<IWICBitmapSource> bgra;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, scaler.Get(), &bgra))) return false;
  pixels.assign(static_cast<size_t>(width) * height, 0);
  const UINT stride = static_cast<UINT>(width) * 4;
  return SUCCEEDED(bgra->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height),
                                    reinterpret_cast<BYTE*>(pixels.data())));
}
