// The product decoders against independent decoders: BC7 blocks of the modes our encoder never
// writes, pinned to the values of an independent BC7 decoder; and DXT1, DXT5, scaled YCoCg and
// RGTC1 textures of random blocks, decoded byte for byte as ffmpeg decodes them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "VIDEO/mov_writer_hl.h"
#include "inspect/bc7_decoder.h"
#include "inspect/hap_picture.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_inspect::Bytes;

Bytes from_hex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(std::stoi(hex.substr(i, 2), 0, 16));
  return out;
}

// Block and its 16 RGBA pixels. Mode 4 has rotation 2 and its index-selection bit set.
TEST(Bc7Decoder, ModesTheEncoderNeverWritesDecodeAsAnIndependentDecoder) {
  const struct {
    uint32_t mode;
    const char* block;
    const char* pixels;
  } cases[] = {
      {0, "a1c419f643d397675cb98e1748596e2a",
       "52ddb8ff397573ffc694e7ffe3a66aff5affceff5affceffe9a951ffd29bb6ff"
       "397573ff8acbc5ff71d2c0ffdea282ff54dabbff3be1b6ff8acbc5ff08efadff"},
      {2, "04be453898b7b570fbbdc02238c9ce26",
       "e79b7bffb5de7bff42d608ff6d9526ffff7b7bffe79b7bff9b5145ff6d9526ff"
       "b5de7bff15965eff24bb2eff6d9526ff31de00ff08738cff15965eff08738cff"},
      {3, "08ec8957e3c34853b001c090769f5dac",
       "d24291ffad6948ff8d1543ff983057ff898d01ff898d01ffae6880ff8d1543ff"
       "ad6948ff898d01ff983057ffae6880ffad6948ffd24291ffa34d6cffa34d6cff"},
      {4, "b0a5c9579504db4ce94b0678e1d5559e",
       "49898745c394ad299b94ad297186784f9b7b526b718d933c9b94ad299b7b526b"
       "49826c58718d933cc37b526bc38d933c71826c587186784f9b7b526b4986784f"},
  };
  for (const auto& c : cases) {
    const Bytes block = from_hex(c.block);
    const orvex_inspect::Bc7Fields f = orvex_inspect::bc7_parse_block(block.data());
    EXPECT_EQ(f.mode, c.mode);
    EXPECT_EQ(f.end_bit, 128u) << "mode " << c.mode;
    uint8_t rgba[64];
    orvex_inspect::bc7_decode_block(block.data(), rgba);
    EXPECT_EQ(Bytes(rgba, rgba + 64), from_hex(c.pixels)) << "mode " << c.mode;
  }
}

// One frame of random blocks stored as is; ffmpeg decodes it as packed RGBA (grey for a matte).
class DecodersAgainstFfmpeg : public testing::TestWithParam<const char*> {};

TEST_P(DecodersAgainstFfmpeg, RandomBlocksDecodeToFfmpegsBytes) {
  const orvex_inspect::HapVariant& variant = *orvex_inspect::find_hap_variant(GetParam());
  constexpr uint32_t kW = 64, kH = 32;
  std::mt19937 rng(5);
  Bytes frame;
  for (uint32_t t = 0; t < variant.texture_count; ++t) {
    const orvex_inspect::HapTextureKind& kind = variant.textures[t];
    Bytes texture(orvex_inspect::hap_texture_bytes(kind, kW, kH));
    for (uint8_t& b : texture) b = static_cast<uint8_t>(rng());
    for (size_t b = 0; b < texture.size(); b += kind.block_bytes) {
      uint8_t* colour = &texture[b + kind.block_bytes - 8];
      if (b % 64 == 0 && kind.format_nibble != 0x1)  // equal endpoints: DXT1's 3-colour mode
        colour[2] = colour[0], colour[3] = colour[1];
      if (kind.format_nibble == 0xF) {  // scale codes 0, 1 and 3 in both endpoints' blue
        const uint8_t code = "\x00\x01\x03"[b / 16 % 3];
        colour[0] = (colour[0] & 0xE0) | code, colour[2] = (colour[2] & 0xE0) | code;
      }
    }
    const uint32_t n = static_cast<uint32_t>(texture.size());
    const Bytes header{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16),
                       uint8_t(0xA0 | kind.format_nibble)};
    frame.insert(frame.end(), header.begin(), header.end());
    frame.insert(frame.end(), texture.begin(), texture.end());
  }
  if (variant.texture_count == 2) {
    const uint32_t n = static_cast<uint32_t>(frame.size());
    frame.insert(frame.begin(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), 0x0D});
  }
  orvex_test::TempDir dir;
  const std::string movie = dir.file("random.mov");
  {
    FourCC code;
    std::memcpy(code.data(), variant.code, 4);
    const std::u16string path(movie.begin(), movie.end());
    Mov_Writer writer({.path = path,
                       .width = kW,
                       .height = kH,
                       .format = {.code = code, .compressor_name = variant.name, .depth = 32}});
    writer.add_video_frame(frame.data(), static_cast<uint32_t>(frame.size()));
    writer.finalize();
  }
  const std::string decoded = dir.file("decoded");
  const std::string pix_fmt = variant.matte ? "gray" : "rgba";
  int status = -1;
  orvex_test::run_command(
      "ffmpeg -v error -i " + movie + " -f rawvideo -pix_fmt " + pix_fmt + " " + decoded, &status);
  ASSERT_EQ(status, 0);
  const Bytes theirs = orvex_test::read_file(decoded);
  const Bytes ours =
      orvex_inspect::decode_hap_picture(variant, orvex_inspect::read_hap_frame(frame), kW, kH);
  ASSERT_EQ(theirs.size(), variant.matte ? ours.size() / 4 : ours.size());
  size_t differ = 0;
  for (size_t i = 0; i < theirs.size(); ++i)
    differ += theirs[i] != (variant.matte ? ours[4 * i] : ours[i]);
  EXPECT_EQ(differ, 0u) << "of " << theirs.size() << " bytes";
}

INSTANTIATE_TEST_SUITE_P(FfmpegVariants, DecodersAgainstFfmpeg,
                         testing::Values("Hap1", "Hap5", "HapY", "HapM", "HapA"));

}  // namespace
