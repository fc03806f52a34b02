// One-second audio groups reserved between video samples, and each track's chunk written into
// its place.
#include "VIDEO/audio_interleaver.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <sstream>

namespace {

void check_format(const AudioTrackFormat& f) {
  if (f.sample_rate_hz == 0) throw std::runtime_error("Invalid 0 frequency");
  if (f.sample_rate_hz < 0) {
    std::ostringstream msg;
    msg << "Invalid negative frequency : " << f.sample_rate_hz;
    throw std::runtime_error(msg.str());
  }
  if (f.channels == 0) throw std::runtime_error("Invalid 0 nb channels by track");
  if (f.channels < 0 || f.channels > 65535) {
    // The sample descriptions and sample sizes hold the channel count in 16 bits.
    std::ostringstream msg;
    msg << "Invalid nb channels by track : " << f.channels << " (1 to 65535 supported)";
    throw std::runtime_error(msg.str());
  }
  const uint16_t bits = f.bits_per_sample;
  if (f.float_flag == 1) {
    if (bits != 32 && bits != 64) throw std::runtime_error("Unsupported audio quantif for float");
  } else if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    throw std::runtime_error("Unsupported audio quantif for integer");
  }
}

}  // namespace

std::runtime_error invalid_audio_track(uint32_t track, uint32_t track_count) {
  std::ostringstream msg;
  msg << "Invalid audio track index : " << track << " Nb Audio tracks (" << track_count << ")";
  return std::runtime_error(msg.str());
}

AudioInterleaver::AudioInterleaver(const std::vector<AudioTrackFormat>& formats,
                                   FrameRate video_rate)
    : video_rate_(video_rate) {
  if (formats.size() > max_tracks)
    throw std::runtime_error("Unsupported audio track count (max 64 supported)");
  // At most 8 x 2^31 x 65535 bytes a track, 64 tracks: below 2^63, exact in 64 bits.
  uint64_t group_bytes = 0;
  for (const AudioTrackFormat& f : formats) {
    check_format(f);
    group_bytes += uint64_t{f.bits_per_sample / 8u} * static_cast<uint64_t>(f.sample_rate_hz) *
                   static_cast<uint64_t>(f.channels);
  }
  if (group_bytes > 0xFFFFFFFFull) {
    std::ostringstream msg;
    msg << "Audio group size too large : " << group_bytes
        << " bytes (bytes per sample x rate x channels x tracks must fit in 32 bits)";
    throw std::runtime_error(msg.str());
  }

  tracks_.resize(formats.size());
  uint32_t chunk_offset = 0;
  for (size_t i = 0; i < formats.size(); ++i) {
    Track& t = tracks_[i];
    t.format = formats[i];
    t.format.float_flag = formats[i].float_flag == 1 ? 1 : 0;
    t.frame_bytes = uint32_t{t.format.bits_per_sample / 8u} * uint32_t(t.format.channels);
    t.chunk_offset = chunk_offset;
    t.silence = t.format.bits_per_sample == 8 ? 128 : 0;  // 8-bit PCM is unsigned
    t.buffer.assign(size_t{t.frame_bytes} * t.chunk_length(), t.silence);
    chunk_offset += static_cast<uint32_t>(t.buffer.size());
    silent_group_.insert(silent_group_.end(), t.buffer.begin(), t.buffer.end());
  }
}

void AudioInterleaver::before_video_frame(MediaData& media, uint32_t frame_number) {
  // The group of second k goes just before the frame that ends second k-1. The product is
  // taken in 64 bits so that long movies keep interleaving.
  const uint64_t second =
      (uint64_t{frame_number} + 1) * video_rate_.denominator / video_rate_.numerator;
  if (second >= group_offsets_.size()) reserve_group(media);
}

void AudioInterleaver::add_samples(MediaData& media, const void* frames, int64_t count,
                                   uint32_t track) {
  if (count == 0) return;
  if (track >= track_count()) throw invalid_audio_track(track, track_count());
  if (count < 0) return;
  Track& t = tracks_[track];
  const uint8_t* src = static_cast<const uint8_t*>(frames);
  while (count > 0) {
    uint32_t room = t.chunk_length() - t.fill_count;
    if (room < 1) {
      // A full chunk is written only when more audio arrives (or at the end).
      flush_track(media, track);
      room = t.chunk_length();
    }
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, room));
    const size_t bytes = size_t{n} * t.frame_bytes;
    std::memcpy(t.buffer.data() + size_t{t.fill_count} * t.frame_bytes, src, bytes);
    t.fill_count += n;
    src += bytes;
    count -= n;
  }
}

void AudioInterleaver::flush_track(MediaData& media, uint32_t track) {
  Track& t = tracks_[track];
  const uint32_t g = t.chunk_count;
  if (g >= group_offsets_.size()) reserve_group(media);
  if (g >= group_offsets_.size()) throw std::runtime_error("Error index audio buffer");
  media.overwrite(group_offsets_[g] + t.chunk_offset, t.buffer.data(), t.buffer.size());
  t.fill_count = 0;
  t.chunk_count += 1;
  std::fill(t.buffer.begin(), t.buffer.end(), t.silence);
}

void AudioInterleaver::reserve_group(MediaData& media) {
  group_offsets_.push_back(media.append(silent_group_.data(), silent_group_.size()));
}

uint64_t AudioInterleaver::expected_length(const Track& t, uint32_t video_frame_count) const {
  if (video_frame_count == 0) return 0;
  const double fps = static_cast<double>(video_rate_.numerator) / video_rate_.denominator;
  // A movie shorter than half an audio sample frame still gets one: an audio track without
  // samples cannot be stored.
  return std::max<uint64_t>(
      1, static_cast<uint64_t>(std::round(t.chunk_length() * (video_frame_count / fps))));
}

std::vector<AudioTrackIndex> AudioInterleaver::finish(MediaData& media,
                                                      uint32_t video_frame_count) {
  for (uint32_t i = 0; i < track_count(); ++i) {
    if (tracks_[i].fill_count != 0) flush_track(media, i);
  }
  std::vector<uint64_t> lengths;
  for (const Track& t : tracks_) {
    lengths.push_back(expected_length(t, video_frame_count));
    if (lengths.back() > 0xFFFFFFFFull) {
      // The audio sample tables count sample frames in 32 bits.
      std::ostringstream msg;
      msg << "Audio track too long : " << lengths.back() << " sample frames (max 4294967295)";
      throw std::runtime_error(msg.str());
    }
  }
  // Every track covers the video; rounding may give one track a last partial second more.
  for (size_t i = 0; i < tracks_.size(); ++i) {
    while (group_offsets_.size() * tracks_[i].chunk_length() < lengths[i]) reserve_group(media);
  }

  std::vector<AudioTrackIndex> index(tracks_.size());
  for (size_t i = 0; i < tracks_.size(); ++i) {
    const Track& t = tracks_[i];
    index[i].format = t.format;
    index[i].length = static_cast<uint32_t>(lengths[i]);
    int64_t remaining = static_cast<int64_t>(lengths[i]);
    for (size_t g = 0; remaining > 0; ++g) {
      assert(g < group_offsets_.size() && "padded above");
      index[i].chunk_offsets.push_back(group_offsets_[g] + t.chunk_offset);
      remaining -= t.chunk_length();
    }
  }
  return index;
}
