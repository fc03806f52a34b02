// Result codes of the builder on their conditions, and the errors of HapFrame.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "HAP/HAP_Frame.h"
#include "HAP/hap_section_writer.h"
#include "inspect/hap_frame_reader.h"
#include "tests/HAP/hap_test_textures.h"
#include "tests/support/expect_error.h"

namespace {

using hap_test::Bytes;
using hap_test::canary;

// A valid two-texture call whose fields each case spoils in one way.
struct Call {
  Bytes colour = hap_test::random_bytes(64, 1), alpha = hap_test::random_bytes(32, 2);
  const uint8_t* inputs[2] = {colour.data(), alpha.data()};
  uint32_t lengths[2] = {64, 32}, chunks[2] = {2, 2};
  HapTexFormat formats[2] = {HapTexFormat_YCoCg_DXT5, HapTexFormat_A_RGTC1};
  HapCompressor compressors[2] = {HapCompressor_Snappy, HapCompressor_Snappy};
  uint32_t count = 2;
  Bytes out = Bytes(hap_max_encoded_length(2, lengths, formats, chunks) + 64, canary);
  uint32_t capacity = uint32_t(out.size()) - 64;
  uint32_t used = 12345;
  uint32_t* used_out = &used;
};

struct ResultCase {
  const char* name;
  std::function<void(Call&)> spoil;
  HapResult expected;
};

class EncodeResult : public testing::TestWithParam<ResultCase> {};

TEST_P(EncodeResult, ReportsTheCondition) {
  Call c;
  GetParam().spoil(c);
  EXPECT_EQ(hap_encode(c.count, c.inputs, c.lengths, c.formats, c.compressors, c.chunks,
                       c.out.data(), c.capacity, c.used_out),
            GetParam().expected);
  if (c.used_out && GetParam().expected != HapResult_No_Error) {
    EXPECT_EQ(c.used, 0u);
  }
  hap_test::expect_canary_from(c.out, c.out.size() - 64);
}

const ResultCase result_cases[] = {
    {"OneTexture", [](Call& c) { c.count = 1; }, HapResult_No_Error},
    {"NoTextures", [](Call& c) { c.count = 0; }, HapResult_Bad_Arguments},
    {"NullTexture", [](Call& c) { c.inputs[1] = nullptr; }, HapResult_Bad_Arguments},
    {"UnknownFormat", [](Call& c) { c.formats[1] = HapTexFormat(0x1234); },
     HapResult_Bad_Arguments},
    {"ZeroChunks", [](Call& c) { c.chunks[1] = 0; }, HapResult_Bad_Arguments},
    {"NoUsed", [](Call& c) { c.used_out = nullptr; }, HapResult_Bad_Arguments},
    {"NeitherQNorAlpha", [](Call& c) { c.formats[0] = c.formats[1] = HapTexFormat_RGB_DXT1; },
     HapResult_Bad_Arguments},
    // Each texture needs its own worst case in what is left: 4 (outer header) + 168 for the
    // colour texture, which is stored as is in 68 bytes, then 130 for the alpha texture.
    {"ShortForFirst", [](Call& c) { c.capacity = 4 + 168 - 1; }, HapResult_Buffer_Too_Small},
    {"ShortForSecond", [](Call& c) { c.capacity = 4 + 68 + 130 - 1; }, HapResult_Buffer_Too_Small},
    {"JustEnough", [](Call& c) { c.capacity = 4 + 68 + 130; }, HapResult_No_Error},
    // Smaller than the outer header itself: must not wrap round to a huge capacity.
    {"BelowHeader", [](Call& c) { c.capacity = 2; }, HapResult_Buffer_Too_Small},
};

INSTANTIATE_TEST_SUITE_P(Cases, EncodeResult, testing::ValuesIn(result_cases),
                         [](const auto& info) { return std::string(info.param.name); });

// Below the worst case, the section writer reports an internal error as soon as a Snappy chunk
// or the stored texture would not fit, and never writes past the capacity it is given.
TEST(Results, SectionWriterStopsAtCapacity) {
  const Bytes texture = hap_test::make_texture(hap_test::Kind::Mixed, 4096, 4);
  Bytes out(4096 + 256);
  uint64_t used = 0;
  for (uint64_t capacity = 0; capacity < 4096 + 20; ++capacity) {
    std::fill(out.begin(), out.end(), canary);
    const HapResult r =
        hap_write_texture_section(texture.data(), 4096, 0xB, true, 4, out.data(), capacity, &used);
    for (size_t i = capacity; i < out.size(); ++i) ASSERT_EQ(out[i], canary) << capacity;
    if (r == HapResult_No_Error) {
      ASSERT_LE(used, capacity);
      EXPECT_TRUE(orvex_inspect::read_hap_frame(out.data(), used).textures[0].texture == texture);
    } else {
      ASSERT_EQ(r, HapResult_Internal_Error);
    }
  }
}

TEST(Frame, TextureLengths) {
  EXPECT_EQ(hap_texture_length(5, 3, DxtCodec_DXT5), 32u);
  EXPECT_EQ(hap_texture_length(1920, 1080, DxtCodec_RGTC1), 1036800u);
  EXPECT_EQ(hap_texture_length(30000, 30000, DxtCodec_BC7), 900000000u);
  EXPECT_RUNTIME_ERROR(hap_texture_length(4, 4, DxtCodec(4)), "Unknown dxt codec");
  EXPECT_RUNTIME_ERROR(hap_texture_length(65536, 65536, DxtCodec_DXT5), "Texture too large");
}

// The buffer sized at initialisation holds the worst case: incompressible textures of full
// length, Snappy on, for every codec; the reader gets the textures back.
TEST(Frame, BufferHoldsWorstCaseOfEveryCodec) {
  const uint32_t w = 130, h = 66;  // 33 x 17 blocks
  for (uint32_t codec = 0; codec <= 5; ++codec) {
    SCOPED_TRACE(testing::Message() << "codec " << codec);
    HapFrame frame;
    hap_frame_init(frame, w, h, HapFrameCodec(codec), 64);
    EXPECT_EQ(frame.texture_count, codec == HapFrameCodec_Hap_Q_Alpha ? 2 : 1);
    EXPECT_EQ(frame.length, 0u);
    const bool small_blocks = codec == HapFrameCodec_Hap || codec == HapFrameCodec_Hap_Alpha_Only;
    const Bytes tex1 = hap_test::random_bytes(33 * 17 * (small_blocks ? 8 : 16), codec);
    const Bytes tex2 = hap_test::random_bytes(33 * 17 * 8, 100 + codec);
    for (uint32_t compressor : {0u, 1u}) {
      hap_frame_encode(frame, tex1.data(), tex2.data(), uint32_t(tex1.size()),
                       uint32_t(tex2.size()), 64, compressor);
      ASSERT_LE(frame.length, frame.capacity);
      const auto read = orvex_inspect::read_hap_frame(frame.buffer.get(), frame.length);
      ASSERT_EQ(read.textures.size(), frame.texture_count);
      EXPECT_TRUE(read.textures[0].texture == tex1);
      EXPECT_TRUE(frame.texture_count == 1 || read.textures[1].texture == tex2);
    }
  }
}

TEST(Frame, Errors) {
  HapFrame frame;
  EXPECT_RUNTIME_ERROR(hap_frame_init(frame, 16, 16, HapFrameCodec(6), 1), "Unknown codec");
  hap_frame_init(frame, 16, 16, HapFrameCodec_Hap_Q_Alpha, 4);
  const Bytes tex = hap_test::random_bytes(4096, 1);
  // Encodes expecting `message` thrown and exactly `logged` on standard output.
  const auto expect_failure = [&](uint32_t tex2_length, uint32_t compressor, const uint8_t* tex2,
                                  const std::string& message, const std::string& logged) {
    testing::internal::CaptureStdout();
    EXPECT_RUNTIME_ERROR(hap_frame_encode(frame, tex.data(), tex2, 256, tex2_length, 4, compressor),
                         message);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), logged);
  };
  expect_failure(128, 1, nullptr, "HAPQA : Dxt Buffer 2 == NULL", "");
  // A texture longer than the frame was sized for, and an unknown compressor.
  expect_failure(4096, 1, tex.data(), "HapResult_Buffer_Too_Small",
                 "ERROR : HapResult_Buffer_Too_Small\n");
  EXPECT_EQ(frame.length, 0u);
  expect_failure(128, 2, tex.data(), "HapResult_Bad_Arguments",
                 "ERROR : HapResult_Bad_Arguments\n");

  // After release encoding fails cleanly; init makes the frame usable again.
  frame.codec = HapFrameCodec_Hap_Q_Alpha;
  hap_frame_release(frame);
  EXPECT_EQ(frame.buffer, nullptr);
  expect_failure(128, 1, tex.data(), "HapResult_Bad_Arguments",
                 "ERROR : HapResult_Bad_Arguments\n");
  hap_frame_init(frame, 16, 16, HapFrameCodec_Hap_Q_Alpha, 4);
  hap_frame_encode(frame, tex.data(), tex.data(), 256, 128, 4, 1);
  EXPECT_EQ(orvex_inspect::read_hap_frame(frame.buffer.get(), frame.length).textures.size(), 2u);
}

}  // namespace
