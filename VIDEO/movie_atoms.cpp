// Byte layouts of the movie, track, edit, reference and aperture atoms.
#include "VIDEO/movie_atoms.h"

#include <cmath>
#include <iostream>
#include <stdexcept>

#include "VIDEO/media_atoms.h"

namespace {

uint32_t checked_duration(FrameRate rate, uint32_t frame_count, const char* message) {
  const uint64_t duration = uint64_t{rate.denominator} * frame_count;
  if (duration > 0xFFFFFFFFull) throw std::runtime_error(message);
  return static_cast<uint32_t>(duration);
}

// Unity transformation matrix (a, b, u, c, d, v, x, y, w).
void append_unity_matrix(ByteVector& content) {
  const uint32_t m[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
  for (uint32_t v : m) append_be32(content, v);
}

void append_aperture(ByteVector& content, uint16_t width, uint16_t height) {
  append_be32(content, 0);
  append_be32(content, uint32_t{width} << 16);
  append_be32(content, uint32_t{height} << 16);
}

}  // namespace

bool timecode_rate_supported(FrameRate r) {
  if (r.denominator == 1) return r.numerator < 256;
  return r.denominator == 1001 &&
         (r.numerator == 24000 || r.numerator == 30000 || r.numerator == 60000);
}

MVHD_Writer::MVHD_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate,
                         uint32_t next_track_id)
    : Atom_Writer(fourcc("mvhd")) {
  const uint32_t duration = checked_duration(rate, frame_count, "mvhd duration overflow");
  if (next_track_id >= 0xFFFFFFFEu) throw std::runtime_error("mvhd track count overflow");
  append_be32(content_, 0);
  append_be32(content_, creation_time);
  append_be32(content_, creation_time);   // modification time
  append_be32(content_, rate.numerator);  // time scale
  append_be32(content_, duration);
  append_be32(content_, 0x00010000);  // preferred rate 1.0
  append_be16(content_, 0x0100);      // preferred volume 1.0
  content_.insert(content_.end(), 10, 0);
  append_unity_matrix(content_);
  content_.insert(content_.end(), 24, 0);  // preview, poster, selection, current time
  append_be32(content_, next_track_id + 1);
}

TKHD_Writer::TKHD_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate,
                         uint32_t track_id, uint32_t width, uint32_t height, bool audio)
    : Atom_Writer(fourcc("tkhd")) {
  const uint32_t duration = checked_duration(rate, frame_count, "tkhd duration overflow");
  append_be32(content_, 0x0000000F);  // enabled, in movie, in preview, in poster
  append_be32(content_, creation_time);
  append_be32(content_, creation_time);
  append_be32(content_, track_id);
  append_be32(content_, 0);
  append_be32(content_, duration);
  content_.insert(content_.end(), 8, 0);
  append_be16(content_, 0);                   // layer
  append_be16(content_, 0);                   // alternate group
  append_be16(content_, audio ? 0x0100 : 0);  // volume
  append_be16(content_, 0);
  append_unity_matrix(content_);
  append_be32(content_, width << 16);
  append_be32(content_, height << 16);
}

EDTS_Writer::EDTS_Writer(uint32_t frame_count, FrameRate rate) : Atom_Writer(fourcc("edts")) {
  const uint32_t duration = checked_duration(rate, frame_count, "edts duration overflow");
  ByteVector elst;
  append_be32(elst, 0);
  append_be32(elst, 1);  // entry count
  append_be32(elst, duration);
  append_be32(elst, 0);           // media time
  append_be32(elst, 0x00010000);  // media rate 1.0
  append_bytes(content_, atom_block("elst", elst));
}

TREF_TC_Entry_Writer::TREF_TC_Entry_Writer(uint32_t track_id) : Atom_Writer(fourcc("tmcd")) {
  append_be32(content_, track_id);
}

TREF_Writer::TREF_Writer(int32_t track_id) : Fixed_Container(fourcc("tref")) {
  if (track_id < 0) throw std::runtime_error("TREF without valid value");
  children_[0] = std::make_unique<TREF_TC_Entry_Writer>(static_cast<uint32_t>(track_id));
}

