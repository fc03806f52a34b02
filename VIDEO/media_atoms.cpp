// Byte layouts of the media, handler and media-information atoms.
#include "VIDEO/media_atoms.h"

#include <stdexcept>
#include <string>

#include "VIDEO/sample_tables.h"

namespace {

void append_fourcc(ByteVector& content, const char (&code)[5]) {
  content.insert(content.end(), code, code + 4);
}

// hdlr content: version/flags, component type, subtype, manufacturer `appl`, flags,
// flags mask, name as a Pascal string without padding.
void append_handler(ByteVector& content, const char (&type)[5], const char (&subtype)[5],
                    uint32_t flags, uint32_t flags_mask, const std::string& name) {
  append_be32(content, 0);
  append_fourcc(content, type);
  append_fourcc(content, subtype);
  append_fourcc(content, "appl");
  append_be32(content, flags);
  append_be32(content, flags_mask);
  content.push_back(static_cast<uint8_t>(name.size()));
  content.insert(content.end(), name.begin(), name.end());
}

}  // namespace

MDHD_Writer::MDHD_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate)
    : Atom_Writer(fourcc("mdhd")) {
  const uint64_t duration = uint64_t{rate.denominator} * frame_count;
  if (duration > 0xFFFFFFFFull) throw std::runtime_error("MDHD duration overflow");
  append_be32(content_, 0);
  append_be32(content_, creation_time);
  append_be32(content_, creation_time);   // modification time
  append_be32(content_, rate.numerator);  // time scale
  append_be32(content_, static_cast<uint32_t>(duration));
  append_be16(content_, 0);  // language
  append_be16(content_, 0);  // quality
}

MDHD_Audio_Writer::MDHD_Audio_Writer(uint32_t creation_time, uint32_t track_length,
                                     uint32_t sample_rate)
    : Atom_Writer(fourcc("mdhd")) {
  append_be32(content_, 0);
  append_be32(content_, creation_time);
  append_be32(content_, creation_time);
  append_be32(content_, sample_rate);
  append_be32(content_, track_length);
  append_be16(content_, 0);
  append_be16(content_, 0);
}

HDLR_Video_Writer::HDLR_Video_Writer() : Atom_Writer(fourcc("hdlr")) {
  append_handler(content_, "mhlr", "vide", 0, 0x00010023, "Module de gestion video");
}

HDLR_Audio_Writer::HDLR_Audio_Writer() : Atom_Writer(fourcc("hdlr")) {
  append_handler(content_, "mhlr", "soun", 0x10000000, 0x00010255, "Module de gestion sonore");
}

HDLR_TC_Writer::HDLR_TC_Writer() : Atom_Writer(fourcc("hdlr")) {
  append_handler(content_, "mhlr", "tmcd", 1, 0x00010128, "Gestionnaire code temporel");
}

HDLR_Media_Writer::HDLR_Media_Writer() : Atom_Writer(fourcc("hdlr")) {
  // The apostrophe is the single byte 0x92 of the Mac Roman / Windows-1252 right quote.
  append_handler(content_, "dhlr", "alis", 1, 0x0001002E,
                 "Gestionnaire d\x92"
                 "alias Apple");
}

VMHD_Writer::VMHD_Writer() : Atom_Writer(fourcc("vmhd")) {
  append_be32(content_, 1);       // version 0, flags 1
  append_be16(content_, 0x0040);  // graphics mode: dither copy
  append_be16(content_, 0x8000);  // opcolour
  append_be16(content_, 0x8000);
  append_be16(content_, 0x8000);
}

SMHD_Writer::SMHD_Writer() : Atom_Writer(fourcc("smhd")) {
  append_be32(content_, 0);
  append_be16(content_, 0);  // balance
  append_be16(content_, 0);  // reserved
}

GMHD_Writer::GMHD_Writer() : Atom_Writer(fourcc("gmhd")) {
  ByteVector gmin;
  append_be32(gmin, 0);
  append_be16(gmin, 0x0040);  // graphics mode
  append_be16(gmin, 0x8000);  // opcolour
  append_be16(gmin, 0x8000);
  append_be16(gmin, 0x8000);
  append_be16(gmin, 0);  // balance
  append_be16(gmin, 0);  // reserved
  append_bytes(content_, atom_block("gmin", gmin));

  ByteVector tcmi;
  append_be32(tcmi, 0);
  append_be16(tcmi, 0);   // text font
  append_be16(tcmi, 0);   // text face
  append_be16(tcmi, 12);  // text size
  append_be16(tcmi, 0);
  for (int i = 0; i < 3; ++i) append_be16(tcmi, 0);       // text colour
  for (int i = 0; i < 3; ++i) append_be16(tcmi, 0xFFFF);  // background colour
  const std::string font = "System";
  tcmi.push_back(static_cast<uint8_t>(font.size()));
  tcmi.insert(tcmi.end(), font.begin(), font.end());
  append_bytes(content_, atom_block("tmcd", atom_block("tcmi", tcmi)));
}

