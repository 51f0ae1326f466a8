#include "bake/encode_sink_win.h"

#include <mfapi.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

#include "base/wide_win.h"

using Microsoft::WRL::ComPtr;

namespace {

class MfEncodeSink : public EncodeSink {
 public:
  ~MfEncodeSink() override {
    ReleaseFrame();
    writer_.Reset();
    attributes_.Reset();
  }

  int32_t Create(const std::u16string& outputPath) override {
    MFCreateAttributes(&attributes_, 2);
    if (attributes_) {
      // Software encoding only, and frames accepted as fast as we make them.
      attributes_->SetUINT32(MF_READWRITE_ENABLE_HARDWARE_TRANSFORMS, 0);
      attributes_->SetUINT32(MF_SINK_WRITER_DISABLE_THROTTLING, 1);
    }
    return MFCreateSinkWriterFromURL(W(outputPath), nullptr, attributes_.Get(), &writer_);
  }

  int32_t AddStream(const VideoFormat& output) override {
    ComPtr<IMFMediaType> type;
    MFCreateMediaType(&type);
    if (!type) return E_OUTOFMEMORY;
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    type->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_H264);
    type->SetUINT32(MF_MT_AVG_BITRATE, output.bitrate);
    type->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    SetSizeAndRate(type.Get(), output);
    return writer_->AddStream(type.Get(), &stream_);
  }

  int32_t SetInputFormat(const VideoFormat& input) override {
    ComPtr<IMFMediaType> type;
    MFCreateMediaType(&type);
    if (!type) return E_OUTOFMEMORY;
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    type->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_NV12);
    type->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
    SetSizeAndRate(type.Get(), input);
    return writer_->SetInputMediaType(stream_, type.Get(), nullptr);
  }

  int32_t Begin() override { return writer_->BeginWriting(); }

  uint8_t* LockFrame(size_t size) override {
    ReleaseFrame();
    if (FAILED(MFCreateMemoryBuffer(static_cast<DWORD>(size), &buffer_))) return nullptr;
    BYTE* data = nullptr;
    if (FAILED(buffer_->Lock(&data, nullptr, nullptr))) {
      buffer_.Reset();
      return nullptr;
    }
    size_ = static_cast<DWORD>(size);
    return data;
  }

  int32_t WriteFrame(int64_t sampleTime, int64_t duration) override {
    buffer_->Unlock();
    buffer_->SetCurrentLength(size_);
    ComPtr<IMFSample> sample;
    MFCreateSample(&sample);
    if (!sample) {
      ReleaseFrame();
      return E_OUTOFMEMORY;
    }
    sample->AddBuffer(buffer_.Get());
    sample->SetSampleTime(sampleTime);
    sample->SetSampleDuration(duration);
    const HRESULT result = writer_->WriteSample(stream_, sample.Get());
    sample.Reset();
    ReleaseFrame();
    return result;
  }

  int32_t Finalize() override { return writer_->Finalize(); }

 private:
  static void SetSizeAndRate(IMFMediaType* type, const VideoFormat& f) {
    MFSetAttributeSize(type, MF_MT_FRAME_SIZE, static_cast<UINT32>(f.width), static_cast<UINT32>(f.height));
    MFSetAttributeRatio(type, MF_MT_FRAME_RATE, static_cast<UINT32>(f.fps), 1);
    MFSetAttributeRatio(type, MF_MT_PIXEL_ASPECT_RATIO, 1, 1);
  }

  void ReleaseFrame() { buffer_.Reset(); }

  ComPtr<IMFAttributes> attributes_;
  ComPtr<IMFSinkWriter> writer_;
  DWORD stream_ = 0;
  ComPtr<IMFMediaBuffer> buffer_;
  DWORD size_ = 0;
};

}  // namespace

std::unique_ptr<EncodeSink> MakeMfEncodeSink() { return std::make_unique<MfEncodeSink>(); }
