// Render job: pool of frame encoders, per-frame threads and the in-order ring.
#include "job/render_job.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

uint32_t job_pool_size(uint32_t processor_count) {
  return std::clamp<uint32_t>(processor_count, 1, RenderJob::kMaxEncoders);
}

RenderJob::RenderJob(const RenderJobSettings& settings, RenderJobHooks hooks)
    : width_(settings.width),
      height_(settings.height),
      chunk_count_(settings.chunk_count),
      quality_(std::clamp<uint8_t>(settings.quality, DXT_QUALITY_FAST, DXT_QUALITY_BEST)),
      cpu_mask_(settings.cpu_mask),
      no_output_(settings.no_output ? 1 : 0),
      hooks_(std::move(hooks)) {
  const HapVariant* variant = hap_variant_for_job_codec(settings.codec);
  if (!variant) throw std::runtime_error("Unsupported HAP Codec");  // before anything is created
  if (!no_output_) {
    writer_ = std::make_unique<Mov_Writer>(
        MovWriterSettings{.path = settings.path,
                          .existing_file = settings.existing_file,
                          .width = settings.width,
                          .height = settings.height,
                          .format = {.code = fourcc(variant->sample_code),
                                     .compressor_name = variant->compressor_name,
                                     .depth = hap_sample_depth(*variant, settings.depth)},
                          .frame_rate = settings.frame_rate,
                          .creation_time = settings.creation_time,
                          .pixel_aspect_ratio = settings.pixel_aspect_ratio,
                          .pixel_spacing = settings.pixel_spacing,
                          .timecode = settings.timecode_switch,
                          .timecode_start = settings.timecode_start,
                          .drop_frame = settings.drop_frame});
  }
  uint8_t per_frame_mode = 0;
  if (settings.encoding_mode == kOneFrameAtATime) {
    encoder_count_ = 1;
  } else {
    per_frame_mode = 1;
    encoder_count_ = job_pool_size(hooks_.encoder_count != 0 ? hooks_.encoder_count
                                                             : std::thread::hardware_concurrency());
  }
  for (uint32_t i = 0; i < encoder_count_; ++i) {
    slots_[i].encoder = frame_encoder_create(width_, height_, chunk_count_, variant->frame_codec,
                                             quality_, per_frame_mode, cpu_mask_, 0);
    // On failure the members (movie writer, encoders made so far) are released as the exception
    // leaves the constructor, so the file is closed.
    if (!slots_[i].encoder) throw std::runtime_error("fail to init cpu encoding");
  }
}

RenderJob::~RenderJob() {
  // Frames still in flight are waited for (their results dropped) before the encoders they use
  // are released.
  join_all();
}

void RenderJob::join_all() noexcept {
  for (Slot& slot : slots_) {
    if (slot.thread.joinable()) slot.thread.join();
  }
}

void RenderJob::set_audio_tracks(uint32_t track_count, int32_t sample_rate_hz,
                                 uint16_t bits_per_sample, int32_t channels_per_track,
                                 uint8_t float_flag, uint32_t surround_order) {
  if (writer_) {
    writer_->set_audio_tracks(track_count, sample_rate_hz, bits_per_sample, channels_per_track,
                              float_flag, surround_order);
  }
}

void RenderJob::set_audio_tracks(const std::vector<AudioTrackFormat>& formats) {
  if (writer_) writer_->set_audio_tracks(formats);
}

void RenderJob::open_encoders(PixelFormat format, uint32_t host_depth, PadMode pad,
                              uint32_t threads) {
  for (uint32_t i = 0; i < encoder_count_; ++i) {
    frame_encoder_open(*slots_[i].encoder, format, host_depth, pad, threads);
  }
}

void RenderJob::open_extra_encoders(PixelFormat format, uint32_t host_depth, PadMode pad,
                                    uint32_t threads, uint8_t texture_slot) {
  for (uint32_t i = 0; i < encoder_count_; ++i) {
    frame_encoder_open_extra(*slots_[i].encoder, format, host_depth, pad, threads, texture_slot);
  }
}

void RenderJob::start(uint32_t slot_index) {
  Slot& slot = slots_[slot_index];
  slot.error = nullptr;
  slot.frame_index = frames_submitted_;
  // The worker owns nothing: it runs the slot's encoder and parks any exception in the slot.
  slot.thread = std::thread([&slot, hook = &hooks_.before_encode] {
    try {
      if (*hook) (*hook)(slot.frame_index);
      frame_encoder_encode(*slot.encoder);
    } catch (...) {
      slot.error = std::current_exception();
    }
  });
  slot.busy = 1;
  ++frames_submitted_;
}

void RenderJob::collect(uint32_t slot_index) {
  Slot& slot = slots_[slot_index];
  slot.thread.join();
  slot.busy = 0;
  if (slot.error) {
    std::exception_ptr error = std::exchange(slot.error, nullptr);
    std::rethrow_exception(error);
  }
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  frame_encoder_output(slot.encoder.get(), &data, &size);
  if (size == 0) {
    std::printf("WARNING : Empty hap frame queue 1\n");
    return;
  }
  if (writer_) writer_->add_video_frame(data, static_cast<uint32_t>(size));
}

int RenderJob::add_frame(const uint8_t* pixels, size_t row_bytes, uint8_t texture_slot) {
  if (texture_slot > 2) throw std::runtime_error("Invalid encodeur index");
  if (encoder_count_ == 1) {
    if (slots_[0].busy) collect(0);
    frame_encoder_take(*slots_[0].encoder, pixels, row_bytes, texture_slot);
    start(0);
    return 1;
  }
  const uint32_t s = next_slot_;
  const uint32_t following = s + 1 == encoder_count_ ? 0 : s + 1;
  int result = 0;
  if (slots_[s].busy) {
    result = 1;
    try {
      collect(s);
    } catch (...) {
      // The failed frame's slot is now free; moving on keeps the oldest frame next in the ring.
      next_slot_ = following;
      throw;
    }
  }
  frame_encoder_take(*slots_[s].encoder, pixels, row_bytes, texture_slot);
  start(s);
  next_slot_ = following;
  return result;
}

void RenderJob::add_sound(const void* samples, int64_t sample_frames, uint32_t track) {
  if (writer_) writer_->add_audio_samples(samples, sample_frames, track);
}

uint32_t RenderJob::flush() {
  if (encoder_count_ == 1) {
    if (!slots_[0].busy) return 0;
    collect(0);
    return 1;
  }
  uint32_t collected = 0;
  for (uint32_t i = 0; i < encoder_count_; ++i) {
    const uint32_t s = next_slot_;
    next_slot_ = s + 1 == encoder_count_ ? 0 : s + 1;
    if (slots_[s].busy) {
      collect(s);
      ++collected;
    }
  }
  return collected;
}

void RenderJob::finish() {
  flush();
  if (writer_) writer_->finalize();
}
