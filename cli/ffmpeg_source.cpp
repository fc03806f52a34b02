// FFmpeg input: demux, decode, convert to host frames and PCM.
#include "cli/ffmpeg_source.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <numeric>
#include <sstream>
#include <stdexcept>

#include "cli/cli_options.h"
#include "cli/interrupt.h"

namespace orvex_cli {
namespace {

std::string av_error_text(int err) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, buf, sizeof buf);
  return buf;
}

[[noreturn]] void fail(const std::string& message) {
  throw std::runtime_error(message);
}

const char* pix_fmt_name(int format) {
  const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(format));
  return name ? name : "?";
}

int interrupt_callback(void*) {
  return interrupt_requested() ? 1 : 0;
}

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

PcmLayout pcm_layout_for(AVSampleFormat fmt) {
  switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_U8:
    case AV_SAMPLE_FMT_S16:
      return PcmLayout::S16;
    case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S64:
      return PcmLayout::S24;
    default:
      return PcmLayout::F32;
  }
}

std::unique_ptr<AVCodecContext, CodecCloser> open_decoder(AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) fail(std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id));
  std::unique_ptr<AVCodecContext, CodecCloser> ctx(avcodec_alloc_context3(codec));
  if (!ctx) throw std::bad_alloc();
  int err = avcodec_parameters_to_context(ctx.get(), stream->codecpar);
  if (err >= 0) {
    ctx->thread_count = 0;
    ctx->pkt_timebase = stream->time_base;
    err = avcodec_open2(ctx.get(), codec, nullptr);
  }
  if (err < 0)
    fail(std::string("cannot open the ") + codec->name + " decoder: " + av_error_text(err));
  return ctx;
}

}  // namespace

struct FfmpegSource::State {
  SourceInfo info;
  std::unique_ptr<AVFormatContext, FormatCloser> format;
  std::unique_ptr<AVCodecContext, CodecCloser> video;
  std::unique_ptr<AVCodecContext, CodecCloser> audio;
  int video_index = -1;
  int audio_index = -1;
  std::unique_ptr<AVPacket, PacketCloser> packet{av_packet_alloc()};
  std::unique_ptr<AVFrame, FrameCloser> frame{av_frame_alloc()};
  std::unique_ptr<SwsContext, SwsCloser> sws;
  std::unique_ptr<SwrContext, SwrCloser> swr;
  bool demux_done = false;
  bool video_flushed = false;
  std::vector<uint8_t> host;  // the frame in host layout
  std::vector<uint8_t> wide;  // RGBA64LE from swscale, deep path only
  std::vector<uint8_t> pcm;   // converted audio waiting for take_audio
  std::vector<uint8_t> s32;   // swresample output before packing to 24 bits

  void convert_video(const AVFrame& f);
  void convert_audio(const AVFrame& f);
  void decode_audio_packet(const AVPacket* p);
};

