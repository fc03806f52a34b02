// Byte layouts of the video, audio and timecode sample descriptions.
#include "VIDEO/sample_descriptions.h"

#include <iostream>
#include <stdexcept>
#include <string>

namespace {

void append_zeros(ByteVector& content, size_t count) {
  content.resize(content.size() + count, 0);
}

void append_fourcc(ByteVector& content, const FourCC& code) {
  content.insert(content.end(), code.begin(), code.end());
}

// Pascal string (length byte, characters) zero-padded to `field` bytes.
void append_pascal(ByteVector& content, const std::string& text, size_t field) {
  content.push_back(static_cast<uint8_t>(text.size()));
  content.insert(content.end(), text.begin(), text.end());
  append_zeros(content, field - 1 - text.size());
}

// Core Audio channel labels for `channels` descriptions.
std::vector<uint32_t> channel_labels(uint16_t channels, uint32_t surround_order) {
  if (channels == 1) return {42};
  if (channels == 2) return {1, 2};
  if (channels == 6) {
    if (surround_order == 2) return {1, 2, 5, 6, 3, 4};
    if (surround_order == 3) return {1, 3, 2, 5, 6, 4};
    return {1, 2, 3, 4, 5, 6};
  }
  return std::vector<uint32_t>(channels, 0xFFFFFFFFu);
}

ByteVector chan_atom(uint16_t channels, uint32_t surround_order) {
  ByteVector body;
  append_be32(body, 0);  // version and flags
  append_be32(body, 0);  // layout tag: use channel descriptions
  append_be32(body, 0);  // channel bitmap
  append_be32(body, channels);
  for (uint32_t label : channel_labels(channels, surround_order)) {
    append_be32(body, label);
    append_be32(body, 0);    // flags
    append_zeros(body, 12);  // three float coordinates
  }
  return atom_block("chan", body);
}

// `wave` holding `frma` (the format code), `enda` = 1 (little-endian) and a terminator atom.
ByteVector wave_atom(const FourCC& code) {
  ByteVector frma_body(code.begin(), code.end());
  ByteVector enda_body;
  append_be16(enda_body, 1);
  ByteVector body = atom_block("frma", frma_body);
  append_bytes(body, atom_block("enda", enda_body));
  append_be32(body, 8);
  append_be32(body, 0);
  return atom_block("wave", body);
}

}  // namespace

GAMA_Writer::GAMA_Writer(uint16_t integer_part, uint16_t fraction_part)
    : Atom_Writer(fourcc("gama")) {
  append_be16(content_, integer_part);
  append_be16(content_, fraction_part);
}

PASP_Writer::PASP_Writer(uint32_t h_spacing, uint32_t v_spacing) : Atom_Writer(fourcc("pasp")) {
  append_be32(content_, h_spacing);
  append_be32(content_, v_spacing);
}

SampleDescription_Video::SampleDescription_Video(uint16_t width, uint16_t height,
                                                 const VideoSampleFormat& format,
                                                 std::vector<Atom_Writer> extensions)
    : Atom_Writer(format.code) {
  if (format.compressor_name.empty() || format.compressor_name.size() > 31) {
    print_line_and_throw("Sample Description Video Codec unsupported for vendor : " +
                             std::string(format.code.begin(), format.code.end()),
                         "Sample description, codec unsupported");
  }
  content_.reserve(128);
  append_zeros(content_, 6);                // reserved
  append_be16(content_, 1);                 // data reference index
  append_be16(content_, 1);                 // version
  append_be16(content_, 1);                 // revision level
  append_fourcc(content_, fourcc("VDVX"));  // vendor
  append_be32(content_, 0);                 // temporal quality
  append_be32(content_, 0x400);             // spatial quality
  append_be16(content_, width);
  append_be16(content_, height);
  append_be32(content_, 0x00480000);  // horizontal resolution, 72 dpi
  append_be32(content_, 0x00480000);  // vertical resolution
  append_be32(content_, 0);           // data size
  append_be16(content_, 1);           // frames per sample
  append_pascal(content_, format.compressor_name, 32);
  append_be16(content_, format.depth);
  append_be16(content_, 0xFFFF);  // colour table ID: none
  for (const Atom_Writer& ext : extensions) append_bytes(content_, serialise_atom(ext));
  append_be32(content_, 0);  // terminator
}

