#pragma once
// RenderJob: everything one render owns: the movie writer, a pool of frame encoders and one
// thread per frame in flight, plus the ring of slots that hands finished Hap frames to the movie
// writer strictly in submission order.
//
// Threads and sharing: one driving thread makes every call on a job. Each submitted frame gets a
// std::thread of its own that runs only its slot's frame encoder; the driving thread touches an
// encoder only while its slot is not busy (before the thread starts or after it was joined). The
// join is the only synchronisation; there are no locks and no other shared mutable state. A
// worker's exception is caught into its slot and rethrown on the driving thread when the slot is
// collected. Destroying a job joins every thread still running before anything is released.

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "HAP/frame_encoder.h"
#include "VIDEO/mov_writer_hl.h"
#include "job/frame_rate.h"

// Codec argument of the job: the job_codec of a variant in kHapVariants (0 Hap Alpha-Only, 1 Hap,
// 2 Hap Alpha, 3 Hap Q, 4 Hap Q Alpha, 5 Hap R).
using JobCodec = uint8_t;

// Encoder pool size for a processor count: at least 1, at most 128.
uint32_t job_pool_size(uint32_t processor_count);

// Test seams; the default leaves the job as in production.
struct RenderJobHooks {
  // Pool size in several-frames-at-a-time mode; 0 = from the processor count.
  uint32_t encoder_count = 0;
  // Runs on a frame's worker thread before its encode, with the frame's submission index
  // (0-based). May sleep or throw.
  std::function<void(uint64_t frame_index)> before_encode;
};

// RenderJobSettings::encoding_mode values: one frame at a time (one encoder, the texture
// compressor spreading each frame over the cores); any other value encodes several frames at
// once, one encoder per logical processor (at most 128), each frame on its own thread.
constexpr uint32_t kOneFrameAtATime = 1;
constexpr uint32_t kSeveralFramesAtATime = 0;

// Everything a render is made from. The defaults are those of a new output module (Hap,
// Normal, 8 Snappy chunks, several frames at a time) without timecode.
struct RenderJobSettings {
  std::u16string path;  // output movie; read only while the job is constructed
  uint16_t width = 0;   // frame size in pixels
  uint16_t height = 0;
  // 24 for opaque frames (24/48-bit), 32 for frames with alpha; the sample description's depth
  // follows it where the variant takes either (hap_sample_depth).
  uint8_t depth = 24;
  FrameRate frame_rate{25, 1};
  uint32_t creation_time = 0;  // movie creation and modification time
  uint16_t chunk_count = 8;    // Snappy chunks per frame; 0 = no Snappy
  bool timecode_switch = false;
  uint32_t timecode_start = 0;      // first frame number of the timecode track
  bool drop_frame = false;          // drop-frame timecode
  float pixel_aspect_ratio = 1.0f;  // horizontal over vertical pixel size
  PixelSpacing pixel_spacing{};     // the same as an exact ratio for `pasp`; zero: none
  JobCodec codec = 1;               // Hap
  uint32_t encoding_mode = kSeveralFramesAtATime;
  uint8_t quality = 2;     // 1 Fast, 2 Normal, 3 Slow, 4 Best (command line); clamped to 1..4
  bool no_output = false;  // no file: encoded frames are discarded and audio ignored
  CpuFeatureMask cpu_mask = CPU_MASK_DEFAULT;
  // `path` names a file made for this movie: it is written into in place and never created
  // (see Mov_Writer).
  bool existing_file = false;
};

class RenderJob {
 public:
  static constexpr uint32_t kMaxEncoders = 128;

  // Throws "Unsupported HAP Codec" (before the file is created), the movie writer's errors, and
  // "fail to init cpu encoding" when a frame encoder cannot be created (the file is then closed).
  explicit RenderJob(const RenderJobSettings& settings, RenderJobHooks hooks = {});
  ~RenderJob();
  RenderJob(const RenderJob&) = delete;
  RenderJob& operator=(const RenderJob&) = delete;

  // Forwarded to the movie writer unless no_output: tracks of one format, or one format each.
  void set_audio_tracks(uint32_t track_count, int32_t sample_rate_hz, uint16_t bits_per_sample,
                        int32_t channels_per_track, uint8_t float_flag, uint32_t surround_order);
  void set_audio_tracks(const std::vector<AudioTrackFormat>& formats);

  // Texture slot 0 of every encoder; slots 1 and 2. See frame_encoder_open(_extra).
  void open_encoders(PixelFormat format, uint32_t host_depth, PadMode pad, uint32_t threads);
  void open_extra_encoders(PixelFormat format, uint32_t host_depth, PadMode pad, uint32_t threads,
                           uint8_t texture_slot);

  // Submits one frame (copied or compressed before returning). Returns 1 when the call collected
  // an older frame, and always 1 with a single encoder; 0 otherwise. Throws "Invalid encodeur
  // index" for a slot above 2 (nothing changes), the errors of the encoder and the movie writer,
  // and a worker's error when the collected frame failed.
  int add_frame(const uint8_t* pixels, size_t row_bytes, uint8_t texture_slot);

  // Forwarded to the movie writer's add_audio_samples unless no_output.
  void add_sound(const void* samples, int64_t sample_frames, uint32_t track);

  // Waits for every frame in flight and writes them in submission order; returns how many.
  uint32_t flush();

  // flush, then the movie writer's finalize (index written, file closed).
  void finish();

  uint32_t encoder_count() const { return encoder_count_; }

 private:
  struct Slot {
    std::unique_ptr<FrameEncoder> encoder;
    std::thread thread;
    uint8_t busy = 0;
    uint64_t frame_index = 0;
    std::exception_ptr error;  // set by the worker, rethrown at collection
  };

  void start(uint32_t slot_index);
  void collect(uint32_t slot_index);
  void join_all() noexcept;

  std::unique_ptr<Mov_Writer> writer_;
  uint16_t width_ = 0;
  uint16_t height_ = 0;
  uint16_t chunk_count_ = 0;
  uint8_t quality_ = 2;
  CpuFeatureMask cpu_mask_ = 0;
  uint8_t no_output_ = 0;
  uint32_t encoder_count_ = 1;
  std::array<Slot, kMaxEncoders> slots_;
  uint32_t next_slot_ = 0;
  uint64_t frames_submitted_ = 0;
  RenderJobHooks hooks_;
};
