// Byte layouts of the sample tables. Every leaf starts with version 0 and flags 0.
#include "VIDEO/sample_tables.h"

#include <stdexcept>
#include <string>

#include "VIDEO/sample_descriptions.h"

namespace {

constexpr uint64_t max_u32 = 0xFFFFFFFFull;

void append_stsc_entry(ByteVector& content, uint32_t first_chunk, uint32_t samples_per_chunk) {
  append_be32(content, first_chunk);
  append_be32(content, samples_per_chunk);
  append_be32(content, 1);  // sample description index
}

}  // namespace

STSD_Writer::STSD_Writer(Atom_Writer description) : Atom_Writer(fourcc("stsd")) {
  append_be32(content_, 0);  // version and flags
  append_be32(content_, 1);  // entry count
  append_bytes(content_, serialise_atom(description));
}

STTS_Writer::STTS_Writer(uint32_t frame_count, FrameRate rate, uint32_t kind)
    : Atom_Writer(fourcc("stts")) {
  uint32_t sample_count = 0;
  uint32_t sample_duration = 0;
  if (kind == 0) {
    sample_count = frame_count;
    sample_duration = rate.denominator;
  } else if (kind == 1) {
    const uint64_t duration = uint64_t{rate.denominator} * frame_count;
    if (duration > max_u32) throw std::runtime_error("STTS TC duration overflow");
    sample_count = 1;
    sample_duration = static_cast<uint32_t>(duration);
  } else {
    print_line_and_throw("Type track unknown STTS : " + std::to_string(kind),
                         "Type trak unknown STTS");
  }
  append_be32(content_, 0);  // version and flags
  append_be32(content_, 1);  // entry count
  append_be32(content_, sample_count);
  append_be32(content_, sample_duration);
}

STTS_Audio_Writer::STTS_Audio_Writer(uint32_t track_length) : Atom_Writer(fourcc("stts")) {
  append_be32(content_, 0);
  append_be32(content_, 1);  // entry count
  append_be32(content_, track_length);
  append_be32(content_, 1);  // sample duration
}

STSC_Writer::STSC_Writer() : Atom_Writer(fourcc("stsc")) {
  append_be32(content_, 0);
  append_be32(content_, 1);  // entry count
  append_stsc_entry(content_, 1, 1);
}

STSC_Audio_Writer::STSC_Audio_Writer(uint32_t track_length, uint32_t sample_rate)
    : Atom_Writer(fourcc("stsc")) {
  if (sample_rate == 0) throw std::runtime_error("STSC zero frequency");
  const uint32_t full_chunks = track_length / sample_rate;
  const uint32_t rest = track_length % sample_rate;
  append_be32(content_, 0);
  if (rest == 0) {
    append_be32(content_, 1);
    append_stsc_entry(content_, 1, sample_rate);
  } else if (full_chunks == 0) {
    append_be32(content_, 1);
    append_stsc_entry(content_, 1, rest);
  } else {
    append_be32(content_, 2);
    append_stsc_entry(content_, 1, sample_rate);
    append_stsc_entry(content_, full_chunks + 1, rest);
  }
}

STSZ_Writer::STSZ_Writer(const std::vector<uint32_t>& sizes) : Atom_Writer(fourcc("stsz")) {
  content_.reserve(12 + 4 * sizes.size());
  append_be32(content_, 0);
  append_be32(content_, 0);  // sample size: sizes vary, table follows
  append_be32(content_, static_cast<uint32_t>(sizes.size()));
  for (uint32_t size : sizes) append_be32(content_, size);
}

STSZ_Audio_Writer::STSZ_Audio_Writer(uint16_t bits_per_sample, uint16_t channels,
                                     uint32_t track_length)
    : Atom_Writer(fourcc("stsz")) {
  append_be32(content_, 0);
  append_be32(content_, bits_per_sample / 8u * channels);  // bytes of one sample frame
  append_be32(content_, track_length);
}