SampleDescription_Audio::SampleDescription_Audio(uint16_t bits_per_sample, uint32_t sample_rate,
                                                 uint16_t channels, uint8_t float_flag,
                                                 uint32_t surround_order)
    : Atom_Writer(fourcc("lpcm")) {
  content_.reserve(64 + 24 + 20 * size_t{channels});
  if (channels == 0) throw std::runtime_error("nb channnel audio 0 invalid");
  if (sample_rate == 0) throw std::runtime_error("frequency audio 0 invalid");
  const bool is_float = float_flag == 1;
  const uint16_t bits = bits_per_sample;
  const bool version1 = channels <= 2 && sample_rate <= 48000;

  if (!version1) {
    if (is_float && bits != 32 && bits != 64)
      throw std::runtime_error("Quantif audio inconnue STSD Float");
    if (!is_float && bits != 8 && bits != 16 && bits != 24 && bits != 32)
      throw std::runtime_error("Quantif audio inconnue STSD Integer");
    type_ = fourcc("lpcm");
    append_zeros(content_, 6);
    append_be16(content_, 1);           // data reference index
    append_be16(content_, 2);           // version
    append_be16(content_, 0);           // revision level
    append_be32(content_, 0);           // vendor
    append_be16(content_, 3);           // always 3
    append_be16(content_, 16);          // always 16
    append_be16(content_, 0xFFFE);      // always -2
    append_be16(content_, 0);           // always 0
    append_be32(content_, 0x00010000);  // always 65536
    append_be32(content_, 72);          // size of this structure
    append_be_double(content_, static_cast<double>(sample_rate));
    append_be32(content_, channels);
    append_be32(content_, 0x7F000000);
    append_be32(content_, bits);
    // Format flags: 1 float, 4 signed integer, 8 packed; no big-endian flag (2). 8-bit PCM
    // is unsigned here as in the version 1 `raw ` form (silence 128), so it is not flagged
    // signed.
    append_be32(content_, is_float ? 9u : (bits == 8 ? 8u : 12u));
    append_be32(content_, bits / 8u * channels);  // bytes per packet
    append_be32(content_, 1);                     // frames per packet
    append_bytes(content_, chan_atom(channels, surround_order));
    return;
  }

  if (bits == 8) {
    type_ = fourcc("raw ");
  } else if (bits == 16) {
    type_ = fourcc("sowt");
  } else if (bits == 24) {
    type_ = fourcc("in24");
  } else if (bits == 32) {
    type_ = is_float ? fourcc("fl32") : fourcc("in32");
  } else if (bits == 64 && is_float) {
    type_ = fourcc("fl64");
  } else {
    throw std::runtime_error("Quantif audio inconnue STSD");
  }
  append_zeros(content_, 6);
  append_be16(content_, 1);  // data reference index
  append_be16(content_, 1);  // version
  append_be16(content_, 0);  // revision level
  append_be32(content_, 0);  // vendor
  append_be16(content_, channels);
  append_be16(content_, bits == 8 ? 8 : 16);      // sample size
  append_be16(content_, 0xFFFF);                  // compression ID
  append_be16(content_, 0);                       // packet size
  append_be32(content_, sample_rate << 16);       // 16.16 rate (at most 48000 here)
  append_be32(content_, 1);                       // samples per packet
  append_be32(content_, bits / 8u);               // bytes per packet
  append_be32(content_, channels * (bits / 8u));  // bytes per frame
  append_be32(content_, bits == 8 ? 1 : 2);       // bytes per sample
  if (bits > 16) append_bytes(content_, wave_atom(type_));
}

SampleDescription_Timecode::SampleDescription_Timecode(FrameRate rate, uint8_t drop_frame)
    : Atom_Writer(fourcc("tmcd")) {
  const uint32_t n = rate.numerator;
  const uint32_t d = rate.denominator;
  uint32_t flags = 0;
  if (drop_frame == 1) {
    if (d == 1001 && (n == 30000 || n == 60000)) {
      flags = 1;
    } else {
      std::cout << "WARNING : Timecode drop frame with fps unsupported (flag drop frame ignored) : "
                << n << "/" << d << std::endl;
    }
  }
  uint32_t time_scale = 0;
  uint32_t frame_duration = 0;
  uint8_t frames = 0;
  if (d == 1 && n < 256) {
    time_scale = n;
    frame_duration = 1;
    frames = static_cast<uint8_t>(n);
  } else if (d == 1001 && n == 24000) {
    time_scale = 2997, frame_duration = 125, frames = 24;
  } else if (d == 1001 && n == 30000) {
    time_scale = 2997, frame_duration = 100, frames = 30;
  } else if (d == 1001 && n == 60000) {
    time_scale = 2997, frame_duration = 50, frames = 60;
  } else {
    throw std::runtime_error("FPS not supported for TC sample description");
  }
  append_zeros(content_, 6);
  append_be16(content_, 1);  // data reference index
  append_be32(content_, 0);  // reserved
  append_be32(content_, flags);
  append_be32(content_, time_scale);
  append_be32(content_, frame_duration);
  content_.push_back(frames);
  content_.push_back(0);  // reserved
}
