#include "bake/picture_decode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <fstream>
#include <iterator>
#include <utility>

#include "base/text.h"
#include "bake/bake_naming.h"
#include "render/exif_orientation.h"

namespace {

// Owns what one decode opens, released in reverse order.
struct Decoding {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwsContext* scaler = nullptr;
  ~Decoding() {
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }
};

bool DecodeFirstFrame(const std::string& path, Decoding& d) {
  if (avformat_open_input(&d.format, path.c_str(), nullptr, nullptr) < 0) return false;
  if (avformat_find_stream_info(d.format, nullptr) < 0) return false;
  const AVCodec* decoder = nullptr;
  const int stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (stream < 0 || !decoder) return false;
  d.codec = avcodec_alloc_context3(decoder);
  if (!d.codec || avcodec_parameters_to_context(d.codec, d.format->streams[stream]->codecpar) < 0) return false;
  if (avcodec_open2(d.codec, decoder, nullptr) < 0) return false;
  d.packet = av_packet_alloc();
  d.frame = av_frame_alloc();
  if (!d.packet || !d.frame) return false;
  bool flushed = false;
  while (!flushed) {
    if (av_read_frame(d.format, d.packet) < 0) {
      flushed = true;
      avcodec_send_packet(d.codec, nullptr);
    } else {
      const bool ours = d.packet->stream_index == stream;
      if (ours) avcodec_send_packet(d.codec, d.packet);
      av_packet_unref(d.packet);
      if (!ours) continue;
    }
    if (avcodec_receive_frame(d.codec, d.frame) == 0) return d.frame->width > 0 && d.frame->height > 0;
  }
  return false;
}

int OrientationOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string head(256 * 1024, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(file.gcount()));
  return ReadExifOrientation(head);
}

}  // namespace

bool DecodePictureForBake(const std::u16string& path, int32_t maxSide, std::vector<uint32_t>& pixels,
                          int32_t& width, int32_t& height) {
  const std::string file = Utf16ToUtf8(path);
  Decoding d;
  if (!DecodeFirstFrame(file, d)) return false;
  const int orientation = OrientationOf(file);
  const bool turned = orientation >= 5;
  const int32_t uprightW = turned ? d.frame->height : d.frame->width;
  const int32_t uprightH = turned ? d.frame->width : d.frame->height;
  if (!BakeSizeFor(uprightW, uprightH, maxSide, width, height)) return false;
  // Scale first, then turn: the turn then moves the small picture.
  int32_t scaledW = turned ? height : width, scaledH = turned ? width : height;
  d.scaler = sws_getContext(d.frame->width, d.frame->height, static_cast<AVPixelFormat>(d.frame->format), scaledW,
                            scaledH, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!d.scaler) return false;
  pixels.assign(static_cast<size_t>(scaledW) * scaledH, 0);
  uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(pixels.data()), nullptr, nullptr, nullptr};
  int strides[4] = {scaledW * 4, 0, 0, 0};
  if (sws_scale(d.scaler, d.frame->data, d.frame->linesize, 0, d.frame->height, planes, strides) != scaledH)
    return false;
  OrientPixels(pixels, scaledW, scaledH, orientation);
  return true;
}
