#include "render/image_renderer_win.h"

#include <propidl.h>

#include <algorithm>
#include <iterator>
#include <new>

#include "base/app_facts_win.h"
#include "base/files_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "render/exif_orientation.h"
#include "render/graphics_win.h"
#include "render/placement.h"

using Microsoft::WRL::ComPtr;

namespace {

// The Exif segment of a JPEG sits at its very start and holds at most 64 KiB.
constexpr uint32_t kOrientationHeadBytes = 256 * 1024;

// A BGRA picture texture the blit samples.
D3D11_TEXTURE2D_DESC PictureTextureDesc(UINT width, UINT height, D3D11_USAGE usage) {
  D3D11_TEXTURE2D_DESC td{};
  td.Width = width;
  td.Height = height;
  td.MipLevels = 1;
  td.ArraySize = 1;
  td.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  td.SampleDesc = {1, 0};
  td.Usage = usage;
  td.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  return td;
}

// VT_UI1, VT_UI2 and VT_UI4 give their value; anything else the default.
uint32_t ReadMetadata(IWICMetadataQueryReader* reader, const wchar_t* name, uint32_t fallback) {
  if (!reader) return fallback;
  PROPVARIANT value;
  PropVariantInit(&value);
  uint32_t result = fallback;
  if (SUCCEEDED(reader->GetMetadataByName(name, &value))) {
    if (value.vt == VT_UI1) result = value.bVal;
    else if (value.vt == VT_UI2) result = value.uiVal;
    else if (value.vt == VT_UI4) result = value.ulVal;
  }
  PropVariantClear(&value);
  return result;
}

}  // namespace

ImageRenderer::~ImageRenderer() { UnbindRenderer(); }

bool ImageRenderer::Init(HWND window, uint32_t width, uint32_t height, const std::u16string& path) {
  surfaceWidth_ = width;
  surfaceHeight_ = height;
  IWICImagingFactory* wic = gApp.imagingFactory.Get();
  if (!wic || !gGraphics.device) return false;
  decoder_.Reset();
  if (FAILED(wic->CreateDecoderFromFilename(W(path), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            &decoder_)))
    return false;
  if (FAILED(decoder_->GetFrameCount(&frameCount_)) || frameCount_ == 0) return false;
  GUID container{};
  decoder_->GetContainerFormat(&container);
  const bool gif = container == GUID_ContainerFormatGif;
  canvasWidth_ = canvasHeight_ = 0;
  if (gif) {
    ComPtr<IWICMetadataQueryReader> reader;
    decoder_->GetMetadataQueryReader(&reader);
    canvasWidth_ = ReadMetadata(reader.Get(), L"/logscrdesc/Width", 0);
    canvasHeight_ = ReadMetadata(reader.Get(), L"/logscrdesc/Height", 0);
  }
  if (canvasWidth_ == 0 || canvasHeight_ == 0) {
    ComPtr<IWICBitmapFrameDecode> first;
    UINT w = 0, h = 0;
    if (FAILED(decoder_->GetFrame(0, &first)) || FAILED(first->GetSize(&w, &h))) return false;
    canvasWidth_ = w;
    canvasHeight_ = h;
  }
  orientation_ = 1;
  if (!gif) {
    frameCount_ = 1;  // other multi-frame files (TIFF pages) show their first frame only
    // Cameras store portraits sideways with a tag saying so; the canvas takes
    // the upright size, so pan, zoom and fit all apply to the upright picture.
    std::string head;
    if (ReadFileHead(path, kOrientationHeadBytes, head)) orientation_ = ReadExifOrientation(head);
    if (SwapsSides(orientation_)) std::swap(canvasWidth_, canvasHeight_);
  }
  cacheFrames_ = FitsFrameCache(frameCount_, canvasWidth_, canvasHeight_);
  // The canvas becomes a texture, so the device's largest texture bounds it;
  // past that (or when the memory is not there) the picture fails to load.
  if (!canvas_.Allocate(canvasWidth_, canvasHeight_, MaxTextureSide())) return false;
  try {
    timeline_ = GifTimeline(frameCount_);
    frameCache_.clear();
    if (cacheFrames_) frameCache_.resize(frameCount_);
  } catch (const std::bad_alloc&) {
    return false;
  }
  swapChain_ = CreateSurfaceSwapChain(window, width, height);
  if (!swapChain_) return false;
  targetView_ = CreateBackBufferView(swapChain_.Get());
  if (!targetView_) return false;
  constants_ = CreateConstantBuffer();
  if (!constants_) return false;
  UpdateConstants();
  // A picture copied pixel for pixel needs no shader (nor the compiler).
  if (!pixelForPixel_ && !EnsureBuiltInShaders()) return false;
  TraceSpan span(u"picture");
  if (!cacheFrames_) {
    const D3D11_TEXTURE2D_DESC td = PictureTextureDesc(canvasWidth_, canvasHeight_, D3D11_USAGE_DEFAULT);
    if (FAILED(gGraphics.device->CreateTexture2D(&td, nullptr, &canvasTexture_)) ||
        FAILED(gGraphics.device->CreateShaderResourceView(canvasTexture_.Get(), nullptr, &canvasView_)))
      return false;
  }
  ShowFrame(0);
  return true;
}

void ImageRenderer::UpdateConstants() {
  UvRect r = ComputeUvRect(frames_, screenKey, canvasWidth_, canvasHeight_, surfaceWidth_, surfaceHeight_);
  if (fit_) r = ComputeFitRect(canvasWidth_, canvasHeight_, surfaceWidth_, surfaceHeight_);
  pixelForPixel_ = ShowsPixelForPixel(r, canvasWidth_, canvasHeight_, surfaceWidth_, surfaceHeight_);
  const float constants[8] = {r.u, r.v, r.du, r.dv, static_cast<float>(surfaceWidth_),
                              static_cast<float>(surfaceHeight_), 0.0f, 0.0f};
  std::copy(std::begin(constants), std::end(constants), blitConstants_);
  constantsStale_ = true;
}

