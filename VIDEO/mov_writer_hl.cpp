// The high-level movie writer: streaming media data, audio interleaving and the final index.
#include "VIDEO/mov_writer_hl.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "VIDEO/movie_atoms.h"

namespace {

constexpr uint64_t mdat_size_offset = 40;
constexpr uint64_t media_data_start = 48;

// ftyp: size 32, "qt  ", minor version 0x20050300, compatible "qt  " and three zero brands;
// then the mdat header in its 64-bit form (size patched by finalize).
ByteVector file_header() {
  ByteVector h;
  append_be32(h, 32);
  h.insert(h.end(), {'f', 't', 'y', 'p', 'q', 't', ' ', ' '});
  append_be32(h, 0x20050300);
  h.insert(h.end(), {'q', 't', ' ', ' '});
  h.insert(h.end(), 12, 0);
  append_be32(h, 1);
  h.insert(h.end(), {'m', 'd', 'a', 't'});
  append_be64(h, 0);
  return h;
}

}  // namespace

Mov_Writer::Mov_Writer(const std::u16string& path, uint16_t width, uint16_t height, uint8_t depth,
                       FrameRate rate, FourCC code, uint32_t creation_time,
                       float pixel_aspect_ratio, uint8_t tc_switch, uint32_t tc_start,
                       uint8_t drop_frame)
    : path_(path),
      width_(width),
      height_(height),
      depth_(depth),
      rate_(rate),
      code_(code),
      creation_time_(creation_time),
      pixel_aspect_ratio_(pixel_aspect_ratio) {
  if (tc_switch == 1) {
    tc_switch_ = 1;
    tc_start_ = tc_start;
    drop_frame_ = drop_frame;
  }
  file_ = open_target_file(path_);
  const ByteVector header = file_header();
  write_bytes(file_.get(), header.data(), header.size());
  write_position_ = media_data_start;
}

void Mov_Writer::set_audio_tracks(uint32_t track_count, int32_t sample_rate,
                                  uint16_t bits_per_sample, int32_t channels, uint8_t float_flag,
                                  uint32_t surround_order) {
  if (audio_track_count_ != 0) throw std::runtime_error("Set audio tracks call multiple times");
  if (track_count == 0) return;
  if (track_count > max_audio_tracks)
    throw std::runtime_error("Unsupported audio track count (max 64 supported)");
  if (sample_rate == 0) throw std::runtime_error("Invalid 0 frequency");
  if (sample_rate < 0) {
    std::ostringstream msg;
    msg << "Invalid negative frequency : " << sample_rate;
    throw std::runtime_error(msg.str());
  }
  if (channels == 0) throw std::runtime_error("Invalid 0 nb channels by track");
  if (channels < 0 || channels > 65535) {
    // The sample descriptions and sample sizes hold the channel count in 16 bits.
    std::ostringstream msg;
    msg << "Invalid nb channels by track : " << channels << " (1 to 65535 supported)";
    throw std::runtime_error(msg.str());
  }
  if (float_flag == 1) {
    if (bits_per_sample != 32 && bits_per_sample != 64)
      throw std::runtime_error("Unsupported audio quantif for float");
  } else if (bits_per_sample != 8 && bits_per_sample != 16 && bits_per_sample != 24 &&
             bits_per_sample != 32) {
    throw std::runtime_error("Unsupported audio quantif for integer");
  }
  const uint16_t bytes_per_sample = bits_per_sample / 8;
  // At most 8 x 2^31 x 65535 x 64 < 2^63: exact in 64 bits.
  const uint64_t track_chunk = uint64_t{bytes_per_sample} * static_cast<uint64_t>(sample_rate) *
                               static_cast<uint64_t>(channels);
  const uint64_t group = track_chunk * track_count;
  if (group > 0xFFFFFFFFull) {
    std::ostringstream msg;
    msg << "Audio group size too large : " << group
        << " bytes (bytes per sample x rate x channels x tracks must fit in 32 bits)";
    throw std::runtime_error(msg.str());
  }

  const uint8_t silence = bits_per_sample == 8 ? 128 : 0;  // 8-bit PCM is unsigned
  std::vector<ByteVector> buffers;
  for (uint32_t t = 0; t < track_count; ++t) buffers.emplace_back(track_chunk, silence);
  ByteVector silence_block(group, silence);

  audio_track_count_ = track_count;
  chunk_length_ = static_cast<uint32_t>(sample_rate);
  bits_per_sample_ = bits_per_sample;
  channels_ = static_cast<uint32_t>(channels);
  float_flag_ = float_flag == 1 ? 1 : 0;
  surround_order_ = surround_order;
  bytes_per_sample_ = bytes_per_sample;
  track_chunk_size_ = static_cast<uint32_t>(track_chunk);
  group_size_ = static_cast<uint32_t>(group);
  fill_counts_.assign(track_count, 0);
  chunk_counts_.assign(track_count, 0);
  chunk_buffers_ = std::move(buffers);
  silence_ = std::move(silence_block);
}

void Mov_Writer::check_track_index(uint32_t track) const {
  if (track >= audio_track_count_) {
    std::ostringstream msg;
    msg << "Invalid audio track index : " << track << " Nb Audio tracks (" << audio_track_count_
        << ")";
    throw std::runtime_error(msg.str());
  }
}

std::FILE* Mov_Writer::file_or_throw() const {
  if (!file_) throw std::runtime_error("Invalid file pointer");
  return file_.get();
}

