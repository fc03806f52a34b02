// Media atoms below each track: `mdia` (media header `mdhd`, handler `hdlr`, media
// information `minf`) and the media information's headers (`vmhd`, `smhd`, `gmhd`), data
// handler and data reference (`dinf`). Video and timecode media use the frame-rate numerator
// as time scale; audio media uses the sample rate.
#pragma once

#include <cstdint>
#include <vector>

#include "VIDEO/atom_writer.h"
#include "VIDEO/sample_descriptions.h"
#include "job/frame_rate.h"

// `mdhd`: time scale = rate numerator, duration = denominator x frame count.
// Throws "MDHD duration overflow" when the duration does not fit in 32 bits.
class MDHD_Writer : public Atom_Writer {
 public:
  MDHD_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate);
};

// `mdhd` of an audio track: time scale = sample rate, duration = track length in frames.
class MDHD_Audio_Writer : public Atom_Writer {
 public:
  MDHD_Audio_Writer(uint32_t creation_time, uint32_t track_length, uint32_t sample_rate);
};

// Handler atoms: media handlers for video, sound and timecode, and the alias data handler.
class HDLR_Video_Writer : public Atom_Writer {
 public:
  HDLR_Video_Writer();
};
class HDLR_Audio_Writer : public Atom_Writer {
 public:
  HDLR_Audio_Writer();
};
class HDLR_TC_Writer : public Atom_Writer {
 public:
  HDLR_TC_Writer();
};
class HDLR_Media_Writer : public Atom_Writer {
 public:
  HDLR_Media_Writer();
};

class VMHD_Writer : public Atom_Writer {
 public:
  VMHD_Writer();
};
class SMHD_Writer : public Atom_Writer {
 public:
  SMHD_Writer();
};
// `gmhd` holding `gmin` and the `tmcd`/`tcmi` text settings of a timecode track.
class GMHD_Writer : public Atom_Writer {
 public:
  GMHD_Writer();
};
// `dinf` holding a `dref` with one `alis` entry: the media data is in this file.
class DINF_Writer : public Atom_Writer {
 public:
  DINF_Writer();
};

// Children: vmhd, hdlr (data), dinf, stbl.
class MINF_Video_Writer : public Fixed_Container<4> {
 public:
  MINF_Video_Writer(uint16_t width, uint16_t height, const VideoSampleFormat& format,
                    uint32_t frame_count, FrameRate rate, std::vector<uint64_t> offsets,
                    std::vector<uint32_t> sizes, uint16_t display_width,
                    PixelSpacing exact_spacing = {});
};

// Children: smhd, hdlr (data), dinf, stbl.
class MINF_Audio_Writer : public Fixed_Container<4> {
 public:
  MINF_Audio_Writer(uint16_t bits_per_sample, uint32_t sample_rate, uint32_t track_length,
                    uint16_t channels, std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                    uint32_t surround_order);
};

// Children: gmhd, hdlr (data), dinf, stbl.
class MINF_TC_Writer : public Fixed_Container<4> {
 public:
  MINF_TC_Writer(uint32_t frame_count, FrameRate rate, uint64_t tc_sample_offset,
                 uint8_t drop_frame);
};

// Children: mdhd, hdlr (media), minf.
class MDIA_Video_Writer : public Fixed_Container<3> {
 public:
  MDIA_Video_Writer(uint32_t creation_time, uint16_t width, uint16_t height,
                    const VideoSampleFormat& format, uint32_t frame_count, FrameRate rate,
                    std::vector<uint64_t> offsets, std::vector<uint32_t> sizes,
                    uint16_t display_width, PixelSpacing exact_spacing = {});
};

class MDIA_Audio_Writer : public Fixed_Container<3> {
 public:
  MDIA_Audio_Writer(uint32_t creation_time, uint32_t track_length, uint32_t sample_rate,
                    uint16_t bits_per_sample, uint16_t channels,
                    std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                    uint32_t surround_order);
};

class MDIA_TC_Writer : public Fixed_Container<3> {
 public:
  MDIA_TC_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate,
                 uint64_t tc_sample_offset, uint8_t drop_frame);
};
