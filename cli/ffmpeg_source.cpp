// FFmpeg input: demux, decode, place at the output rate, convert to host frames and PCM.
#include "cli/ffmpeg_source.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <sstream>
#include <stdexcept>

#include "cli/audio_track.h"
#include "cli/av_support.h"
#include "cli/frame_timing.h"
#include "cli/interrupt.h"
#include "cli/video_converter.h"

namespace orvex_cli {
namespace {

// swresample's channel limit (SWR_CH_MAX).
constexpr int kMaxAudioChannels = 64;
// The movie holds at most this many audio tracks.
constexpr size_t kMaxAudioTracks = 64;

[[noreturn]] void fail(const std::string& message) {
  throw std::runtime_error(message);
}

int interrupt_callback(void*) {
  return interrupt_requested() ? 1 : 0;
}

// libav's own log lines would break the progress line; failures reach the user as messages.
void silent_log(void*, int, const char*, va_list) {}

std::string size_text(int64_t w, int64_t h) {
  return std::to_string(w) + "x" + std::to_string(h);
}

// libav decoders refuse pictures whose (8 x width + 1024) x (height + 128) bytes reach 2^31:
// about 16000 x 16000 pixels. Checked up front: libav itself only says "Invalid argument".
void check_decoder_size(int64_t w, int64_t h) {
  if (av_image_check_size2(static_cast<unsigned>(w), static_cast<unsigned>(h), INT64_MAX,
                           AV_PIX_FMT_NONE, 0, nullptr) < 0) {
    fail("frames of " + size_text(w, h) +
         " are above what FFmpeg's decoders accept (about 16000x16000: (8 x width + 1024) x "
         "(height + 128) must stay below 2^31)");
  }
}

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

ColourOverrides colour_overrides(const FfmpegInput& in) {
  ColourOverrides o;
  switch (in.matrix) {
    case ColourMatrix::Bt601:
      o.matrix = AVCOL_SPC_BT470BG;
      break;
    case ColourMatrix::Bt709:
      o.matrix = AVCOL_SPC_BT709;
      break;
    case ColourMatrix::Bt2020:
      o.matrix = AVCOL_SPC_BT2020_NCL;
      break;
    case ColourMatrix::Source:
      break;
  }
  if (in.range != ColourRange::Source) o.full_range = in.range == ColourRange::Pc;
  return o;
}

// The source's start timecode: the video stream's tag, another stream's (a tmcd track), or the
// container's.
std::string find_timecode(const AVFormatContext* fc, const AVStream* video) {
  const char* key = "timecode";
  if (const AVDictionaryEntry* e = av_dict_get(video->metadata, key, nullptr, 0)) return e->value;
  for (unsigned i = 0; i < fc->nb_streams; ++i) {
    if (const AVDictionaryEntry* e = av_dict_get(fc->streams[i]->metadata, key, nullptr, 0))
      return e->value;
  }
  if (const AVDictionaryEntry* e = av_dict_get(fc->metadata, key, nullptr, 0)) return e->value;
  return "";
}

std::string plural(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string seconds_text(double s) {
  std::ostringstream t;
  t.setf(std::ios::fixed);
  t.precision(3);
  t << s << " s";
  return t.str();
}

}  // namespace

struct FfmpegSource::State {
  SourceInfo info;
  std::string path;
  std::unique_ptr<AVFormatContext, FormatCloser> format;
  CodecPtr video;
  int video_index = -1;
  AVRational video_tb{1, 1};
  std::vector<std::unique_ptr<AudioTrack>> tracks;
  std::vector<int> track_of_stream;     // stream index -> track, -1 when discarded
  std::vector<uint32_t> track_numbers;  // the source's audio track number of each track
  std::unique_ptr<AVPacket, PacketCloser> packet{av_packet_alloc()};
  bool have_packet = false;  // `packet` holds a video packet the decoder did not take yet
  FramePtr decoded = alloc_frame();
  FramePtr pending = alloc_frame();  // decoded, waiting for the next frame's start
  bool have_pending = false;
  std::unique_ptr<VideoConverter> converter;
  FramePlacer placer;
  HostFrame current;
  uint64_t repeats_left = 0;
  uint64_t emitted = 0;
  uint64_t limit = std::numeric_limits<uint64_t>::max();
  bool start_given = false;
  int64_t start_ts = 0;  // --start in video_tb
  bool have_origin = false;
  int64_t origin = 0;            // the output's time 0 in video_tb
  int64_t next_pts = 0;          // expected start of the next frame, for frames without one
  int64_t pending_end = 0;       // end of the pending frame in video_tb
  int64_t default_duration = 1;  // one frame at the source's rate, in video_tb
  double max_silence_s = 3600;
  bool demux_done = false, video_flushed = false, video_done = false, finished = false;
  // Damage accounting.
  uint64_t expected_packets = 0;  // the container's frame count (0: unknown)
  uint64_t video_packets = 0;
  uint64_t decode_errors = 0;
  std::string first_error;
  std::string read_error;
  uint64_t corrupt_packets = 0;  // packets the demuxer marks as incomplete (a cut file)
  uint64_t duplicated = 0;
  int first_width = 0, first_height = 0;  // the decoded size frames are converted to
  bool size_changed = false;
  std::vector<std::string> warnings;

