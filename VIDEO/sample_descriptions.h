// Sample descriptions (one per track, inside `stsd`): video with its `gama` and `pasp`
// extensions, PCM audio (version 1 for mono/stereo up to 48 kHz, version 2 with a `chan`
// layout otherwise) and timecode. The atom type is the data format code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "VIDEO/atom_writer.h"
#include "job/frame_rate.h"

// `gama`: two 16-bit halves of a 16.16 gamma.
class GAMA_Writer : public Atom_Writer {
 public:
  GAMA_Writer(uint16_t integer_part, uint16_t fraction_part);
};

// `pasp`: horizontal and vertical pixel spacing.
class PASP_Writer : public Atom_Writer {
 public:
  PASP_Writer(uint32_t h_spacing, uint32_t v_spacing);
};

// An exact pixel aspect ratio for `pasp` (h_spacing : v_spacing). Zero (the default): none
// given; the video track then writes (display width, encoded width), the ratio as rounded
// into the display width.
struct PixelSpacing {
  uint32_t h_spacing = 0;
  uint32_t v_spacing = 0;
};

// What the video sample description says of the samples' format; the caller knows the codec.
struct VideoSampleFormat {
  FourCC code{};                // the description's type, e.g. "Hap1"
  std::string compressor_name;  // shown by players; 1 to 31 characters
  uint8_t depth = 24;           // 24 opaque, 32 with alpha
};

// Video description: 78 fixed bytes, the extension atoms in list order, 4 zero bytes.
// Throws "Sample description, codec unsupported" for a compressor name the 32-byte field cannot
// hold (empty or over 31 characters).
class SampleDescription_Video : public Atom_Writer {
 public:
  SampleDescription_Video(uint16_t width, uint16_t height, const VideoSampleFormat& format,
                          std::vector<Atom_Writer> extensions);
};

// PCM description. Samples are little-endian; float_flag 1 means IEEE float, anything else
// signed integer (unsigned for 8 bits). surround_order picks the 6-channel label order.
class SampleDescription_Audio : public Atom_Writer {
 public:
  SampleDescription_Audio(uint16_t bits_per_sample, uint32_t sample_rate, uint16_t channels,
                          uint8_t float_flag, uint32_t surround_order);
};

// Timecode description for N/1 (N < 256), 24000/1001, 30000/1001 and 60000/1001. Drop frame
// is kept only for 30000/1001 and 60000/1001 (a warning line otherwise).
class SampleDescription_Timecode : public Atom_Writer {
 public:
  SampleDescription_Timecode(FrameRate rate, uint8_t drop_frame);
};
