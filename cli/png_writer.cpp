// PNG output through libavcodec.
#include "cli/png_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "cli/av_support.h"

namespace orvex_cli {

void write_png(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
               uint32_t channels) {
  const auto fail = [&](const std::string& why) {
    throw std::runtime_error("cannot write '" + path + "': " + why);
  };
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
  if (!codec) fail("no PNG encoder");
  std::unique_ptr<AVCodecContext, CodecCloser> ctx(avcodec_alloc_context3(codec));
  std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
  if (!ctx || !frame || !packet) throw std::bad_alloc();
  const AVPixelFormat format = channels == 1   ? AV_PIX_FMT_GRAY8
                               : channels == 3 ? AV_PIX_FMT_RGB24
                                               : AV_PIX_FMT_RGBA;
  ctx->width = static_cast<int>(width);
  ctx->height = static_cast<int>(height);
  ctx->pix_fmt = format;
  ctx->time_base = AVRational{1, 25};
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) fail("cannot open the PNG encoder");
  frame->format = format;
  frame->width = ctx->width;
  frame->height = ctx->height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) throw std::bad_alloc();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
    const uint8_t* src = rgba + size_t{y} * width * 4;
    for (uint32_t x = 0; x < width; ++x)
      for (uint32_t c = 0; c < channels; ++c) row[x * channels + c] = src[x * 4 + c];
  }
  if (avcodec_send_frame(ctx.get(), frame.get()) < 0 ||
      avcodec_receive_packet(ctx.get(), packet.get()) < 0) {
    fail("the PNG encoder failed");
  }
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) fail(std::strerror(errno));
  const bool written = std::fwrite(packet->data, 1, packet->size, out) == size_t(packet->size);
  const int write_errno = errno;
  if (std::fclose(out) != 0 || !written) {
    std::remove(path.c_str());
    fail(std::strerror(written ? errno : write_errno));
  }
}

}  // namespace orvex_cli
