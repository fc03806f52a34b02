// Audio track decoding, PCM conversion and alignment.
#include "cli/audio_track.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <new>
#include <stdexcept>

namespace orvex_cli {
namespace {

AVSampleFormat swr_format(PcmLayout layout) {
  return layout == PcmLayout::S16   ? AV_SAMPLE_FMT_S16
         : layout == PcmLayout::S24 ? AV_SAMPLE_FMT_S32
                                    : AV_SAMPLE_FMT_FLT;
}

}  // namespace

AudioTrack::AudioTrack(const AVStream* stream, int stream_index, AudioTrackInfo out)
    : stream_index_(stream_index),
      time_base_(stream->time_base),
      out_(out),
      decoder_(open_decoder(stream)),
      frame_(alloc_frame()) {}

void AudioTrack::decode(const AVPacket* packet) {
  if (avcodec_send_packet(decoder_.get(), packet) < 0 && packet) ++damaged_packets_;
  for (;;) {
    const int got = avcodec_receive_frame(decoder_.get(), frame_.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
    if (got < 0) {
      ++damaged_packets_;
      return;
    }
    convert(*frame_);
    av_frame_unref(frame_.get());
  }
}

void AudioTrack::convert(const AVFrame& f) {
  if (!swr_ || f.format != in_format_ || f.sample_rate != in_rate_ ||
      av_channel_layout_compare(&f.ch_layout, &in_layout_) != 0) {
    // First frame, or the source's layout changed midway: (re)build the converter; the
    // output layout stays the track's.
    AVChannelLayout in_layout{}, out_layout{};
    if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      av_channel_layout_default(&in_layout, f.ch_layout.nb_channels);
    } else if (av_channel_layout_copy(&in_layout, &f.ch_layout) < 0) {
      throw std::bad_alloc();
    }
    if (int(out_.channels) == in_layout.nb_channels) {
      if (av_channel_layout_copy(&out_layout, &in_layout) < 0) throw std::bad_alloc();
    } else {
      av_channel_layout_default(&out_layout, static_cast<int>(out_.channels));
    }
    SwrContext* ctx = nullptr;
    int err = swr_alloc_set_opts2(&ctx, &out_layout, swr_format(out_.layout),
                                  static_cast<int>(out_.rate_hz), &in_layout,
                                  static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    av_channel_layout_uninit(&out_layout);
    if (err >= 0) err = swr_init(ctx);
    swr_.reset(ctx);
    if (err < 0) throw std::runtime_error("cannot convert the audio: " + av_error_text(err));
    in_format_ = f.format;
    in_rate_ = f.sample_rate;
    av_channel_layout_uninit(&in_layout_);
    if (av_channel_layout_copy(&in_layout_, &f.ch_layout) < 0) throw std::bad_alloc();
  }
  const int64_t pts = f.best_effort_timestamp;
  if (!have_first_) {
    have_first_ = true;
    first_sample_ = pts == AV_NOPTS_VALUE
                        ? 0
                        : av_rescale_q_rnd(pts, time_base_, AVRational{1, int(out_.rate_hz)},
                                           AV_ROUND_NEAR_INF);
    align();
  }
  if (pts != AV_NOPTS_VALUE) {
    decoded_end_ = pts + av_rescale_q(f.nb_samples, AVRational{1, f.sample_rate}, time_base_);
  }

  const int capacity = swr_get_out_samples(swr_.get(), f.nb_samples);
  if (capacity < 0)
    throw std::runtime_error("cannot convert the audio: " + av_error_text(capacity));
  const size_t sample_bytes = out_.layout == PcmLayout::S16 ? 2 : 4;
  converted_.resize(size_t(capacity) * out_.channels * sample_bytes);
  uint8_t* dst[1] = {converted_.data()};
  const int got = swr_convert(swr_.get(), dst, capacity,
                              const_cast<const uint8_t**>(f.extended_data), f.nb_samples);
  if (got < 0) throw std::runtime_error("cannot convert the audio: " + av_error_text(got));
  append(converted_.data(), size_t(got));
}

void AudioTrack::append(const uint8_t* data, size_t sample_frames) {
  const size_t sample_bytes = out_.layout == PcmLayout::S16 ? 2 : 4;  // as converted
  if (trim_left_ > 0) {
    const size_t skip = std::min<size_t>(sample_frames, static_cast<size_t>(trim_left_));
    trim_left_ -= static_cast<int64_t>(skip);
    data += skip * out_.channels * sample_bytes;
    sample_frames -= skip;
  }
  const size_t values = sample_frames * out_.channels;
  if (out_.layout != PcmLayout::S24) {
    ready_.insert(ready_.end(), data, data + values * sample_bytes);
    return;
  }
  // 24-bit little-endian: the top three bytes of each 32-bit sample.
  const size_t old = ready_.size();
  ready_.resize(old + values * 3);
  for (size_t i = 0; i < values; ++i) {
    ready_[old + 3 * i + 0] = data[4 * i + 1];
    ready_[old + 3 * i + 1] = data[4 * i + 2];
    ready_[old + 3 * i + 2] = data[4 * i + 3];
  }
}

void AudioTrack::set_origin(int64_t origin, AVRational time_base, double max_silence_s) {
  have_origin_ = true;
  origin_sample_ =
      av_rescale_q_rnd(origin, time_base, AVRational{1, int(out_.rate_hz)}, AV_ROUND_NEAR_INF);
  max_silence_s_ = max_silence_s;
  align();
}

void AudioTrack::align() {
  if (aligned_ || !have_first_ || !have_origin_) return;
  aligned_ = true;
  int64_t shift = first_sample_ - origin_sample_;
  const auto max_silence = static_cast<int64_t>(max_silence_s_ * out_.rate_hz);
  shift = std::min(shift, max_silence);
  shift_frames_ = shift;
  if (shift > 0) {
    // Silence is all-zero bytes in every layout written (signed integers and float).
    ready_.insert(ready_.begin(), static_cast<size_t>(shift) * out_.frame_bytes(), 0);
  } else if (shift < 0) {
    const int64_t have = static_cast<int64_t>(ready_.size() / out_.frame_bytes());
    const int64_t now = std::min(have, -shift);
    ready_.erase(ready_.begin(), ready_.begin() + now * out_.frame_bytes());
    trim_left_ = -shift - now;
  }
}

void AudioTrack::take(std::vector<uint8_t>& pcm) {
  pcm.clear();
  if (!aligned_) return;
  pcm.swap(ready_);
}

bool AudioTrack::reached(int64_t time, AVRational time_base) const {
  return decoded_end_ != AV_NOPTS_VALUE &&
         av_compare_ts(decoded_end_, time_base_, time, time_base) >= 0;
}

}  // namespace orvex_cli
