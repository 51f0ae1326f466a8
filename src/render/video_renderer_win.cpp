#include "render/video_renderer_win.h"

#include <d3d11.h>
#include <mfapi.h>
#include <oleauto.h>
#include <propidl.h>

#include "base/log_win.h"
#include "base/wide_win.h"
#include "render/graphics_win.h"
#include "render/placement.h"

using Microsoft::WRL::ComPtr;

HRESULT MENotify::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IMFMediaEngineNotify)) {
    AddRef();
    *object = static_cast<IMFMediaEngineNotify*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG MENotify::AddRef() { return ++count_; }

ULONG MENotify::Release() {
  const ULONG left = --count_;
  if (left == 0) delete this;
  return left;
}

HRESULT MENotify::EventNotify(DWORD event, DWORD_PTR, DWORD) {
  if (event == kMediaEngineEventLoadedMetadata) metadataLoaded.exchange(1);
  if (event == kMediaEngineEventError) error.exchange(1);
  if (event == kMediaEngineEventPlaying) playing.exchange(1);
  return S_OK;
}

VideoRenderer::~VideoRenderer() {
  // The engine runs threads of its own that use the device and call the sink:
  // they stop before anything they use is released.
  if (engine_) engine_->Shutdown();
}

bool VideoRenderer::Init(HWND window, uint32_t width, uint32_t height, const std::u16string& path) {
  surfaceWidth_ = width;
  surfaceHeight_ = height;
  IMFDXGIDeviceManager* manager = MediaDeviceManager();
  if (!manager) return false;
  swapChain_ = CreateSurfaceSwapChain(window, width, height);
  if (!swapChain_) return false;
  ComPtr<IMFMediaEngineClassFactory> factory;
  if (FAILED(CoCreateInstance(kMediaEngineClassFactoryClsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
    return false;
  notify_ = new MENotify;
  ComPtr<IMFAttributes> attributes;
  if (FAILED(MFCreateAttributes(&attributes, 3))) return false;
  attributes->SetUnknown(kMediaEngineDxgiManager, manager);
  attributes->SetUnknown(kMediaEngineCallback, notify_.Get());
  attributes->SetUINT32(kMediaEngineVideoOutputFormat, DXGI_FORMAT_B8G8R8A8_UNORM);
  if (FAILED(factory->CreateInstance(0, attributes.Get(), &engine_))) return false;
  engine_->SetMuted(TRUE);
  engine_->SetLoop(TRUE);
  engine_->SetAutoPlay(TRUE);
  BSTR source = SysAllocString(W(path));
  const HRESULT set = source ? engine_->SetSource(source) : E_OUTOFMEMORY;
  SysFreeString(source);
  if (FAILED(set)) return false;
  engine_->Play();
  return true;
}

void VideoRenderer::DeselectAudio() {
  ComPtr<IMFMediaEngineEx> ex;
  DWORD streams = 0;
  if (FAILED(engine_.As(&ex)) || FAILED(ex->GetNumberOfStreams(&streams))) return;
  bool deselected = false;
  for (DWORD i = 0; i < streams; ++i) {
    PROPVARIANT major;
    PropVariantInit(&major);
    if (SUCCEEDED(ex->GetStreamAttribute(i, MF_MT_MAJOR_TYPE, &major)) && major.vt == VT_CLSID && major.puuid &&
        *major.puuid == MFMediaType_Audio) {
      ex->SetStreamSelection(i, FALSE);
      deselected = true;
    }
    PropVariantClear(&major);
  }
  if (deselected) ex->ApplyStreamSelections();
}

void VideoRenderer::Layout() {
  if (!sized_) DeselectAudio();
  DWORD videoWidth = 0, videoHeight = 0;
  engine_->GetNativeVideoSize(&videoWidth, &videoHeight);
  const VideoLayout layout =
      ComputeVideoLayout(fit_, frames_, screenKey, videoWidth, videoHeight, surfaceWidth_, surfaceHeight_);
  source_ = {layout.left, layout.top, layout.right, layout.bottom};
  destination_ = {layout.destination.left, layout.destination.top, layout.destination.right,
                  layout.destination.bottom};
  sized_ = true;
}

void VideoRenderer::ShowFrame() {
  ComPtr<ID3D11Texture2D> backBuffer;
  if (FAILED(swapChain_->GetBuffer(0, IID_PPV_ARGS(&backBuffer)))) return;
  if (!sized_) destination_ = {0, 0, static_cast<LONG>(surfaceWidth_), static_cast<LONG>(surfaceHeight_)};
  // Opaque black: the bars of the fit placement.
  MFARGB black{};
  black.rgbAlpha = 0xFF;
  if (FAILED(engine_->TransferVideoFrame(backBuffer.Get(), &source_, &destination_, &black))) return;
  PresentFrame(swapChain_.Get());
  shown_ = true;
  if (!paused_) ready = true;
}

void VideoRenderer::Tick(double) {
  if (!engine_ || failed_) return;
  if (!sized_ && notify_->metadataLoaded.load()) {
    DWORD videoWidth = 0, videoHeight = 0;
    engine_->GetNativeVideoSize(&videoWidth, &videoHeight);
    // Never ready, it would keep the frame timer and the engine running.
    if (VideoShowsNothing(engine_->HasVideo(), videoWidth, videoHeight)) notify_->error.exchange(1);
  }
  if (notify_->error.load()) {
    failed_ = true;
    LogLine(u"video failed to play (codec not supported?)");
    engine_->Pause();
    return;
  }
  if (!sized_ && notify_->metadataLoaded.load()) Layout();
  // Paused before anything showed: the first frame is up, so hold it, but only
  // once the engine has started (an engine paused while starting can crash
  // its session's threads).
  if (paused_ && shown_ && !ready && notify_->playing.load()) {
    engine_->Pause();
    ready = true;
    return;
  }
  LONGLONG presentationTime = 0;
  // S_FALSE means no new frame is due; only S_OK brings one.
  if (engine_->OnVideoStreamTick(&presentationTime) != S_OK) return;
  ShowFrame();
}

void VideoRenderer::Refresh() {
  if (!engine_ || !sized_ || failed_) return;
  Layout();
  ShowFrame();
}

void VideoRenderer::SetPaused(bool paused) {
  paused_ = paused;
  if (!engine_ || !ready) return;
  if (paused) engine_->Pause();
  else engine_->Play();
}
