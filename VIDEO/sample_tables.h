// Sample tables (`stbl` and its leaves): where each sample lies, how long it lasts and how it
// is described. Video: one Hap frame per sample and per chunk. Audio: one sample per sample
// frame, one-second chunks. Timecode: one 4-byte sample.
#pragma once

#include <cstdint>
#include <vector>

#include "VIDEO/atom_writer.h"
#include "VIDEO/sample_descriptions.h"
#include "job/frame_rate.h"

// `stsd` with one entry: the given sample description, serialised into the content.
class STSD_Writer : public Atom_Writer {
 public:
  explicit STSD_Writer(Atom_Writer description);
};

// `stts` of one entry. kind 0: frame_count samples of one frame each (video);
// kind 1: one sample lasting the whole movie (timecode).
class STTS_Writer : public Atom_Writer {
 public:
  STTS_Writer(uint32_t frame_count, FrameRate rate, uint32_t kind);
};

// `stts` for audio: track_length samples of duration 1 (time scale = sample rate).
class STTS_Audio_Writer : public Atom_Writer {
 public:
  explicit STTS_Audio_Writer(uint32_t track_length);
};

// `stsc`: every sample is a chunk of its own.
class STSC_Writer : public Atom_Writer {
 public:
  STSC_Writer();
};

// `stsc` for audio: chunks of sample_rate frames, a shorter last one.
class STSC_Audio_Writer : public Atom_Writer {
 public:
  STSC_Audio_Writer(uint32_t track_length, uint32_t sample_rate);
};

// `stsz` with one size per sample.
class STSZ_Writer : public Atom_Writer {
 public:
  explicit STSZ_Writer(const std::vector<uint32_t>& sizes);
};

// `stsz` for audio: a constant size of one sample frame, no table.
class STSZ_Audio_Writer : public Atom_Writer {
 public:
  STSZ_Audio_Writer(uint16_t bits_per_sample, uint16_t channels, uint32_t track_length);
};

// `stco`, or `co64` when the last (largest) offset is 0xFFFFFFFF or more.
class CO_Writer : public Atom_Writer {
 public:
  explicit CO_Writer(const std::vector<uint64_t>& offsets);
};

// `sdtp`: one 0x28 byte per video sample (every sample independent, none depends on it).
class SDTP_Writer : public Atom_Writer {
 public:
  explicit SDTP_Writer(uint32_t frame_count);
};

// Children: stsd, stts, sdtp, stsc, stsz, stco/co64.
class STBL_Video_Writer : public Fixed_Container<6> {
 public:
  STBL_Video_Writer(uint16_t width, uint16_t height, const VideoSampleFormat& format,
                    uint32_t frame_count, FrameRate rate, std::vector<uint64_t> offsets,
                    std::vector<uint32_t> sizes, uint16_t display_width,
                    PixelSpacing exact_spacing = {});
};

// Children: stsd, stts, stsc, stsz, stco/co64.
class STBL_Audio_Writer : public Fixed_Container<5> {
 public:
  STBL_Audio_Writer(uint16_t bits_per_sample, uint32_t sample_rate, uint32_t track_length,
                    uint16_t channels, std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                    uint32_t surround_order);
};

// Children: stsd, stts, stsc, stsz, stco/co64 over the single timecode sample.
class STBL_TC_Writer : public Fixed_Container<5> {
 public:
  STBL_TC_Writer(uint32_t frame_count, FrameRate rate, uint64_t tc_sample_offset,
                 uint8_t drop_frame);
};