CLEF_Writer::CLEF_Writer(uint16_t width, uint16_t height) : Atom_Writer(fourcc("clef")) {
  append_aperture(content_, width, height);
}
PROF_Writer::PROF_Writer(uint16_t width, uint16_t height) : Atom_Writer(fourcc("prof")) {
  append_aperture(content_, width, height);
}
ENOF_Writer::ENOF_Writer(uint16_t width, uint16_t height) : Atom_Writer(fourcc("enof")) {
  append_aperture(content_, width, height);
}

TAPT_Writer::TAPT_Writer(uint16_t display_width, uint16_t width, uint16_t height)
    : Fixed_Container(fourcc("tapt")) {
  children_[0] = std::make_unique<CLEF_Writer>(display_width, height);
  children_[1] = std::make_unique<PROF_Writer>(display_width, height);
  children_[2] = std::make_unique<ENOF_Writer>(width, height);
}

LOAD_Writer::LOAD_Writer() : Atom_Writer(fourcc("load")) {
  append_be32(content_, 0);           // preload start time
  append_be32(content_, 0);           // preload duration
  append_be32(content_, 0);           // preload flags
  append_be32(content_, 0x00000100);  // default hints: high quality
}

uint16_t display_width_for(uint16_t width, float pixel_aspect_ratio) {
  if (pixel_aspect_ratio == 1.0f) return width;
  const float product = static_cast<float>(width) * pixel_aspect_ratio;
  // Below 0.5 rounds to 0 or less; NaN fails every comparison.
  if (!(product >= 0.5f)) {
    std::cout << "WARNING : Video Track width_display <= 0 pour le pixel ratio : "
              << pixel_aspect_ratio << std::endl;
    return width;
  }
  // 65534 is the largest even width that fits the 16-bit fields.
  if (!(product < 65534.5f)) {
    std::cout << "WARNING : Video Track width_display > 65534 pour le pixel ratio : "
              << pixel_aspect_ratio << std::endl;
    return width;
  }
  long w = std::lround(product);
  if (w % 2 != 0) w += 1;
  return static_cast<uint16_t>(w);
}

TRAK_Video_Writer::TRAK_Video_Writer(uint32_t creation_time, uint16_t width, uint16_t height,
                                     const VideoSampleFormat& format, uint32_t frame_count,
                                     FrameRate rate, std::vector<uint64_t> offsets,
                                     std::vector<uint32_t> sizes, float pixel_aspect_ratio,
                                     int32_t tc_track_id, PixelSpacing exact_spacing)
    : Fixed_Container(fourcc("trak")) {
  const uint16_t display_width = display_width_for(width, pixel_aspect_ratio);
  children_[0] =
      std::make_unique<TKHD_Writer>(creation_time, frame_count, rate, 1, width, height, false);
  children_[1] = std::make_unique<TAPT_Writer>(display_width, width, height);
  children_[2] = std::make_unique<LOAD_Writer>();
  children_[3] = std::make_unique<EDTS_Writer>(frame_count, rate);
  if (tc_track_id > 1) children_[4] = std::make_unique<TREF_Writer>(tc_track_id);
  children_[5] = std::make_unique<MDIA_Video_Writer>(
      creation_time, width, height, format, frame_count, rate, std::move(offsets), std::move(sizes),
      display_width, exact_spacing);
}

TRAK_Audio_Writer::TRAK_Audio_Writer(uint32_t track_id, uint32_t creation_time,
                                     uint32_t frame_count, FrameRate rate, uint16_t bits_per_sample,
                                     uint32_t sample_rate, uint32_t track_length, uint16_t channels,
                                     std::vector<uint64_t> chunk_offsets, int32_t tc_track_id,
                                     uint8_t float_flag, uint32_t surround_order)
    : Fixed_Container(fourcc("trak")) {
  children_[0] =
      std::make_unique<TKHD_Audio_Writer>(creation_time, frame_count, rate, track_id, 0, 0, true);
  children_[1] = std::make_unique<EDTS_Writer>(frame_count, rate);
  if (tc_track_id > 1) children_[2] = std::make_unique<TREF_Writer>(tc_track_id);
  children_[3] = std::make_unique<MDIA_Audio_Writer>(
      creation_time, track_length, sample_rate, bits_per_sample, channels, std::move(chunk_offsets),
      float_flag, surround_order);
}

