#pragma once
// A video file as a silent, endless loop on one surface, played by the media
// engine on the shared device and copied straight into the back buffer.
#include <windows.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "base/settings.h"
#include "desktop/screen.h"
#include "render/media_engine_win.h"

// The engine's event sink. The engine calls it on its own threads, so it only
// raises flags that the main thread reads at the next frame step.
class MENotify final : public IMFMediaEngineNotify {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE EventNotify(DWORD event, DWORD_PTR param1, DWORD param2) override;

  std::atomic<uint8_t> metadataLoaded{0};
  std::atomic<uint8_t> error{0};
  std::atomic<uint8_t> playing{0};

 private:
  ~MENotify() = default;  // only Release frees it
  std::atomic<ULONG> count_{0};  // the first owner's AddRef makes it 1
};

class VideoRenderer : public Renderer {
 public:
  // `frames` is read at every layout, so a pan or zoom reaches Refresh; it
  // must outlive the renderer. A change of `fit` rebuilds every surface.
  VideoRenderer(const FrameMap& frames, bool fit) : frames_(frames), fit_(fit) {}
  ~VideoRenderer() override;
  bool Init(HWND window, uint32_t width, uint32_t height, const std::u16string& path);
  void Refresh() override;
  void Tick(double seconds) override;
  void SetPaused(bool paused) override;
  bool NeedsFrames() override { return !failed_; }

  // For tests and diagnostics.
  bool sized() const { return sized_; }
  bool failed() const { return failed_; }
  const RECT& destination() const { return destination_; }
  const MFVideoNormalizedRect& source() const { return source_; }
  IMFMediaEngine* engine() const { return engine_.Get(); }

 private:
  void Layout();
  void DeselectAudio();
  // Copies the engine's current frame into the back buffer and presents it.
  void ShowFrame();

  Microsoft::WRL::ComPtr<IMFMediaEngine> engine_;
  Microsoft::WRL::ComPtr<MENotify> notify_;
  Microsoft::WRL::ComPtr<IDXGISwapChain1> swapChain_;
  uint32_t surfaceWidth_ = 0;
  uint32_t surfaceHeight_ = 0;
  MFVideoNormalizedRect source_{0.0f, 0.0f, 1.0f, 1.0f};
  RECT destination_{0, 0, 0, 0};
  bool sized_ = false;
  bool paused_ = false;
  bool shown_ = false;  // a frame is in the back buffer
  bool failed_ = false;
  const FrameMap& frames_;
  const bool fit_;
};