DINF_Writer::DINF_Writer() : Atom_Writer(fourcc("dinf")) {
  ByteVector dref;
  append_be32(dref, 0);
  append_be32(dref, 1);  // entry count
  ByteVector alis;
  append_be32(alis, 1);  // version 0, flags 1: data in this file
  append_bytes(dref, atom_block("alis", alis));
  append_bytes(content_, atom_block("dref", dref));
}

MINF_Video_Writer::MINF_Video_Writer(uint16_t width, uint16_t height,
                                     const VideoSampleFormat& format, uint32_t frame_count,
                                     FrameRate rate, std::vector<uint64_t> offsets,
                                     std::vector<uint32_t> sizes, uint16_t display_width,
                                     PixelSpacing exact_spacing)
    : Fixed_Container(fourcc("minf")) {
  children_[0] = std::make_unique<VMHD_Writer>();
  children_[1] = std::make_unique<HDLR_Media_Writer>();
  children_[2] = std::make_unique<DINF_Writer>();
  children_[3] = std::make_unique<STBL_Video_Writer>(width, height, format, frame_count, rate,
                                                     std::move(offsets), std::move(sizes),
                                                     display_width, exact_spacing);
}

MINF_Audio_Writer::MINF_Audio_Writer(uint16_t bits_per_sample, uint32_t sample_rate,
                                     uint32_t track_length, uint16_t channels,
                                     std::vector<uint64_t> chunk_offsets, uint8_t float_flag,
                                     uint32_t surround_order)
    : Fixed_Container(fourcc("minf")) {
  children_[0] = std::make_unique<SMHD_Writer>();
  children_[1] = std::make_unique<HDLR_Media_Writer>();
  children_[2] = std::make_unique<DINF_Writer>();
  children_[3] =
      std::make_unique<STBL_Audio_Writer>(bits_per_sample, sample_rate, track_length, channels,
                                          std::move(chunk_offsets), float_flag, surround_order);
}

MINF_TC_Writer::MINF_TC_Writer(uint32_t frame_count, FrameRate rate, uint64_t tc_sample_offset,
                               uint8_t drop_frame)
    : Fixed_Container(fourcc("minf")) {
  children_[0] = std::make_unique<GMHD_Writer>();
  children_[1] = std::make_unique<HDLR_Media_Writer>();
  children_[2] = std::make_unique<DINF_Writer>();
  children_[3] = std::make_unique<STBL_TC_Writer>(frame_count, rate, tc_sample_offset, drop_frame);
}

MDIA_Video_Writer::MDIA_Video_Writer(uint32_t creation_time, uint16_t width, uint16_t height,
                                     const VideoSampleFormat& format, uint32_t frame_count,
                                     FrameRate rate, std::vector<uint64_t> offsets,
                                     std::vector<uint32_t> sizes, uint16_t display_width,
                                     PixelSpacing exact_spacing)
    : Fixed_Container(fourcc("mdia")) {
  children_[0] = std::make_unique<MDHD_Writer>(creation_time, frame_count, rate);
  children_[1] = std::make_unique<HDLR_Video_Writer>();
  children_[2] = std::make_unique<MINF_Video_Writer>(width, height, format, frame_count, rate,
                                                     std::move(offsets), std::move(sizes),
                                                     display_width, exact_spacing);
}

MDIA_Audio_Writer::MDIA_Audio_Writer(uint32_t creation_time, uint32_t track_length,
                                     uint32_t sample_rate, uint16_t bits_per_sample,
                                     uint16_t channels, std::vector<uint64_t> chunk_offsets,
                                     uint8_t float_flag, uint32_t surround_order)
    : Fixed_Container(fourcc("mdia")) {
  children_[0] = std::make_unique<MDHD_Audio_Writer>(creation_time, track_length, sample_rate);
  children_[1] = std::make_unique<HDLR_Audio_Writer>();
  children_[2] =
      std::make_unique<MINF_Audio_Writer>(bits_per_sample, sample_rate, track_length, channels,
                                          std::move(chunk_offsets), float_flag, surround_order);
}

MDIA_TC_Writer::MDIA_TC_Writer(uint32_t creation_time, uint32_t frame_count, FrameRate rate,
                               uint64_t tc_sample_offset, uint8_t drop_frame)
    : Fixed_Container(fourcc("mdia")) {
  children_[0] = std::make_unique<MDHD_Writer>(creation_time, frame_count, rate);
  children_[1] = std::make_unique<HDLR_TC_Writer>();
  children_[2] = std::make_unique<MINF_TC_Writer>(frame_count, rate, tc_sample_offset, drop_frame);
}