TRAK_TC_Writer::TRAK_TC_Writer(uint32_t track_id, uint32_t creation_time, uint32_t frame_count,
                               FrameRate rate, uint64_t tc_sample_offset, uint8_t drop_frame)
    : Fixed_Container(fourcc("trak")) {
  children_[0] =
      std::make_unique<TKHD_TC_Writer>(creation_time, frame_count, rate, track_id, 0, 0, false);
  children_[1] = std::make_unique<EDTS_Writer>(frame_count, rate);
  children_[2] = std::make_unique<MDIA_TC_Writer>(creation_time, frame_count, rate,
                                                  tc_sample_offset, drop_frame);
}

Moov_Video_Writer::Moov_Video_Writer(MoovVideoSettings s)
    : Atom_Writer(fourcc("moov")),
      declared_audio_tracks_(s.audio_track_count),
      creation_time_(s.creation_time),
      frame_count_(s.frame_count) {
  FrameRate rate = s.frame_rate;
  bool reduced_exactly = false;
  fps_fit_duration(rate, s.frame_count, reduced_exactly);
  fps_num_ = rate.numerator;
  fps_den_ = rate.denominator;

  next_track_id_ = s.audio_track_count + 1;
  if (s.timecode_switch == 1 && timecode_rate_supported(rate)) {
    next_track_id_ += 1;
    tc_track_id_ = static_cast<int32_t>(next_track_id_);
    tc_trak_ = std::make_unique<TRAK_TC_Writer>(next_track_id_, s.creation_time, s.frame_count,
                                                rate, s.timecode_sample_offset, s.drop_frame);
  }
  mvhd_ = std::make_unique<MVHD_Writer>(s.creation_time, s.frame_count, rate, next_track_id_);
  video_trak_ = std::make_unique<TRAK_Video_Writer>(
      s.creation_time, s.width, s.height, s.format, s.frame_count, rate,
      std::move(s.sample_offsets), std::move(s.sample_sizes), s.pixel_aspect_ratio, tc_track_id_,
      s.pixel_spacing);
}

void Moov_Video_Writer::add_audio_track(uint16_t bits_per_sample, uint32_t sample_rate,
                                        uint32_t track_length, uint16_t channels,
                                        std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                                        uint32_t surround_order) {
  if (audio_tracks_added_ == declared_audio_tracks_)
    throw std::runtime_error("Not enough audio track set at start");
  audio_traks_.push_back(std::make_unique<TRAK_Audio_Writer>(
      audio_tracks_added_ + 2, creation_time_, frame_count_, rate(), bits_per_sample, sample_rate,
      track_length, channels, std::move(chunk_offsets), tc_track_id_, float_flag, surround_order));
  ++audio_tracks_added_;
}

std::vector<const Atom_Writer*> Moov_Video_Writer::children() const {
  std::vector<const Atom_Writer*> out{mvhd_.get(), video_trak_.get()};
  for (const auto& trak : audio_traks_) out.push_back(trak.get());
  out.push_back(tc_trak_.get());
  return out;
}

uint64_t Moov_Video_Writer::get_atom_size(bool& large) const {
  if (audio_tracks_added_ != declared_audio_tracks_)
    throw std::runtime_error("Not enough audio track created");
  return container_size(children(), large);
}

uint64_t Moov_Video_Writer::write_atom(uint8_t* dst) const {
  return write_container(dst, children());
}

MDAT_TC_Writer::MDAT_TC_Writer(uint32_t tc_start) : Atom_Writer(fourcc("mdat")) {
  append_be32(content_, tc_start);
}
