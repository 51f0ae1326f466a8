#pragma once
// The Media Foundation media engine interfaces we call, which MinGW-w64 10
// does not ship (no mfmediaengine.h). Declared from the documented
// mfmediaengine.h: every slot up to the last method we call is present and in
// its documented order, since the vtable layout is the contract.
#include <windows.h>
#include <evr.h>
#include <mfidl.h>
#include <mfobjects.h>
#include <oaidl.h>

// winbase.h still maps this 16-bit era name to GetTickCount, which would
// rename the engine's method.
#undef GetCurrentTime

// MF_MEDIA_ENGINE_EVENT values we act on.
inline constexpr DWORD kMediaEngineEventError = 5;
inline constexpr DWORD kMediaEngineEventLoadedMetadata = 10;
inline constexpr DWORD kMediaEngineEventPlaying = 13;

// Attributes of IMFMediaEngineClassFactory::CreateInstance.
// {065702da-1094-486d-8617-ee7cc4ee4648}
inline constexpr GUID kMediaEngineDxgiManager = {
    0x065702da, 0x1094, 0x486d, {0x86, 0x17, 0xee, 0x7c, 0xc4, 0xee, 0x46, 0x48}};
// {c60381b8-83a4-41f8-a3d0-de05076849a9}
inline constexpr GUID kMediaEngineCallback = {
    0xc60381b8, 0x83a4, 0x41f8, {0xa3, 0xd0, 0xde, 0x05, 0x07, 0x68, 0x49, 0xa9}};
// {5066893c-8cf9-42bc-8b8a-472212e52726}
inline constexpr GUID kMediaEngineVideoOutputFormat = {
    0x5066893c, 0x8cf9, 0x42bc, {0x8b, 0x8a, 0x47, 0x22, 0x12, 0xe5, 0x27, 0x26}};

// {b44392da-499b-446b-a4cb-005fead0e6d5}
inline constexpr CLSID kMediaEngineClassFactoryClsid = {
    0xb44392da, 0x499b, 0x446b, {0xa4, 0xcb, 0x00, 0x5f, 0xea, 0xd0, 0xe6, 0xd5}};

// Interfaces we never call through, so only their names are needed.
struct IMFMediaError;
struct IMFMediaTimeRange;
struct IMFMediaEngineSrcElements;

MIDL_INTERFACE("fee7c112-e776-42b5-9bbf-0048524e2bd5")
IMFMediaEngineNotify : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE EventNotify(DWORD event, DWORD_PTR param1, DWORD param2) = 0;
};

