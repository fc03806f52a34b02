// FFmpeg helpers of the source reader.
#include "cli/av_support.h"

#include <new>
#include <stdexcept>

namespace orvex_cli {

std::string av_error_text(int err) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, buf, sizeof buf);
  return buf;
}

CodecPtr open_decoder(const AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) {
    throw std::runtime_error(std::string("no decoder for ") +
                             avcodec_get_name(stream->codecpar->codec_id));
  }
  CodecPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) throw std::bad_alloc();
  int err = avcodec_parameters_to_context(ctx.get(), stream->codecpar);
  if (err >= 0) {
    ctx->thread_count = 0;
    ctx->pkt_timebase = stream->time_base;
    err = avcodec_open2(ctx.get(), codec, nullptr);
  }
  if (err < 0) {
    throw std::runtime_error(std::string("cannot open the ") + codec->name +
                             " decoder: " + av_error_text(err));
  }
  return ctx;
}

FramePtr alloc_frame() {
  FramePtr f(av_frame_alloc());
  if (!f) throw std::bad_alloc();
  return f;
}

}  // namespace orvex_cli
