#include "bake/encode_sink_av.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <cstring>
#include <vector>

#include "base/text.h"

namespace {

class AvEncodeSink : public EncodeSink {
 public:
  ~AvEncodeSink() override {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    if (format_) {
      if (format_->pb) avio_closep(&format_->pb);
      avformat_free_context(format_);
    }
  }

  // Step 1: the container is chosen from the file's extension, and the file
  // is created here, as the platform writer does.
  int32_t Create(const std::u16string& outputPath) override {
    const std::string path = Utf16ToUtf8(outputPath);
    int result = avformat_alloc_output_context2(&format_, nullptr, nullptr, path.c_str());
    if (result < 0 || !format_) return result < 0 ? result : AVERROR(EINVAL);
    return avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE);
  }

  int32_t AddStream(const VideoFormat& output) override {
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    if (!encoder) encoder = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!encoder) return AVERROR_ENCODER_NOT_FOUND;
    stream_ = avformat_new_stream(format_, nullptr);
    codec_ = avcodec_alloc_context3(encoder);
    if (!stream_ || !codec_) return AVERROR(ENOMEM);
    codec_->width = output.width;
    codec_->height = output.height;
    codec_->time_base = AVRational{1, output.fps};
    codec_->framerate = AVRational{output.fps, 1};
    codec_->sample_aspect_ratio = AVRational{1, 1};
    codec_->bit_rate = output.bitrate;
    // x264 keeps its pictures as NV12 inside, so NV12 goes in as it is.
    codec_->pix_fmt = AV_PIX_FMT_NV12;
    codec_->color_range = AVCOL_RANGE_MPEG;
    codec_->colorspace = AVCOL_SPC_BT709;
    codec_->color_primaries = AVCOL_PRI_BT709;
    codec_->color_trc = AVCOL_TRC_BT709;
    codec_->thread_count = 0;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // A fast preset keeps the encoder from outweighing the effect; the
    // bit rate, not the preset, sets the size.
    av_opt_set(codec_->priv_data, "preset", "superfast", 0);
    stream_->time_base = codec_->time_base;
    stream_->avg_frame_rate = codec_->framerate;
    fps_ = output.fps;
    return 0;
  }

  // Step 3: our frames arrive as NV12.
  int32_t SetInputFormat(const VideoFormat& input) override {
    if (input.width != codec_->width || input.height != codec_->height) return AVERROR(EINVAL);
    int result = avcodec_open2(codec_, codec_->codec, nullptr);
    if (result < 0) return result;
    result = avcodec_parameters_from_context(stream_->codecpar, codec_);
    if (result < 0) return result;
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_) return AVERROR(ENOMEM);
    frame_->format = AV_PIX_FMT_NV12;
    frame_->width = codec_->width;
    frame_->height = codec_->height;
    return av_frame_get_buffer(frame_, 0);
  }

  int32_t Begin() override { return avformat_write_header(format_, nullptr); }

  uint8_t* LockFrame(size_t size) override {
    nv12_.resize(size);
    return nv12_.data();
  }

  int32_t WriteFrame(int64_t sampleTime, int64_t) override {
    int result = av_frame_make_writable(frame_);
    if (result < 0) return result;
    const int w = codec_->width, h = codec_->height;
    for (int y = 0; y < h; ++y) std::memcpy(frame_->data[0] + y * frame_->linesize[0], &nv12_[y * w], w);
    const uint8_t* chroma = nv12_.data() + static_cast<size_t>(w) * h;
    for (int y = 0; y < h / 2; ++y) std::memcpy(frame_->data[1] + y * frame_->linesize[1], &chroma[y * w], w);
    // Sample times come in 100 ns units; the stream counts frames.
    frame_->pts = (sampleTime * fps_ + 5000000) / 10000000;
    result = avcodec_send_frame(codec_, frame_);
    return result < 0 ? result : Drain();
  }

  int32_t Finalize() override {
    int result = avcodec_send_frame(codec_, nullptr);
    if (result < 0) return result;
    result = Drain();
    if (result < 0) return result;
    result = av_write_trailer(format_);
    if (result < 0) return result;
    return avio_closep(&format_->pb);
  }

 private:
  int32_t Drain() {
    for (;;) {
      int result = avcodec_receive_packet(codec_, packet_);
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return 0;
      if (result < 0) return result;
      av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      result = av_interleaved_write_frame(format_, packet_);
      if (result < 0) return result;
    }
  }

  AVFormatContext* format_ = nullptr;
  AVStream* stream_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  std::vector<uint8_t> nv12_;
  int fps_ = 30;
};

}  // namespace

std::unique_ptr<EncodeSink> MakeAvEncodeSink() { return std::make_unique<AvEncodeSink>(); }