MIDL_INTERFACE("98a1b0bb-03eb-4935-ae7c-93c1fa0e1c93")
IMFMediaEngine : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetError(IMFMediaError** error) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetErrorCode(int error) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSourceElements(IMFMediaEngineSrcElements* elements) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSource(BSTR url) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCurrentSource(BSTR* url) = 0;
  virtual USHORT STDMETHODCALLTYPE GetNetworkState() = 0;
  virtual int STDMETHODCALLTYPE GetPreload() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPreload(int preload) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBuffered(IMFMediaTimeRange** buffered) = 0;
  virtual HRESULT STDMETHODCALLTYPE Load() = 0;
  virtual HRESULT STDMETHODCALLTYPE CanPlayType(BSTR type, int* answer) = 0;
  virtual USHORT STDMETHODCALLTYPE GetReadyState() = 0;
  virtual BOOL STDMETHODCALLTYPE IsSeeking() = 0;
  virtual double STDMETHODCALLTYPE GetCurrentTime() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCurrentTime(double seekTime) = 0;
  virtual double STDMETHODCALLTYPE GetStartTime() = 0;
  virtual double STDMETHODCALLTYPE GetDuration() = 0;
  virtual BOOL STDMETHODCALLTYPE IsPaused() = 0;
  virtual double STDMETHODCALLTYPE GetDefaultPlaybackRate() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDefaultPlaybackRate(double rate) = 0;
  virtual double STDMETHODCALLTYPE GetPlaybackRate() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPlaybackRate(double rate) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPlayed(IMFMediaTimeRange** played) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSeekable(IMFMediaTimeRange** seekable) = 0;
  virtual BOOL STDMETHODCALLTYPE IsEnded() = 0;
  virtual BOOL STDMETHODCALLTYPE GetAutoPlay() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAutoPlay(BOOL autoPlay) = 0;
  virtual BOOL STDMETHODCALLTYPE GetLoop() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetLoop(BOOL loop) = 0;
  virtual HRESULT STDMETHODCALLTYPE Play() = 0;
  virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
  virtual BOOL STDMETHODCALLTYPE GetMuted() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetMuted(BOOL muted) = 0;
  virtual double STDMETHODCALLTYPE GetVolume() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVolume(double volume) = 0;
  virtual BOOL STDMETHODCALLTYPE HasVideo() = 0;
  virtual BOOL STDMETHODCALLTYPE HasAudio() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNativeVideoSize(DWORD* cx, DWORD* cy) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVideoAspectRatio(DWORD* cx, DWORD* cy) = 0;
  virtual HRESULT STDMETHODCALLTYPE Shutdown() = 0;
  virtual HRESULT STDMETHODCALLTYPE TransferVideoFrame(IUnknown* target, const MFVideoNormalizedRect* source,
                                                       const RECT* destination, const MFARGB* borderColour) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnVideoStreamTick(LONGLONG* presentationTime) = 0;
};

// Declared up to ApplyStreamSelections, the last method we call.
MIDL_INTERFACE("83015ead-b1e6-40d0-a98a-37145ffe1ad1")
IMFMediaEngineEx : public IMFMediaEngine {
  virtual HRESULT STDMETHODCALLTYPE SetSourceFromByteStream(IMFByteStream* stream, BSTR url) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStatistics(int statistic, PROPVARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE UpdateVideoStream(const MFVideoNormalizedRect* source, const RECT* destination,
                                                      const MFARGB* borderColour) = 0;
  virtual double STDMETHODCALLTYPE GetBalance() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBalance(double balance) = 0;
  virtual BOOL STDMETHODCALLTYPE IsPlaybackRateSupported(double rate) = 0;
  virtual HRESULT STDMETHODCALLTYPE FrameStep(BOOL forward) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResourceCharacteristics(DWORD* characteristics) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPresentationAttribute(REFGUID attribute, PROPVARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStreamAttribute(DWORD stream, REFGUID attribute, PROPVARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStreamSelection(DWORD stream, BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStreamSelection(DWORD stream, BOOL enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE ApplyStreamSelections() = 0;
};

MIDL_INTERFACE("4d645ace-26aa-4688-9be1-df3516990b93")
IMFMediaEngineClassFactory : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(DWORD flags, IMFAttributes* attributes,
                                                   IMFMediaEngine** engine) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateTimeRange(IMFMediaTimeRange** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateError(IMFMediaError** error) = 0;
};

__CRT_UUID_DECL(IMFMediaEngineNotify, 0xfee7c112, 0xe776, 0x42b5, 0x9b, 0xbf, 0x00, 0x48, 0x52, 0x4e, 0x2b, 0xd5)
__CRT_UUID_DECL(IMFMediaEngine, 0x98a1b0bb, 0x03eb, 0x4935, 0xae, 0x7c, 0x93, 0xc1, 0xfa, 0x0e, 0x1c, 0x93)
__CRT_UUID_DECL(IMFMediaEngineEx, 0x83015ead, 0xb1e6, 0x40d0, 0xa9, 0x8a, 0x37, 0x14, 0x5f, 0xfe, 0x1a, 0xd1)
__CRT_UUID_DECL(IMFMediaEngineClassFactory, 0x4d645ace, 0x26aa, 0x4688, 0x9b, 0xe1, 0xdf, 0x35, 0x16, 0x99, 0x0b,
                0x93)
