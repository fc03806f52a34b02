// Upper levels of the movie index: `moov` with its header, the video, audio and timecode
// tracks, their headers, edit lists, timecode references and the video aperture and preload
// atoms. Also the 12-byte `mdat` that carries the timecode sample. Track IDs: video 1, audio
// i at i + 2, timecode at (declared audio tracks) + 2.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "VIDEO/atom_writer.h"
#include "VIDEO/sample_descriptions.h"
#include "job/frame_rate.h"

// `mvhd`; writes next_track_id + 1 as the next free ID.
// Throws "mvhd duration overflow", "mvhd track count overflow".
class MVHD_Writer : public Atom_Writer {
 public:
  MVHD_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate, uint32_t next_track_id);
};

// `tkhd`, enabled in movie, preview and poster; duration = denominator x frame count.
// Throws "tkhd duration overflow".
class TKHD_Writer : public Atom_Writer {
 public:
  TKHD_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate, uint32_t track_id,
              uint32_t width, uint32_t height, bool audio);
};
class TKHD_Audio_Writer : public TKHD_Writer {
 public:
  using TKHD_Writer::TKHD_Writer;
};
class TKHD_TC_Writer : public TKHD_Writer {
 public:
  using TKHD_Writer::TKHD_Writer;
};

// `edts` with one `elst` edit spanning the video's duration. Throws "edts duration overflow".
class EDTS_Writer : public Atom_Writer {
 public:
  EDTS_Writer(uint32_t frame_count, FrameRate rate);
};

// `tmcd` entry of a `tref`: the timecode track's ID.
class TREF_TC_Entry_Writer : public Atom_Writer {
 public:
  explicit TREF_TC_Entry_Writer(uint32_t track_id);
};

// `tref` (20 bytes). Throws "TREF without valid value" for a negative ID.
class TREF_Writer : public Fixed_Container<1> {
 public:
  explicit TREF_Writer(int32_t track_id);
};

// Aperture dimensions: version/flags, then width and height in 16.16.
class CLEF_Writer : public Atom_Writer {
 public:
  CLEF_Writer(uint16_t width, uint16_t height);
};
class PROF_Writer : public Atom_Writer {
 public:
  PROF_Writer(uint16_t width, uint16_t height);
};
class ENOF_Writer : public Atom_Writer {
 public:
  ENOF_Writer(uint16_t width, uint16_t height);
};

// `tapt`: clean and production apertures at the display size, encoded pixels at the coded size.
class TAPT_Writer : public Fixed_Container<3> {
 public:
  TAPT_Writer(uint16_t display_width, uint16_t width, uint16_t height);
};

// `load`: no preload, high-quality hint.
class LOAD_Writer : public Atom_Writer {
 public:
  LOAD_Writer();
};

// Display width for a pixel aspect ratio: the width when the ratio is 1.0, otherwise
// width x ratio rounded and made even. A ratio that gives no usable width (zero, negative,
// not a number, or too wide for 16 bits) prints a warning and keeps the width.
uint16_t display_width_for(uint16_t width, float pixel_aspect_ratio);

// Rates a timecode track can count: N/1 below 256, and 24000, 30000 or 60000 over 1001. At
// other rates the movie is written without its timecode track.
bool timecode_rate_supported(FrameRate rate);

// Children: tkhd, tapt, load, edts, tref (only with a timecode track), mdia.
class TRAK_Video_Writer : public Fixed_Container<6> {
 public:
  TRAK_Video_Writer(uint32_t creation_time, uint16_t width, uint16_t height,
                    const VideoSampleFormat& format, uint32_t frame_count, FrameRate rate,
                    std::vector<uint64_t> offsets, std::vector<uint32_t> sizes,
                    float pixel_aspect_ratio, int32_t tc_track_id, PixelSpacing exact_spacing = {});
};

// Children: tkhd, edts, tref (only with a timecode track), mdia.
class TRAK_Audio_Writer : public Fixed_Container<4> {
 public:
  TRAK_Audio_Writer(uint32_t track_id, uint32_t creation_time, uint32_t frame_count, FrameRate rate,
                    uint16_t bits_per_sample, uint32_t sample_rate, uint32_t track_length,
                    uint16_t channels, std::vector<uint64_t> chunk_offsets, int32_t tc_track_id,
                    uint8_t float_flag, uint32_t surround_order);
};

// Children: tkhd, edts, mdia.
class TRAK_TC_Writer : public Fixed_Container<3> {
 public:
  TRAK_TC_Writer(uint32_t track_id, uint32_t creation_time, uint32_t frame_count, FrameRate rate,
                 uint64_t tc_sample_offset, uint8_t drop_frame);
};

// What the movie atom describes: the video track and its samples, the timecode track and how
// many audio tracks will be added.
struct MoovVideoSettings {
  FrameRate frame_rate{25, 1};  // as the render gave it; normalised by the movie atom
  uint32_t creation_time = 0;   // also the modification time of every header
  uint16_t width = 0;           // encoded frame size in pixels
  uint16_t height = 0;
  VideoSampleFormat format{};
  uint32_t frame_count = 0;
  std::vector<uint64_t> sample_offsets;  // file offset of each video sample
  std::vector<uint32_t> sample_sizes;
  float pixel_aspect_ratio = 1.0f;  // horizontal over vertical pixel size
  PixelSpacing pixel_spacing{};     // the same as an exact ratio for `pasp`; zero: none
  uint8_t timecode_switch = 0;      // 1: a timecode track, when the rate allows one
  uint8_t drop_frame = 0;
  uint64_t timecode_sample_offset = 0;  // file offset of the 4-byte timecode sample
  uint32_t audio_track_count = 0;       // tracks add_audio_track must add before sizing
};

// `moov`: mvhd, the video trak, the audio traks in the order added, the timecode trak.
// The frame rate is normalised for frame_count first (whole rates to N/1, durations to 32 bits).
// Every declared audio track must be added before sizing ("Not enough audio track created").
class Moov_Video_Writer : public Atom_Writer {
 public:
  explicit Moov_Video_Writer(MoovVideoSettings settings);
  Moov_Video_Writer(Moov_Video_Writer&&) = default;

  // Throws "Not enough audio track set at start" once every declared track was added.
  void add_audio_track(uint16_t bits_per_sample, uint32_t sample_rate, uint32_t track_length,
                       uint16_t channels, std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                       uint32_t surround_order);

  uint64_t get_atom_size(bool& large) const override;
  uint64_t write_atom(uint8_t* dst) const override;

  FrameRate rate() const { return FrameRate{fps_num_, fps_den_}; }
  int32_t tc_track_id() const { return tc_track_id_; }

 private:
  std::vector<const Atom_Writer*> children() const;

  std::unique_ptr<MVHD_Writer> mvhd_;
  std::unique_ptr<TRAK_Video_Writer> video_trak_;
  std::unique_ptr<TRAK_TC_Writer> tc_trak_;
  std::vector<std::unique_ptr<TRAK_Audio_Writer>> audio_traks_;
  uint32_t next_track_id_ = 0;
  uint32_t declared_audio_tracks_ = 0;
  int32_t tc_track_id_ = -1;
  uint32_t audio_tracks_added_ = 0;
  uint32_t creation_time_ = 0;
  uint32_t fps_num_ = 0;
  uint32_t fps_den_ = 0;
  uint32_t frame_count_ = 0;
};

// The second `mdat` (12 bytes) holding the timecode start frame.
class MDAT_TC_Writer : public Atom_Writer {
 public:
  explicit MDAT_TC_Writer(uint32_t tc_start);
};
