#pragma once
// The 48-byte output options record the host stores with each output module and in projects,
// and the host-independent logic over it: defaults, copy, the one-line description and the
// output depths it accepts. Little-endian, no pointers: a flat copy has the live layout.
#include <cstddef>
#include <cstdint>
#include <string>

#include "HAP/hap_variants.h"

namespace orvex_host {

// Codec value of the record meaning Hap or Hap Alpha by the output depth.
constexpr uint32_t kCodecHapByDepth = 6;

struct OutputOptions {
  char magic[4];         // 0: 'Q', 'X', 'V', '!'
  uint8_t flat;          // 4: 1 in a flat copy made for the host, 0 in a live record
  uint8_t pad0[3];       // 5
  uint32_t codec;        // 8: HapFrameCodec numbering; 6 = Hap or Hap Alpha by depth
  uint8_t reserved12;    // 12: copied, never read
  uint8_t reserved13;    // 13: copied, never read
  uint8_t snappy;        // 14: nonzero = Snappy chunks
  uint8_t pad1;          // 15
  uint32_t chunk_count;  // 16: 1..64 as the dialog stores it
  uint32_t quality;      // 20: 1 Fast, 2 Normal, 3 Slow
  uint32_t frame_mode;   // 24: 1 several frames at a time, 2 one at a time, 0 like 1
  uint32_t reserved28;   // 28
  uint8_t reserved32;    // 32
  uint8_t pad2[3];       // 33
  uint32_t reserved36;   // 36
  uint32_t reserved40;   // 40
  uint32_t reserved44;   // 44
};
static_assert(sizeof(OutputOptions) == 48);
static_assert(offsetof(OutputOptions, codec) == 8 && offsetof(OutputOptions, snappy) == 14 &&
              offsetof(OutputOptions, chunk_count) == 16 &&
              offsetof(OutputOptions, frame_mode) == 24 &&
              offsetof(OutputOptions, reserved32) == 32 &&
              offsetof(OutputOptions, reserved44) == 44);

constexpr size_t kOutputOptionsSize = sizeof(OutputOptions);

// Writes every field with its default: magic, live, Hap, Snappy with 8 chunks, Normal, frame
// mode 0, the reserved bytes at 12 and 13 set to 1, zeros elsewhere.
void options_set_defaults(OutputOptions& record);

// Copies every field but the magic and the padding from `source` when its magic is right and
// returns true. Otherwise prints "ERR Not KVR Options", leaves `destination` unchanged and
// returns false. `source` needs only to be 48 readable bytes.
bool options_copy_from(OutputOptions& destination, const OutputOptions& source);

// The variant a record's codec names (HapFrameCodec numbering); null for kCodecHapByDepth, which
// options_describe resolves, and for values that name no variant.
const HapVariant* options_variant(uint32_t codec);

// The description shown by the host for this record at output depth `depth_bits`. Codec 6 is
// rewritten in `record` to Hap (24, 48 bits) or Hap Alpha (32, 64 bits).
std::string options_describe(OutputOptions& record, int depth_bits);

// The host's depth flag word of the depths the record's codec accepts.
int32_t options_supported_depths(const OutputOptions& record);

}  // namespace orvex_host