  int64_t to_slot(int64_t ticks) const {
    return av_rescale_q_rnd(
        ticks, video_tb,
        AVRational{static_cast<int>(info.rate.denominator), static_cast<int>(info.rate.numerator)},
        static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
  }
  uint64_t lost() const {
    uint64_t unread = 0;
    const bool cut_short = !read_error.empty() || corrupt_packets != 0;
    if (cut_short && !start_given && emitted < limit && expected_packets > video_packets)
      unread = expected_packets - video_packets;
    return decode_errors + unread;
  }
  void note_decode_error(int err) {
    ++decode_errors;
    if (first_error.empty()) first_error = av_error_text(err);
  }
  bool read_video_packet();
  bool decode_video(AVFrame* out);
  void set_origin(int64_t ts);
  void drain_audio();
  void finish();
};

FfmpegSource::FfmpegSource(const FfmpegInput& input) : state_(std::make_unique<State>()) {
  State& s = *state_;
  if (!s.packet) throw std::bad_alloc();
  av_log_set_callback(silent_log);
  s.path = input.path;

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
    const AVPixelFormat pf = av_get_pix_fmt(input.pix_fmt.c_str());
    if (pf == AV_PIX_FMT_NONE) {
      throw UsageError("--pix-fmt: unknown pixel format '" + input.pix_fmt + "'");
    }
    if (av_pix_fmt_desc_get(pf)->flags & AV_PIX_FMT_FLAG_HWACCEL) {
      throw UsageError("--pix-fmt: '" + input.pix_fmt +
                       "' is a hardware pixel format; raw frames need a software one such as "
                       "rgb24, rgba or yuv420p");
    }
    if (!sws_isSupportedInput(pf)) {
      throw UsageError("--pix-fmt: '" + input.pix_fmt + "' cannot be converted to RGB");
    }
    check_decoder_size(input.width_px, input.height_px);
    av_dict_set(&opts, "video_size", size_text(input.width_px, input.height_px).c_str(), 0);
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
  const bool seekable = fc->pb && (fc->pb->seekable & AVIO_SEEKABLE_NORMAL);

  s.video_index = av_find_best_stream(fc, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (s.video_index < 0) fail("'" + input.path + "' has no video stream");
  AVStream* vs = fc->streams[s.video_index];
  const AVCodecParameters* vp = vs->codecpar;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(vp->format));
  if (!desc && !seekable && std::string(fc->iformat->name).rfind("mov", 0) == 0) {
    // The index of such a file follows its media: the demuxer found it only after the media
    // had gone by, and a pipe cannot go back.
    fail("'" + input.path +
         "' is an MP4/QuickTime stream with its index at the end: reading it needs seeking, "
         "which a pipe cannot do; give the file's path, or remux it with ffmpeg -movflags "
         "+faststart");
  }
  if (vp->width <= 0 || vp->height <= 0 || vp->width > int(kMaxFrameSide_px) ||
      vp->height > int(kMaxFrameSide_px)) {
    std::ostringstream m;
    m << "frame size " << vp->width << "x" << vp->height << " is outside 1x1.." << kMaxFrameSide_px
      << "x" << kMaxFrameSide_px;
    fail(m.str());
  }
  check_decoder_size(vp->width, vp->height);
  if (!desc) fail("'" + input.path + "': unknown pixel format");
  if (desc->flags & AV_PIX_FMT_FLAG_HWACCEL) {
    fail("'" + input.path + "': the video is in a hardware pixel format (" + desc->name + ")");
  }
  s.video = open_decoder(vs);
  s.video_tb = vs->time_base;
  int max_depth = 0;
  for (int c = 0; c < desc->nb_components; ++c)
    max_depth = std::max(max_depth, desc->comp[c].depth);
  s.info.deep = max_depth > 8;
  s.info.alpha = (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;

  // Geometry: the rotation players apply, and the pixel aspect ratio.
  Rotation rotation = Rotation::None;
  if (input.autorotate) {
    const auto* matrix = reinterpret_cast<const int32_t*>(
        av_stream_get_side_data(vs, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    if (const std::optional<Rotation> r = rotation_of(matrix)) {
      rotation = *r;
    } else {
      s.warnings.push_back("the video asks for a rotation that is not a quarter turn (" +
                           std::to_string(std::lround(-av_display_rotation_get(matrix))) +
                           " degrees); it is left unrotated");
    }
  }
  const bool turned = rotation == Rotation::Quarter || rotation == Rotation::ThreeQuarters;
  s.info.width_px = static_cast<uint32_t>(turned ? vp->height : vp->width);
  s.info.height_px = static_cast<uint32_t>(turned ? vp->width : vp->height);
  AVRational sar = av_guess_sample_aspect_ratio(fc, vs, nullptr);
  if (sar.num > 0 && sar.den > 0 && sar.num != sar.den) {
    if (turned) std::swap(sar.num, sar.den);
    av_reduce(&sar.num, &sar.den, sar.num, sar.den, std::numeric_limits<int>::max());
    s.info.par_num = static_cast<uint32_t>(sar.num);
    s.info.par_den = static_cast<uint32_t>(sar.den);
  }
  s.first_width = vp->width;
  s.first_height = vp->height;
  s.converter = std::make_unique<VideoConverter>(static_cast<uint32_t>(vp->width),
                                                 static_cast<uint32_t>(vp->height), s.info.deep,
                                                 rotation, colour_overrides(input));

  // Timing: the output rate, one source frame's length, the expected output length.
  AVRational source_rate = vs->avg_frame_rate;
  if (source_rate.num <= 0 || source_rate.den <= 0) source_rate = vs->r_frame_rate;
  if (source_rate.num <= 0 || source_rate.den <= 0) source_rate = AVRational{25, 1};
  av_reduce(&source_rate.num, &source_rate.den, source_rate.num, source_rate.den,
            std::numeric_limits<int>::max());
  s.info.rate = raw ? input.rate.value_or(FrameRate{25, 1})
                    : input.rate.value_or(FrameRate{static_cast<uint32_t>(source_rate.num),
                                                    static_cast<uint32_t>(source_rate.den)});
  s.default_duration = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(source_rate), s.video_tb));
  const double rate = double(s.info.rate.numerator) / s.info.rate.denominator;
  if (input.max_frames != 0) s.limit = input.max_frames;
  if (input.duration_s) {
    s.limit = std::min<uint64_t>(
        s.limit,
        std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(*input.duration_s * rate))));
  }
  double length_s = 0;
  if (vs->duration > 0 && vs->duration != AV_NOPTS_VALUE) {
    length_s = vs->duration * av_q2d(vs->time_base);
  } else if (fc->duration > 0) {
    length_s = fc->duration / double(AV_TIME_BASE);
  }
  if (input.start_s) length_s = std::max(0.0, length_s - *input.start_s);
  if (length_s > 0) {
    s.info.frame_count = std::min<uint64_t>(s.limit, std::llround(length_s * rate));
    s.max_silence_s = length_s + 1;
  } else if (s.limit != std::numeric_limits<uint64_t>::max()) {
    s.info.frame_count = s.limit;
  }
  s.expected_packets = vs->nb_frames > 0 ? static_cast<uint64_t>(vs->nb_frames) : 0;