FfmpegSource::FfmpegSource(const FfmpegInput& input) : state_(std::make_unique<State>()) {
  State& s = *state_;
  if (!s.packet || !s.frame) throw std::bad_alloc();
  av_log_set_level(AV_LOG_QUIET);

  const AVInputFormat* demuxer = nullptr;
  if (!input.format.empty()) {
    demuxer = av_find_input_format(input.format.c_str());
    if (!demuxer) throw UsageError("-f: unknown input format '" + input.format + "'");
  }
  const bool raw = demuxer && std::string(demuxer->name) == "rawvideo";
  AVDictionary* opts = nullptr;
  if (raw) {
    if (input.width_px == 0) throw UsageError("raw video input needs --size WxH");
    if (input.pix_fmt.empty()) throw UsageError("raw video input needs --pix-fmt");
    if (av_get_pix_fmt(input.pix_fmt.c_str()) == AV_PIX_FMT_NONE) {
      throw UsageError("--pix-fmt: unknown pixel format '" + input.pix_fmt + "'");
    }
    const std::string size = std::to_string(input.width_px) + "x" + std::to_string(input.height_px);
    av_dict_set(&opts, "video_size", size.c_str(), 0);
    av_dict_set(&opts, "pixel_format", input.pix_fmt.c_str(), 0);
    const FrameRate rate = input.rate.value_or(FrameRate{25, 1});
    const std::string r = std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator);
    av_dict_set(&opts, "framerate", r.c_str(), 0);
  } else if (!input.pix_fmt.empty() || input.width_px != 0) {
    throw UsageError("--pix-fmt and --size apply to raw video input (-f rawvideo)");
  }

  AVFormatContext* fc = avformat_alloc_context();
  if (!fc) throw std::bad_alloc();
  fc->interrupt_callback.callback = interrupt_callback;
  const std::string url = input.path == "-" ? "pipe:0" : input.path;
  int err = avformat_open_input(&fc, url.c_str(), demuxer, &opts);
  av_dict_free(&opts);
  if (err < 0) fail("cannot read '" + input.path + "': " + av_error_text(err));
  s.format.reset(fc);
  err = avformat_find_stream_info(fc, nullptr);
  if (err < 0) fail("cannot read '" + input.path + "': " + av_error_text(err));

  s.video_index = av_find_best_stream(fc, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (s.video_index < 0) fail("'" + input.path + "' has no video stream");
  AVStream* vs = fc->streams[s.video_index];
  const AVCodecParameters* vp = vs->codecpar;
  if (vp->width <= 0 || vp->height <= 0 || vp->width > int(kMaxFrameSide_px) ||
      vp->height > int(kMaxFrameSide_px)) {
    std::ostringstream m;
    m << "frame size " << vp->width << "x" << vp->height << " is outside 1x1.." << kMaxFrameSide_px
      << "x" << kMaxFrameSide_px;
    fail(m.str());
  }
  s.video = open_decoder(vs);
  s.info.width_px = static_cast<uint32_t>(vp->width);
  s.info.height_px = static_cast<uint32_t>(vp->height);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(vp->format));
  if (!desc) fail("'" + input.path + "': unknown pixel format");
  int max_depth = 0;
  for (int c = 0; c < desc->nb_components; ++c)
    max_depth = std::max(max_depth, desc->comp[c].depth);
  s.info.deep = max_depth > 8;
  s.info.alpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;

  AVRational r = vs->avg_frame_rate;
  if (r.num <= 0 || r.den <= 0) r = vs->r_frame_rate;
  if (r.num <= 0 || r.den <= 0) r = AVRational{25, 1};
  const int g = std::gcd(r.num, r.den);
  s.info.rate = input.rate.value_or(
      FrameRate{static_cast<uint32_t>(r.num / g), static_cast<uint32_t>(r.den / g)});
  s.info.frame_count = vs->nb_frames > 0 ? static_cast<uint64_t>(vs->nb_frames) : 0;

  if (input.audio) {
    s.audio_index = av_find_best_stream(fc, AVMEDIA_TYPE_AUDIO, -1, s.video_index, nullptr, 0);
    if (s.audio_index >= 0) {
      AVStream* as = fc->streams[s.audio_index];
      const int channels = as->codecpar->ch_layout.nb_channels;
      if (channels > 0 && as->codecpar->sample_rate > 0) {
        s.audio = open_decoder(as);
        s.info.audio_channels = static_cast<uint32_t>(channels);
        s.info.audio_rate_hz = static_cast<uint32_t>(as->codecpar->sample_rate);
        s.info.audio_layout = pcm_layout_for(static_cast<AVSampleFormat>(as->codecpar->format));
      } else {
        s.audio_index = -1;
      }
    }
  }
  for (unsigned i = 0; i < fc->nb_streams; ++i) {
    if (int(i) != s.video_index && int(i) != s.audio_index) fc->streams[i]->discard = AVDISCARD_ALL;
  }
}

