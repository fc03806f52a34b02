#pragma once
// FrameEncoder: turns one host frame into one finished Hap frame. It owns the compressed-texture
// buffer, three texture compressors (texture slots 0, 1, 2, each opened for one source pixel
// layout), the HapFrame output and, in per-frame mode, a private copy of the source pixels.
//
// Modes. Block-parallel (per_frame_mode 0): take block-compresses at once on the calling thread,
// the texture compressor spreading rows over all processors; encode only builds the Hap frame.
// Per-frame (per_frame_mode 1): take copies the pixels; encode does the whole job, single-threaded.
//
// Threads: one thread at a time uses an encoder (the driving thread for create, open, take,
// output and destroy; a worker for encode); the caller's join between them is the only ordering.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "HAP/HAP_Frame.h"
#include "HAP/aligned_buffer.h"
#include "texture/dxtenc.h"

// One texture inside the compressed-texture buffer.
struct TextureDesc {
  uint8_t* data = nullptr;
  size_t length = 0;  // bytes
};

struct FrameEncoder {
  uint32_t width = 0;         // pixels
  uint32_t height = 0;        // pixels
  uint8_t borrow_pixels = 0;  // 1: keep the caller's pointer instead of copying (per-frame mode)
  HapFrameCodec codec = HapFrameCodec_Hap;
  uint32_t snappy = 0;       // 1 when a chunk count was requested
  uint32_t chunk_count = 1;  // 1..64
  uint8_t quality = 2;       // 1 fast, 2 normal, 3 slow, 4 best

  // Texture 1 starts the buffer; texture 2 (Hap Q Alpha only) follows it in the same buffer.
  AlignedBuffer texture;
  TextureDesc texture_1;
  TextureDesc texture_2;

  HapFrame hap;
  DxtEnc dxt[3];  // pixel_format == PIXEL_FORMAT_UNSET until opened

  uint8_t per_frame_mode = 0;
  CpuFeatureMask cpu_mask = 0;

  // Per-frame mode: the copied (or borrowed) frame; only plane 0 is used.
  AlignedBuffer pixel_copy;
  const uint8_t* planes[4] = {};
  size_t strides[4] = {};
  uint64_t frame_bytes = 0;

  uint8_t selected_slot = 0;   // texture slot of the current frame
  bool frame_pending = false;  // a frame was taken and not yet encoded
};

// New encoder for width x height frames, or nullptr. Width or height 0 prints
// "ERR : dim invalide" on standard output; an allocation failure also gives nullptr.
// chunk_count 0 = no Snappy (one chunk); otherwise Snappy with at most 64 chunks.
std::unique_ptr<FrameEncoder> frame_encoder_create(uint32_t width, uint32_t height,
                                                   uint32_t chunk_count, HapFrameCodec codec,
                                                   uint8_t quality, uint8_t per_frame_mode,
                                                   CpuFeatureMask cpu_mask, uint8_t borrow_pixels);

// Sets up texture slot 0 for `format` pixels from a host frame of `host_depth` bits (24, 32, 48,
// 64) and allocates the compressed-texture buffer. `threads` 0 = all processors (ignored in
// per-frame mode: always 1). Throws "Unsupported HAP Codec", "Error opening encoder", or
// std::bad_alloc after the alloc error line.
void frame_encoder_open(FrameEncoder& enc, PixelFormat format, uint32_t host_depth, PadMode pad,
                        uint32_t threads);

// Sets up texture slot 1 or 2 like slot 0 (they share slot 0's buffer). Throws "Invalid encoder"
// for another slot, "Error opening encoder 2" when the compressor refuses.
void frame_encoder_open_extra(FrameEncoder& enc, PixelFormat format, uint32_t host_depth,
                              PadMode pad, uint32_t threads, uint8_t slot);

// Hands one frame over: `height` rows of `row_bytes` bytes, pixels in the layout slot `slot` was
// opened for. The pixels are not referenced after the call (unless borrowed). Throws
// "Invalid encoder" when the slot is above 2 or was not opened, "Invalid row bytes" when a row is
// shorter than the frame's width, std::bad_alloc when the copy buffer cannot grow.
void frame_encoder_take(FrameEncoder& enc, const uint8_t* pixels, size_t row_bytes, uint8_t slot);

// Builds the Hap frame of the last frame taken (worker thread). Without a frame taken, the output
// becomes empty. Errors of the Hap frame builder propagate as std::runtime_error.
void frame_encoder_encode(FrameEncoder& enc);

// The last Hap frame: (data, size); size 0 when there is none. An absent encoder gives size 0
// and leaves `data` untouched.
void frame_encoder_output(const FrameEncoder* enc, const uint8_t** data, uint64_t* size);

// Releases the encoder and everything it owns; an empty pointer is ignored.
void frame_encoder_destroy(std::unique_ptr<FrameEncoder>& enc);
