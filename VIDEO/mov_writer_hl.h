// Mov_Writer: writes one QuickTime movie. Video samples (Hap frames) and one-second groups of
// PCM audio are streamed into one `mdat` as they arrive; `finalize` patches the media data
// size, writes the timecode sample when asked and appends the `moov` index built from the
// sample offsets and sizes kept in memory. Single-threaded: one thread makes every call.
//
// File layout: 0 `ftyp` (32 bytes); 32 `mdat` header with a 64-bit size (16 bytes); 48 video
// samples and audio groups in write order; [12-byte timecode `mdat`]; `moov`.
// Audio groups are laid out by AudioInterleaver (one second of every track per group).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "VIDEO/atom_writer.h"
#include "VIDEO/audio_interleaver.h"
#include "VIDEO/file_io.h"
#include "VIDEO/sample_descriptions.h"
#include "job/frame_rate.h"

// What a movie is made from.
struct MovWriterSettings {
  std::u16string path;
  // `path` names a file made for this movie: written into in place, never created
  // (open_existing_target_file).
  bool existing_file = false;
  uint16_t width = 0;  // frame size in pixels
  uint16_t height = 0;
  VideoSampleFormat format{};       // code, compressor name and depth of the video samples
  FrameRate frame_rate{25, 1};      // stored as given
  uint32_t creation_time = 0;       // movie creation and modification time
  float pixel_aspect_ratio = 1.0f;  // horizontal over vertical pixel size
  PixelSpacing pixel_spacing{};     // the same as an exact ratio for `pasp`; zero: none
  bool timecode = false;            // a timecode track
  uint32_t timecode_start = 0;      // its first frame number
  bool drop_frame = false;          // drop-frame timecode
};

class Mov_Writer : private MediaData {
 public:
  // Creates the file and writes `ftyp` and the `mdat` header. Throws the file errors ("Can't
  // open target file : ...").
  explicit Mov_Writer(MovWriterSettings settings);
  ~Mov_Writer() = default;
  Mov_Writer(const Mov_Writer&) = delete;
  Mov_Writer& operator=(const Mov_Writer&) = delete;

  // Declares track_count tracks of the same format; once, before any audio. A count of 0 does
  // nothing. float_flag 1: 32/64-bit float; otherwise 8 (unsigned), 16, 24 or 32-bit integer.
  // surround_order picks the 6-channel label order. On failure nothing changes.
  // Throws "Set audio tracks call multiple times" and the format errors of AudioInterleaver.
  void set_audio_tracks(uint32_t track_count, int32_t sample_rate, uint16_t bits_per_sample,
                        int32_t channels, uint8_t float_flag, uint32_t surround_order);
  // The same with a format of its own for each track (track i is formats[i]).
  void set_audio_tracks(const std::vector<AudioTrackFormat>& formats);

  // Appends `count` interleaved sample frames to track `track`. REQUIRES: `frames` holds
  // count x channels x bits/8 bytes of that track's format. Counts of 0 or below do nothing.
  void add_audio_samples(const void* frames, int64_t count, uint32_t track);

  // Appends one video sample; the bytes are read only during the call.
  void add_video_frame(const void* data, uint32_t size);

  // Pads the audio to the video's length, patches the `mdat` size, writes the index and closes
  // the file. A second call throws "Invalid file pointer".
  void finalize();

  uint64_t write_position() const { return write_position_; }
  uint32_t video_sample_count() const { return video_sample_count_; }
  bool is_open() const { return static_cast<bool>(file_); }

 private:
  uint64_t append(const uint8_t* data, size_t size) override;
  void overwrite(uint64_t offset, const uint8_t* data, size_t size) override;
  std::FILE* file_or_throw() const;
  // The rate used for interleaving and the audio length: the given one, or 25/1 (as in the
  // index) when a term is zero.
  FrameRate audio_rate() const;

  MovWriterSettings settings_;
  FileHandle file_;
  std::vector<uint64_t> video_offsets_;
  std::vector<uint32_t> video_sizes_;
  uint32_t video_sample_count_ = 0;
  uint64_t write_position_ = 0;
  uint64_t tc_sample_offset_ = 0;

  std::optional<AudioInterleaver> audio_;  // empty until audio tracks are set
};