FfmpegSource::~FfmpegSource() = default;

const SourceInfo& FfmpegSource::info() const {
  return state_->info;
}

void FfmpegSource::State::convert_video(const AVFrame& f) {
  if (f.width != int(info.width_px) || f.height != int(info.height_px)) {
    std::ostringstream m;
    m << "the frame size changed from " << info.width_px << "x" << info.height_px << " to "
      << f.width << "x" << f.height;
    fail(m.str());
  }
  const int w = f.width, h = f.height;
  const AVPixelFormat dst_fmt = info.deep ? AV_PIX_FMT_RGBA64LE : AV_PIX_FMT_ARGB;
  sws.reset(sws_getCachedContext(sws.release(), w, h, static_cast<AVPixelFormat>(f.format), w, h,
                                 dst_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!sws) fail("cannot convert pixels from " + std::string(pix_fmt_name(f.format)));
  const int* coeffs =
      sws_getCoefficients(f.colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : f.colorspace);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f.format));
  const bool is_rgb = desc && (desc->flags & AV_PIX_FMT_FLAG_RGB);
  // Grey without chroma is full range unless tagged otherwise, as ffmpeg itself reads it.
  const bool is_grey = desc && !is_rgb && desc->nb_components <= 2;
  const int src_full = is_rgb || f.color_range == AVCOL_RANGE_JPEG ||
                       (is_grey && f.color_range != AVCOL_RANGE_MPEG) ||
                       f.format == AV_PIX_FMT_YUVJ420P || f.format == AV_PIX_FMT_YUVJ422P ||
                       f.format == AV_PIX_FMT_YUVJ444P;
  sws_setColorspaceDetails(sws.get(), coeffs, src_full, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                           1 << 16, 1 << 16);

  const size_t row_bytes = (size_t(w) * (info.deep ? 8 : 4) + 31) & ~size_t{31};
  host.resize(row_bytes * h);
  if (!info.deep) {
    uint8_t* dst[4] = {host.data(), nullptr, nullptr, nullptr};
    int dst_stride[4] = {static_cast<int>(row_bytes), 0, 0, 0};
    sws_scale(sws.get(), f.data, f.linesize, 0, h, dst, dst_stride);
    return;
  }
  // swscale has no 16-bit ARGB; convert to RGBA64LE, then reorder and rescale to 0..32768.
  wide.resize(row_bytes * h);
  uint8_t* dst[4] = {wide.data(), nullptr, nullptr, nullptr};
  int dst_stride[4] = {static_cast<int>(row_bytes), 0, 0, 0};
  sws_scale(sws.get(), f.data, f.linesize, 0, h, dst, dst_stride);
  auto load = [](const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); };
  auto store = [](uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
  };
  for (int y = 0; y < h; ++y) {
    const uint8_t* in = wide.data() + row_bytes * y;
    uint8_t* out = host.data() + row_bytes * y;
    for (int x = 0; x < w; ++x, in += 8, out += 8) {
      store(out + 0, to_host16(load(in + 6)));  // A
      store(out + 2, to_host16(load(in + 0)));  // R
      store(out + 4, to_host16(load(in + 2)));  // G
      store(out + 6, to_host16(load(in + 4)));  // B
    }
  }
}