  if (input.start_s) {
    s.start_given = true;
    const int64_t file_start = fc->start_time == AV_NOPTS_VALUE ? 0 : fc->start_time;
    const int64_t target =
        file_start + static_cast<int64_t>(std::llround(*input.start_s * AV_TIME_BASE));
    s.start_ts = av_rescale_q(target, AV_TIME_BASE_Q, s.video_tb);
    // Without a seekable input (or when seeking fails) the frames before are decoded and
    // left out.
    if (seekable) avformat_seek_file(fc, -1, INT64_MIN, target, target, 0);
  }
  s.info.timecode = find_timecode(fc, vs);

  // Audio: every decodable track, or the one asked for.
  s.track_of_stream.assign(fc->nb_streams, -1);
  if (input.audio) {
    std::vector<int> streams;
    for (unsigned i = 0; i < fc->nb_streams; ++i) {
      const AVCodecParameters* p = fc->streams[i]->codecpar;
      if (p->codec_type == AVMEDIA_TYPE_AUDIO) streams.push_back(int(i));
    }
    if (input.audio_track) {
      if (*input.audio_track >= streams.size()) {
        throw UsageError(
            "--audio-track " + std::to_string(*input.audio_track) + ": '" + input.path + "' has " +
            plural(streams.size(), "audio track", "audio tracks") +
            (streams.empty() ? "" : " (0-" + std::to_string(streams.size() - 1) + ")"));
      }
      streams = {streams[*input.audio_track]};
    }
    for (size_t n = 0; n < streams.size(); ++n) {
      const AVStream* as = fc->streams[streams[n]];
      const AVCodecParameters* p = as->codecpar;
      const uint32_t number = input.audio_track.value_or(static_cast<uint32_t>(n));
      const std::string name = "audio track " + std::to_string(number);
      if (p->ch_layout.nb_channels <= 0 || p->sample_rate <= 0 ||
          !avcodec_find_decoder(p->codec_id)) {
        s.warnings.push_back(name + " (" + avcodec_get_name(p->codec_id) +
                             ") cannot be decoded; it is left out");
        continue;
      }
      if (p->ch_layout.nb_channels > kMaxAudioChannels) {
        fail(name + " has " + std::to_string(p->ch_layout.nb_channels) +
             " channels; at most 64 channels a track are supported (leave it out with "
             "--audio-track or --no-audio)");
      }
      if (s.tracks.size() == kMaxAudioTracks) {
        s.warnings.push_back("a movie holds at most 64 audio tracks; " + name +
                             " and the ones after it are left out");
        break;
      }
      AudioTrackInfo out;
      out.channels = static_cast<uint32_t>(p->ch_layout.nb_channels);
      out.rate_hz = static_cast<uint32_t>(p->sample_rate);
      out.layout =
          input.audio_format.value_or(pcm_layout_for(static_cast<AVSampleFormat>(p->format)));
      s.track_of_stream[streams[n]] = static_cast<int>(s.tracks.size());
      s.tracks.push_back(std::make_unique<AudioTrack>(as, streams[n], out));
      s.track_numbers.push_back(number);
      s.info.audio.push_back(out);
    }
  }
  for (unsigned i = 0; i < fc->nb_streams; ++i) {
    if (int(i) != s.video_index && s.track_of_stream[i] < 0) {
      fc->streams[i]->discard = AVDISCARD_ALL;
    }
  }
}

FfmpegSource::~FfmpegSource() = default;

const SourceInfo& FfmpegSource::info() const {
  return state_->info;
}

// Reads packets until a video packet (kept in `packet`); audio packets on the way are
// decoded. Returns false at the end of the input, which a read error also is.
bool FfmpegSource::State::read_video_packet() {
  while (!demux_done) {
    const int err = av_read_frame(format.get(), packet.get());
    if (err == AVERROR(EAGAIN)) continue;
    if (err < 0) {
      if (err != AVERROR_EOF && err != AVERROR_EXIT && !interrupt_requested()) {
        read_error = av_error_text(err);
      }
      demux_done = true;
      for (auto& t : tracks) t->decode(nullptr);
      return false;
    }
    if (packet->flags & AV_PKT_FLAG_CORRUPT) ++corrupt_packets;
    if (packet->stream_index == video_index) {
      ++video_packets;
      return true;
    }
    const int t = packet->stream_index < int(track_of_stream.size())
                      ? track_of_stream[packet->stream_index]
                      : -1;
    if (t >= 0) tracks[t]->decode(packet.get());
    av_packet_unref(packet.get());
  }
  return false;
}

// The next decoded video frame. Damaged packets are counted and skipped.
bool FfmpegSource::State::decode_video(AVFrame* out) {
  for (;;) {
    const int got = avcodec_receive_frame(video.get(), out);
    if (got >= 0) return true;
    if (got == AVERROR_EOF) return false;
    if (got != AVERROR(EAGAIN)) note_decode_error(got);
    if (!have_packet) {
      if (!read_video_packet()) {
        if (video_flushed) return false;
        avcodec_send_packet(video.get(), nullptr);
        video_flushed = true;
        continue;
      }
      have_packet = true;
    }
    const int sent = avcodec_send_packet(video.get(), packet.get());
    if (sent == AVERROR(EAGAIN)) continue;  // frames first; the packet waits
    av_packet_unref(packet.get());
    have_packet = false;
    if (sent < 0 && sent != AVERROR_EOF) note_decode_error(sent);
  }
}

void FfmpegSource::State::set_origin(int64_t ts) {
  have_origin = true;
  origin = ts;
  for (auto& t : tracks) t->set_origin(origin, video_tb, max_silence_s);
}

// After the last frame: decode the audio up to the end of the video.
void FfmpegSource::State::drain_audio() {
  if (tracks.empty() || !have_origin) return;
  const int64_t end = origin + av_rescale_q(static_cast<int64_t>(emitted),
                                            AVRational{static_cast<int>(info.rate.denominator),
                                                       static_cast<int>(info.rate.numerator)},
                                            video_tb);
  // Interleaving keeps streams within about a second; stop reading two seconds later.
  const int64_t stop = end + av_rescale_q(2, AVRational{1, 1}, video_tb);
  while (!demux_done) {
    if (std::all_of(tracks.begin(), tracks.end(),
                    [&](const auto& t) { return t->reached(end, video_tb); })) {
      return;
    }
    if (interrupt_requested()) return;
    const int err = av_read_frame(format.get(), packet.get());
    if (err == AVERROR(EAGAIN)) continue;
    if (err < 0) {
      demux_done = true;
      for (auto& t : tracks) t->decode(nullptr);
      return;
    }
    const AVStream* st = format->streams[packet->stream_index];
    const int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    const bool late = ts != AV_NOPTS_VALUE && av_compare_ts(ts, st->time_base, stop, video_tb) > 0;
    const int t = track_of_stream[packet->stream_index];
    if (t >= 0) tracks[t]->decode(packet.get());
    av_packet_unref(packet.get());
    if (late) return;
  }
}

void FfmpegSource::State::finish() {
  if (finished) return;
  finished = true;
  drain_audio();
  const uint64_t lost_frames = lost();
  if (emitted == 0) {
    if (decode_errors != 0) fail("cannot decode the video: " + first_error);
    if (!read_error.empty()) fail("cannot read '" + path + "': " + read_error);
    if (start_given) fail("'" + path + "' has no video frames after the --start time");
  }
  if (lost_frames != 0) {
    const std::string why = !first_error.empty() ? first_error : read_error;
    warnings.push_back("the input is damaged: " +
                       plural(lost_frames, "frame could not be read or decoded",
                              "frames could not be read or decoded") +
                       (why.empty() ? "" : " (" + why + ")"));
  } else if (!read_error.empty()) {
    warnings.push_back("the input ends early: " + read_error);
  }
  for (size_t i = 0; i < tracks.size(); ++i) {
    const AudioTrack& t = *tracks[i];
    const std::string name = "audio track " + std::to_string(track_numbers[i]);
    if (t.damaged_packets() != 0) {
      warnings.push_back(name + ": " +
                         plural(t.damaged_packets(), "damaged packet", "damaged packets") +
                         " left out");
    }
    const double trimmed_s = -double(t.shift_frames()) / t.out().rate_hz;
    if (!start_given && trimmed_s >= 0.010) {
      warnings.push_back(name + " starts " + seconds_text(trimmed_s) +
                         " before the first video frame; that part is left out");
    }
  }
}

bool FfmpegSource::read_frame(HostFrame& out) {
  State& s = *state_;
  if (s.emitted >= s.limit) {
    s.finish();
    return false;
  }
  if (s.repeats_left > 0) {
    --s.repeats_left;
    ++s.emitted;
    ++s.duplicated;
    out = s.current;
    return true;
  }
  while (!s.video_done) {
    const bool got = s.decode_video(s.decoded.get());
    uint64_t count = 0;
    if (got) {
      AVFrame& f = *s.decoded;
      int64_t pts = f.best_effort_timestamp;
      if (pts == AV_NOPTS_VALUE) pts = s.next_pts;
      if (!s.have_origin) s.set_origin(s.start_given ? s.start_ts : pts);
      s.next_pts = pts + (f.pkt_duration > 0 ? f.pkt_duration : s.default_duration);
      count = s.placer.next(s.to_slot(pts - s.origin));
    } else {
      s.video_done = true;
      if (!s.have_pending) break;
      count = s.placer.end(s.to_slot(s.pending_end - s.origin));
    }
    if (count > 0) {
      if (!s.converter->convert(*s.pending, s.current) && !s.size_changed) {
        s.size_changed = true;
        s.warnings.push_back("the frame size changes from " +
                             size_text(s.first_width, s.first_height) + " to " +
                             size_text(s.pending->width, s.pending->height) +
                             " midway; such frames are scaled to the first size");
      }
    }
    av_frame_unref(s.pending.get());
    if (got) {
      std::swap(s.pending, s.decoded);
      s.have_pending = true;
      s.pending_end = s.next_pts;
    } else {
      s.have_pending = false;
    }
    if (count > 0) {
      s.repeats_left = count - 1;
      ++s.emitted;
      out = s.current;
      return true;
    }
  }
  s.finish();
  return false;
}

void FfmpegSource::take_audio(uint32_t track, std::vector<uint8_t>& pcm) {
  state_->tracks.at(track)->take(pcm);
}

SourceReport FfmpegSource::report() const {
  const State& s = *state_;
  SourceReport r;
  r.duplicated = s.duplicated;
  r.dropped = s.placer.dropped();
  r.lost = s.lost();
  r.warnings = s.warnings;
  return r;
}

}  // namespace orvex_cli