void Mov_Writer::add_audio_samples(const void* frames, int64_t count, uint32_t track) {
  if (count == 0) return;
  check_track_index(track);
  if (count < 0) return;
  const size_t frame_bytes = size_t{channels_} * bytes_per_sample_;
  const uint8_t* src = static_cast<const uint8_t*>(frames);
  while (count > 0) {
    uint32_t room = chunk_length_ - fill_counts_[track];
    if (room < 1) {
      flush_audio_track(track);
      room = chunk_length_;
    }
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(count, room));
    std::memcpy(chunk_buffers_[track].data() + size_t{fill_counts_[track]} * frame_bytes, src,
                n * frame_bytes);
    fill_counts_[track] += n;
    src += n * frame_bytes;
    count -= n;
  }
}

void Mov_Writer::flush_audio_track(uint32_t track) {
  check_track_index(track);
  std::FILE* file = file_or_throw();
  const uint32_t g = chunk_counts_[track];
  if (g >= group_count_) reserve_audio_group();
  if (g >= group_count_) throw std::runtime_error("Error index audio buffer");
  ByteVector& buffer = chunk_buffers_[track];
  seek_from_start(file, group_offsets_[g] + uint64_t{track} * track_chunk_size_);
  write_bytes(file, buffer.data(), buffer.size());
  fill_counts_[track] = 0;
  chunk_counts_[track] += 1;
  seek_to_end(file);
  std::fill(buffer.begin(), buffer.end(), silence_.empty() ? 0 : silence_[0]);
}

void Mov_Writer::reserve_audio_group() {
  std::FILE* file = file_or_throw();
  write_bytes(file, silence_.data(), silence_.size());
  group_offsets_.push_back(write_position_);
  write_position_ += group_size_;
  group_count_ += 1;
}

FrameRate Mov_Writer::audio_rate() const {
  if (rate_.numerator == 0 || rate_.denominator == 0) return FrameRate{25, 1};
  return rate_;
}

void Mov_Writer::add_video_frame(const void* data, uint32_t size) {
  std::FILE* file = file_or_throw();
  if (audio_track_count_ != 0) {
    // Reserve the audio group of second k just before the frame that ends second k-1. The
    // product is taken in 64 bits so that long movies keep interleaving.
    const FrameRate r = audio_rate();
    const uint64_t second = (uint64_t{video_sample_count_} + 1) * r.denominator / r.numerator;
    if (second >= group_count_) reserve_audio_group();
  }
  write_bytes(file, data, size);
  video_offsets_.push_back(write_position_);
  video_sizes_.push_back(size);
  video_sample_count_ += 1;
  write_position_ += size;
}

uint64_t Mov_Writer::expected_audio_length() const {
  if (video_sample_count_ == 0) return 0;
  const FrameRate r = audio_rate();
  const double fps = static_cast<double>(r.numerator) / r.denominator;
  // A movie shorter than half an audio sample frame still gets one: an audio track without
  // samples cannot be stored.
  return std::max<uint64_t>(
      1, static_cast<uint64_t>(std::round(chunk_length_ * (video_sample_count_ / fps))));
}

void Mov_Writer::finalize() {
  std::FILE* file = file_or_throw();
  uint64_t expected = 0;
  if (audio_track_count_ != 0) {
    for (uint32_t t = 0; t < audio_track_count_; ++t) {
      if (fill_counts_[t] != 0) flush_audio_track(t);
    }
    expected = expected_audio_length();
    if (expected > 0xFFFFFFFFull) {
      // The audio sample tables count sample frames in 32 bits.
      std::ostringstream msg;
      msg << "Audio track too long : " << expected << " sample frames (max 4294967295)";
      throw std::runtime_error(msg.str());
    }
    while (group_count_ * chunk_length_ < expected) reserve_audio_group();
  }

  uint8_t size_bytes[8];
  put_be64(size_bytes, write_position_ - 32);
  seek_from_start(file, mdat_size_offset);
  write_bytes(file, size_bytes, 8);
  seek_to_end(file);

  if (tc_switch_ == 1) {
    const MDAT_TC_Writer mdat_tc(tc_start_);
    const ByteVector bytes = serialise_atom(mdat_tc);
    assert(bytes.size() == 12 && "mdatTc.get_atom_size(&is64Temp) == 12");
    tc_sample_offset_ = write_position_ + 8;
    write_bytes(file, bytes.data(), bytes.size());
  }

  Moov_Video_Writer moov(rate_, creation_time_, width_, height_, depth_, code_, video_sample_count_,
                         video_offsets_, video_sizes_, pixel_aspect_ratio_, tc_switch_, tc_start_,
                         drop_frame_, tc_sample_offset_, audio_track_count_);
  for (uint32_t t = 0; t < audio_track_count_; ++t) {
    std::vector<uint64_t> offsets;
    int64_t remaining = static_cast<int64_t>(expected);
    for (uint64_t i = 0; remaining > 0; ++i) {
      if (i >= group_count_) {
        std::cout << "Error, invalid audio buf index : " << i << "; Nb Offset : " << group_count_;
        break;
      }
      offsets.push_back(group_offsets_[i] + uint64_t{t} * track_chunk_size_);
      remaining -= chunk_length_;
    }
    moov.add_audio_track(bits_per_sample_, chunk_length_, static_cast<uint32_t>(expected),
                         static_cast<uint16_t>(channels_), std::move(offsets), float_flag_,
                         surround_order_);
  }

  const ByteVector index = serialise_atom(moov);
  write_bytes(file, index.data(), index.size());
  // The stream buffers the tail of the file: a failure to flush it must not pass as a
  // finished movie.
  close_target_file(file_);
}