CO_Writer::CO_Writer(const std::vector<uint64_t>& offsets) : Atom_Writer(fourcc("stco")) {
  // Offsets grow along the file, so the last one decides the width of the whole table.
  const bool wide = !offsets.empty() && offsets.back() >= max_u32;
  if (wide) type_ = fourcc("co64");
  content_.reserve(8 + (wide ? 8 : 4) * offsets.size());
  append_be32(content_, 0);
  append_be32(content_, static_cast<uint32_t>(offsets.size()));
  for (uint64_t offset : offsets) {
    if (wide) {
      append_be64(content_, offset);
    } else {
      append_be32(content_, static_cast<uint32_t>(offset));
    }
  }
}

SDTP_Writer::SDTP_Writer(uint32_t frame_count) : Atom_Writer(fourcc("sdtp")) {
  append_be32(content_, 0);
  content_.insert(content_.end(), frame_count, 0x28);
}

STBL_Video_Writer::STBL_Video_Writer(uint16_t width, uint16_t height,
                                     const VideoSampleFormat& format, uint32_t frame_count,
                                     FrameRate rate, std::vector<uint64_t> offsets,
                                     std::vector<uint32_t> sizes, uint16_t display_width,
                                     PixelSpacing exact_spacing)
    : Fixed_Container(fourcc("stbl")) {
  if (frame_count == 0) {
    print_line_and_throw("STBL : Duration 0 invalid", "STBL : Duration 0 for the file");
  }
  std::vector<Atom_Writer> extensions;
  extensions.push_back(GAMA_Writer(2, 0x3333));  // gamma 2.2
  if (exact_spacing.h_spacing != 0 && exact_spacing.v_spacing != 0) {
    extensions.push_back(PASP_Writer(exact_spacing.h_spacing, exact_spacing.v_spacing));
  } else {
    extensions.push_back(PASP_Writer(display_width, width));
  }
  children_[0] = std::make_unique<STSD_Writer>(
      SampleDescription_Video(width, height, format, std::move(extensions)));
  children_[1] = std::make_unique<STTS_Writer>(frame_count, rate, 0);
  children_[2] = std::make_unique<SDTP_Writer>(frame_count);
  children_[3] = std::make_unique<STSC_Writer>();
  children_[4] = std::make_unique<STSZ_Writer>(sizes);
  std::vector<uint32_t>().swap(sizes);
  children_[5] = std::make_unique<CO_Writer>(offsets);
}

STBL_Audio_Writer::STBL_Audio_Writer(uint16_t bits_per_sample, uint32_t sample_rate,
                                     uint32_t track_length, uint16_t channels,
                                     std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                                     uint32_t surround_order)
    : Fixed_Container(fourcc("stbl")) {
  if (track_length == 0) {
    print_line_and_throw("STBL : Nb samples 0 invalid", "STBL : Duration 0 samples for the file");
  }
  children_[0] = std::make_unique<STSD_Writer>(
      SampleDescription_Audio(bits_per_sample, sample_rate, channels, float_flag, surround_order));
  children_[1] = std::make_unique<STTS_Audio_Writer>(track_length);
  children_[2] = std::make_unique<STSC_Audio_Writer>(track_length, sample_rate);
  children_[3] = std::make_unique<STSZ_Audio_Writer>(bits_per_sample, channels, track_length);
  children_[4] = std::make_unique<CO_Writer>(chunk_offsets);
}

STBL_TC_Writer::STBL_TC_Writer(uint32_t frame_count, FrameRate rate, uint64_t tc_sample_offset,
                               uint8_t drop_frame)
    : Fixed_Container(fourcc("stbl")) {
  if (frame_count == 0) {
    print_line_and_throw("STBL TC : Duration 0 invalid", "STBL TC : Duration 0 for the file");
  }
  children_[0] = std::make_unique<STSD_Writer>(SampleDescription_Timecode(rate, drop_frame));
  children_[1] = std::make_unique<STTS_Writer>(frame_count, rate, 1);
  children_[2] = std::make_unique<STSC_Writer>();
  children_[3] = std::make_unique<STSZ_Writer>(std::vector<uint32_t>{4});
  children_[4] = std::make_unique<CO_Writer>(std::vector<uint64_t>{tc_sample_offset});
}
