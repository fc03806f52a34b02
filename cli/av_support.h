#pragma once
// Small helpers over FFmpeg's C API shared by the source reader's files: owners of the library's
// objects (freed with the library's own functions) and error texts.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace orvex_cli {

struct FormatCloser {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameCloser {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketCloser {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrCloser {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct SwsCloser {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameCloser>;

// av_strerror's text of a negative error code.
std::string av_error_text(int err);

// A decoder for `stream`, opened with its parameters and frame threads. Throws
// std::runtime_error naming the codec when there is none or it cannot open.
CodecPtr open_decoder(const AVStream* stream);

// A frame that owns nothing yet. Throws std::bad_alloc.
FramePtr alloc_frame();

}  // namespace orvex_cli
