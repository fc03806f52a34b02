// The high-level movie writer: the file layout, streaming media data and the final index.
#include "VIDEO/mov_writer_hl.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <utility>

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

Mov_Writer::Mov_Writer(MovWriterSettings settings) : settings_(std::move(settings)) {
  const std::u16string& path = settings_.path;
  file_ = settings_.existing_file ? open_existing_target_file(path) : open_target_file(path);
  const ByteVector header = file_header();
  write_bytes(file_.get(), header.data(), header.size());
  write_position_ = media_data_start;
}

void Mov_Writer::set_audio_tracks(uint32_t track_count, int32_t sample_rate,
                                  uint16_t bits_per_sample, int32_t channels, uint8_t float_flag,
                                  uint32_t surround_order) {
  if (audio_) throw std::runtime_error("Set audio tracks call multiple times");
  // The count is checked before one format per track is made.
  const uint32_t formats = std::min(track_count, AudioInterleaver::max_tracks + 1);
  const AudioTrackFormat format{sample_rate, bits_per_sample, channels, float_flag, surround_order};
  set_audio_tracks(std::vector<AudioTrackFormat>(formats, format));
}

void Mov_Writer::set_audio_tracks(const std::vector<AudioTrackFormat>& formats) {
  if (audio_) throw std::runtime_error("Set audio tracks call multiple times");
  if (formats.empty()) return;
  audio_.emplace(formats, audio_rate());
}

std::FILE* Mov_Writer::file_or_throw() const {
  if (!file_) throw std::runtime_error("Invalid file pointer");
  return file_.get();
}

uint64_t Mov_Writer::append(const uint8_t* data, size_t size) {
  write_bytes(file_or_throw(), data, size);
  const uint64_t offset = write_position_;
  write_position_ += size;
  return offset;
}

void Mov_Writer::overwrite(uint64_t offset, const uint8_t* data, size_t size) {
  std::FILE* file = file_or_throw();
  seek_from_start(file, offset);
  write_bytes(file, data, size);
  seek_to_end(file);
}

void Mov_Writer::add_audio_samples(const void* frames, int64_t count, uint32_t track) {
  if (count == 0) return;
  if (!audio_) throw invalid_audio_track(track, 0);
  audio_->add_samples(*this, frames, count, track);
}

FrameRate Mov_Writer::audio_rate() const {
  const FrameRate& rate = settings_.frame_rate;
  if (rate.numerator == 0 || rate.denominator == 0) return FrameRate{25, 1};
  return rate;
}

void Mov_Writer::add_video_frame(const void* data, uint32_t size) {
  file_or_throw();
  if (audio_) audio_->before_video_frame(*this, video_sample_count_);
  video_offsets_.push_back(append(static_cast<const uint8_t*>(data), size));
  video_sizes_.push_back(size);
  video_sample_count_ += 1;
}

void Mov_Writer::finalize() {
  std::FILE* file = file_or_throw();
  std::vector<AudioTrackIndex> audio_tracks;
  if (audio_) audio_tracks = audio_->finish(*this, video_sample_count_);

  uint8_t size_bytes[8];
  put_be64(size_bytes, write_position_ - 32);
  seek_from_start(file, mdat_size_offset);
  write_bytes(file, size_bytes, 8);
  seek_to_end(file);

  if (settings_.timecode) {
    const MDAT_TC_Writer mdat_tc(settings_.timecode_start);
    const ByteVector bytes = serialise_atom(mdat_tc);
    assert(bytes.size() == 12 && "mdatTc.get_atom_size(&is64Temp) == 12");
    tc_sample_offset_ = write_position_ + 8;
    write_bytes(file, bytes.data(), bytes.size());
  }

  MoovVideoSettings movie;
  movie.frame_rate = settings_.frame_rate;
  movie.creation_time = settings_.creation_time;
  movie.width = settings_.width;
  movie.height = settings_.height;
  movie.format = settings_.format;
  movie.frame_count = video_sample_count_;
  movie.sample_offsets = video_offsets_;
  movie.sample_sizes = video_sizes_;
  movie.pixel_aspect_ratio = settings_.pixel_aspect_ratio;
  movie.pixel_spacing = settings_.pixel_spacing;
  movie.timecode_switch = settings_.timecode ? 1 : 0;
  movie.drop_frame = settings_.drop_frame ? 1 : 0;
  movie.timecode_sample_offset = tc_sample_offset_;
  movie.audio_track_count = static_cast<uint32_t>(audio_tracks.size());
  Moov_Video_Writer moov(std::move(movie));
  for (AudioTrackIndex& track : audio_tracks) {
    const AudioTrackFormat& f = track.format;
    moov.add_audio_track(f.bits_per_sample, static_cast<uint32_t>(f.sample_rate_hz), track.length,
                         static_cast<uint16_t>(f.channels), std::move(track.chunk_offsets),
                         f.float_flag, f.surround_order);
  }

  const ByteVector index = serialise_atom(moov);
  write_bytes(file, index.data(), index.size());
  // The stream buffers the tail of the file: a failure to flush it must not pass as a
  // finished movie.
  close_target_file(file_);
}