void ImageRenderer::Refresh() {
  if (!constants_) return;
  UpdateConstants();
  // Without the cache, the canvas texture still holds the frame on screen.
  ID3D11ShaderResourceView* view = canvasView_.Get();
  const uint32_t current = timeline_.current();
  if (cacheFrames_) view = current < frameCache_.size() ? frameCache_[current].Get() : nullptr;
  if (view) Draw(view);
}

void ImageRenderer::Draw(ID3D11ShaderResourceView* view) {
  if (pixelForPixel_) {
    CopyWhole(view, swapChain_.Get());
  } else if (EnsureBuiltInShaders()) {  // a frame moved off pixel for pixel
    if (constantsStale_)
      gGraphics.context->UpdateSubresource(constants_.Get(), 0, nullptr, blitConstants_, 0, 0);
    constantsStale_ = false;
    Blit(targetView_.Get(), view, constants_.Get(), surfaceWidth_, surfaceHeight_, swapChain_.Get());
  }
}

void ImageRenderer::Tick(double seconds) {
  if (const auto next = timeline_.Advance(seconds)) ShowFrame(*next);
}

void ImageRenderer::ShowFrame(uint32_t index) {
  ID3D11ShaderResourceView* view = cacheFrames_ ? frameCache_[index].Get() : nullptr;
  if (!view) {
    canvas_.BeginFrame(index);
    ComposeFrame(index);
    view = Upload(index);
  }
  // With every frame cached and the canvas gone, a frame whose texture could
  // not be made stays off the screen rather than drawing garbage.
  if (view) Draw(view);
  ready = true;
  timeline_.Show(index);
}

bool ImageRenderer::ComposeFrame(uint32_t index) {
  ComPtr<IWICBitmapFrameDecode> frame;
  if (!decoder_ || FAILED(decoder_->GetFrame(index, &frame))) return false;
  ComPtr<IWICMetadataQueryReader> reader;
  frame->GetMetadataQueryReader(&reader);
  uint32_t left = ReadMetadata(reader.Get(), L"/imgdesc/Left", 0);
  uint32_t top = ReadMetadata(reader.Get(), L"/imgdesc/Top", 0);
  timeline_.SetDelay(index, FrameDelaySeconds(ReadMetadata(reader.Get(), L"/grctlext/Delay", 10)));
  canvas_.disposal = ReadMetadata(reader.Get(), L"/grctlext/Disposal", 0);
  ComPtr<IWICBitmapSource> converted;
  UINT frameWidth = 0, frameHeight = 0;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted)) ||
      FAILED(converted->GetSize(&frameWidth, &frameHeight)))
    return false;
  if (frameCount_ == 1) left = top = 0;
  std::vector<uint32_t>& incoming = canvas_.incoming();
  if (orientation_ >= 2) {
    // A still frame is the whole canvas, stored with its sides as the file has them.
    const size_t count = size_t{frameWidth} * frameHeight;
    if (count > incoming.size() ||
        FAILED(converted->CopyPixels(nullptr, frameWidth * 4, static_cast<UINT>(count * 4),
                                     reinterpret_cast<BYTE*>(incoming.data()))))
      return false;
    return canvas_.ComposeUpright(incoming.data(), frameWidth, frameHeight, orientation_);
  }
  // Only the part of the frame that lands on the canvas is copied: a frame
  // may declare a size far beyond the logical screen, and it must not make us
  // allocate it.
  const PixelRect area = canvas_.Place(left, top, frameWidth, frameHeight);
  if (area.Width() == 0 || area.Height() == 0) return true;
  const WICRect part{0, 0, static_cast<INT>(area.Width()), static_cast<INT>(area.Height())};
  const UINT stride = area.Width() * 4;
  const size_t count = size_t{area.Width()} * area.Height();
  if (count > incoming.size()) return false;
  if (FAILED(converted->CopyPixels(&part, stride, static_cast<UINT>(count * 4),
                                   reinterpret_cast<BYTE*>(incoming.data()))))
    return false;
  canvas_.Compose(area, incoming.data());
  return true;
}

ID3D11ShaderResourceView* ImageRenderer::Upload(uint32_t index) {
  if (canvas_.pixels().empty()) return nullptr;
  const UINT pitch = canvasWidth_ * 4;
  ID3D11ShaderResourceView* view = canvasView_.Get();
  if (!cacheFrames_) {
    gGraphics.context->UpdateSubresource(canvasTexture_.Get(), 0, nullptr, canvas_.pixels().data(), pitch, 0);
  } else {
    const D3D11_TEXTURE2D_DESC td = PictureTextureDesc(canvasWidth_, canvasHeight_, D3D11_USAGE_IMMUTABLE);
    const D3D11_SUBRESOURCE_DATA data{canvas_.pixels().data(), pitch, 0};
    ComPtr<ID3D11Texture2D> texture;
    frameCache_[index].Reset();
    if (SUCCEEDED(gGraphics.device->CreateTexture2D(&td, &data, &texture)))
      gGraphics.device->CreateShaderResourceView(texture.Get(), nullptr, &frameCache_[index]);
    view = frameCache_[index].Get();
  }
  // Every frame has been decoded once: the file and the canvas are done with.
  // A still over the budget too: its one frame stays in the canvas texture,
  // and a 100-megapixel photo would otherwise hold its file and two copies.
  if (index == frameCount_ - 1 && (cacheFrames_ || frameCount_ == 1)) {
    decoder_.Reset();
    canvas_.Release();
  }
  return view;
}