void FfmpegSource::State::convert_audio(const AVFrame& f) {
  if (!swr) {
    AVChannelLayout layout;
    if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&layout, f.ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&layout, &f.ch_layout) < 0) {
      throw std::bad_alloc();
    }
    const AVSampleFormat out_fmt = info.audio_layout == PcmLayout::S16   ? AV_SAMPLE_FMT_S16
                                   : info.audio_layout == PcmLayout::S24 ? AV_SAMPLE_FMT_S32
                                                                         : AV_SAMPLE_FMT_FLT;
    SwrContext* ctx = nullptr;
    int err = swr_alloc_set_opts2(&ctx, &layout, out_fmt, f.sample_rate, &layout,
                                  static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&layout);
    if (err >= 0) err = swr_init(ctx);
    swr.reset(ctx);
    if (err < 0) fail("cannot convert the audio: " + av_error_text(err));
  }
  if (f.ch_layout.nb_channels != int(info.audio_channels) ||
      f.sample_rate != int(info.audio_rate_hz)) {
    fail("the audio layout changed in the middle of the input");
  }
  const size_t channels = info.audio_channels;
  const int capacity = swr_get_out_samples(swr.get(), f.nb_samples);
  if (capacity < 0) fail("cannot convert the audio");
  const size_t sample_bytes = info.audio_layout == PcmLayout::S16 ? 2 : 4;
  s32.resize(size_t(capacity) * channels * sample_bytes);
  uint8_t* out[1] = {s32.data()};
  const int got = swr_convert(swr.get(), out, capacity,
                              const_cast<const uint8_t**>(f.extended_data), f.nb_samples);
  if (got < 0) fail("cannot convert the audio: " + av_error_text(got));
  const size_t values = size_t(got) * channels;
  if (info.audio_layout != PcmLayout::S24) {
    pcm.insert(pcm.end(), s32.data(), s32.data() + values * sample_bytes);
    return;
  }
  // 24-bit little-endian: the top three bytes of each 32-bit sample.
  const size_t old = pcm.size();
  pcm.resize(old + values * 3);
  for (size_t i = 0; i < values; ++i) {
    pcm[old + 3 * i + 0] = s32[4 * i + 1];
    pcm[old + 3 * i + 1] = s32[4 * i + 2];
    pcm[old + 3 * i + 2] = s32[4 * i + 3];
  }
}

void FfmpegSource::State::decode_audio_packet(const AVPacket* p) {
  if (avcodec_send_packet(audio.get(), p) < 0) return;  // a damaged packet is skipped
  while (avcodec_receive_frame(audio.get(), frame.get()) >= 0) {
    convert_audio(*frame);
    av_frame_unref(frame.get());
  }
}

bool FfmpegSource::read_frame(HostFrame& out) {
  State& s = *state_;
  for (;;) {
    const int got = avcodec_receive_frame(s.video.get(), s.frame.get());
    if (got >= 0) {
      s.convert_video(*s.frame);
      av_frame_unref(s.frame.get());
      out.pixels = s.host.data();
      out.row_bytes = s.host.size() / s.info.height_px;
      return true;
    }
    if (got == AVERROR_EOF) return false;
    if (got != AVERROR(EAGAIN)) fail("cannot decode the video: " + av_error_text(got));
    if (s.demux_done) {
      if (s.video_flushed) return false;
      avcodec_send_packet(s.video.get(), nullptr);
      s.video_flushed = true;
      continue;
    }
    const int err = av_read_frame(s.format.get(), s.packet.get());
    if (err < 0) {
      if (err != AVERROR_EOF && err != AVERROR_EXIT && !interrupt_requested() &&
          err != AVERROR(EAGAIN)) {
        // A truncated tail ends the input like ffmpeg does; anything else is reported.
        if (err != AVERROR_INVALIDDATA) fail("cannot read the input: " + av_error_text(err));
      }
      s.demux_done = true;
      if (s.audio) s.decode_audio_packet(nullptr);
      continue;
    }
    if (s.packet->stream_index == s.video_index) {
      avcodec_send_packet(s.video.get(), s.packet.get());  // errors: damaged packet, skipped
    } else if (s.packet->stream_index == s.audio_index) {
      s.decode_audio_packet(s.packet.get());
    }
    av_packet_unref(s.packet.get());
  }
}

void FfmpegSource::take_audio(std::vector<uint8_t>& pcm) {
  pcm.swap(state_->pcm);
  state_->pcm.clear();
}

}  // namespace orvex_cli
