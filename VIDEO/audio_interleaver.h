// AudioInterleaver: lays PCM audio tracks into the media data in one-second groups between the
// video samples. A group is reserved as silence just before the last frame of the previous
// second, and each track's chunk is written into its place once the track has a second of
// audio (or at the end). Single-threaded, like the movie writer that owns it.
//
// Group layout: the chunk of track 0, then track 1, ...; track t's chunk holds one second of
// that track (rate_t sample frames of channels_t x bits_t/8 bytes, little-endian, exactly as
// appended), so tracks of different formats have chunks of different sizes. Unfilled bytes
// are silence: 128 for 8-bit (unsigned) tracks, 0 for the others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "VIDEO/be_write.h"
#include "job/frame_rate.h"

// The media data as the interleaver sees it. Both operations throw the file errors
// ("Invalid file pointer" once the file is closed).
class MediaData {
 public:
  // Writes `size` bytes after the last byte of media data; returns their file offset.
  virtual uint64_t append(const uint8_t* data, size_t size) = 0;
  // Writes `size` bytes over media data appended earlier, starting at file offset `offset`.
  virtual void overwrite(uint64_t offset, const uint8_t* data, size_t size) = 0;

 protected:
  ~MediaData() = default;
};

// One audio track's sample format, with the types and meanings of Mov_Writer::set_audio_tracks.
struct AudioTrackFormat {
  int32_t sample_rate_hz = 48000;
  uint16_t bits_per_sample = 16;  // float: 32 or 64; integer: 8 (unsigned), 16, 24 or 32
  int32_t channels = 2;
  uint8_t float_flag = 0;       // 1 = float samples
  uint32_t surround_order = 0;  // label order of 6-channel tracks in the sample description
};

// What the movie index needs of one track once the audio is complete.
struct AudioTrackIndex {
  AudioTrackFormat format;
  uint32_t length = 0;                  // sample frames: the video's duration at the track's rate
  std::vector<uint64_t> chunk_offsets;  // one per second, the last one possibly partial
};

// "Invalid audio track index : <track> Nb Audio tracks (<count>)".
std::runtime_error invalid_audio_track(uint32_t track, uint32_t track_count);

class AudioInterleaver {
 public:
  static constexpr uint32_t max_tracks = 64;

  // Checks the track count and every format, in track order, then allocates one chunk buffer
  // per track. REQUIRES: at least one format; video_rate with both terms non-zero.
  // Throws "Unsupported audio track count (max 64 supported)", "Invalid 0 frequency", "Invalid
  // negative frequency : ...", "Invalid 0 nb channels by track", "Invalid nb channels by track :
  // ...", "Unsupported audio quantif for float", "Unsupported audio quantif for integer", "Audio
  // group size too large : ...".
  AudioInterleaver(const std::vector<AudioTrackFormat>& formats, FrameRate video_rate);

  uint32_t track_count() const { return static_cast<uint32_t>(tracks_.size()); }

  // Called before video frame `frame_number` (0-based) is appended: reserves the group of the
  // next second when that frame ends the current one.
  void before_video_frame(MediaData& media, uint32_t frame_number);

  // Appends `count` interleaved sample frames to `track`. REQUIRES: `frames` holds count
  // sample frames of the track's format. Counts of 0 or below do nothing; throws
  // invalid_audio_track for a track out of range (except with a count of 0).
  void add_samples(MediaData& media, const void* frames, int64_t count, uint32_t track);

  // Writes the chunks still waiting, reserves silent groups until every track covers the
  // duration of `video_frame_count` frames, and returns each track's index entry.
  // Throws "Audio track too long : ..." when a track's length does not fit in 32 bits.
  std::vector<AudioTrackIndex> finish(MediaData& media, uint32_t video_frame_count);

  const std::vector<uint64_t>& group_offsets() const { return group_offsets_; }

 private:
  struct Track {
    AudioTrackFormat format;
    uint32_t frame_bytes = 0;   // channels x bytes per sample
    uint32_t chunk_offset = 0;  // from the start of a group
    uint8_t silence = 0;
    uint32_t fill_count = 0;   // sample frames waiting in `buffer`
    uint32_t chunk_count = 0;  // chunks written
    ByteVector buffer;         // one second: rate x frame_bytes
    uint32_t chunk_length() const { return static_cast<uint32_t>(format.sample_rate_hz); }
  };

  void flush_track(MediaData& media, uint32_t track);
  void reserve_group(MediaData& media);
  uint64_t expected_length(const Track& track, uint32_t video_frame_count) const;

  FrameRate video_rate_;
  std::vector<Track> tracks_;
  ByteVector silent_group_;  // every track's silent chunk, in group order
  std::vector<uint64_t> group_offsets_;
};
