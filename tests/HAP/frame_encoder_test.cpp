// Frame encoder: the per-frame copy buffer follows the stride, and misuse is refused. Chunk
// counts and Snappy reach the movie in the end-to-end tests, both modes give the same movie
// there, and both pixel depths give the same texture in the block driver tests.
#include "HAP/frame_encoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "inspect/hap_frame_reader.h"
#include "tests/support/expect_error.h"

namespace {

// 8-bit ARGB gradients with `row_bytes` per row; the padding after each row is 0xCD.
std::vector<uint8_t> argb8_frame(uint32_t width, uint32_t height, size_t row_bytes) {
  std::vector<uint8_t> px(row_bytes * height, 0xCD);
  for (uint32_t y = 0; y < height; ++y)
    for (size_t i = 0; i < size_t{width} * 4; ++i) px[row_bytes * y + i] = uint8_t(y * 9 + i * 3);
  return px;
}

orvex_inspect::HapTextureSection encode(FrameEncoder& enc, const uint8_t* px, size_t row_bytes) {
  frame_encoder_take(enc, px, row_bytes, 0);
  frame_encoder_encode(enc);
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  frame_encoder_output(&enc, &data, &size);
  return orvex_inspect::read_hap_frame(data, size).textures.at(0);
}

}  // namespace

// Per-frame mode copies height x stride bytes: a wider stride grows the copy, a narrower one
// reuses it, and the padding between rows never reaches the texture.
TEST(FrameEncoder, PixelCopyFollowsTheStride) {
  const uint32_t w = 24, h = 12;
  auto enc = frame_encoder_create(w, h, 1, HapFrameCodec_Hap, 2, 1, 0xF8, 0);
  ASSERT_TRUE(enc);
  frame_encoder_open(*enc, ARGB_8, 32, PAD_REPLICATE, 0);
  const size_t tight = size_t{w} * 4, padded = tight + 100;
  const auto px_tight = argb8_frame(w, h, tight);
  const auto px_padded = argb8_frame(w, h, padded);
  const auto first = encode(*enc, px_tight.data(), tight).texture;
  EXPECT_EQ(enc->pixel_copy.size(), tight * h);
  EXPECT_EQ(encode(*enc, px_padded.data(), padded).texture, first);
  EXPECT_EQ(enc->pixel_copy.size(), padded * h);
  EXPECT_EQ(encode(*enc, px_tight.data(), tight).texture, first);
  EXPECT_EQ(enc->pixel_copy.size(), padded * h);
}

TEST(FrameEncoder, RefusesMisuse) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(frame_encoder_create(8, 0, 1, HapFrameCodec_Hap, 2, 0, 0xF8, 0), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERR : dim invalide\n");

  const auto px = argb8_frame(8, 8, 32);
  auto enc = frame_encoder_create(8, 8, 1, HapFrameCodec_Hap, 2, 1, 0xF8, 0);
  ASSERT_TRUE(enc);
  // Nothing opened yet: no slot may take a frame, and an encode has nothing to output.
  EXPECT_RUNTIME_ERROR(frame_encoder_take(*enc, px.data(), 32, 0), "Invalid encoder");
  frame_encoder_encode(*enc);
  const uint8_t* data = nullptr;
  uint64_t size = 99;
  frame_encoder_output(enc.get(), &data, &size);
  EXPECT_EQ(size, 0u);

  testing::internal::CaptureStdout();
  auto bad_quality = frame_encoder_create(8, 8, 1, HapFrameCodec_Hap, 0, 1, 0xF8, 0);
  EXPECT_RUNTIME_ERROR(frame_encoder_open(*bad_quality, ARGB_8, 32, PAD_REPLICATE, 0),
                       "Error opening encoder");
  frame_encoder_open(*enc, ARGB_8, 32, PAD_REPLICATE, 0);
  EXPECT_RUNTIME_ERROR(frame_encoder_open_extra(*enc, ARGB_FLOAT, 32, PAD_REPLICATE, 0, 1),
                       "Error opening encoder 2");
  testing::internal::GetCapturedStdout();
  EXPECT_RUNTIME_ERROR(frame_encoder_open_extra(*enc, ARGB_16_HOST, 32, PAD_REPLICATE, 0, 3),
                       "Invalid encoder");
  EXPECT_RUNTIME_ERROR(frame_encoder_take(*enc, px.data(), 32, 2), "Invalid encoder");
  EXPECT_RUNTIME_ERROR(frame_encoder_take(*enc, px.data(), 31, 0), "Invalid row bytes");

  frame_encoder_destroy(enc);
  frame_encoder_destroy(enc);  // empty: ignored
}

TEST(AlignedBuffer, AlignsAndReportsFailure) {
  AlignedBuffer buf;
  for (size_t bytes : {size_t{0}, size_t{33}, size_t{4096}}) {
    buf.allocate(bytes);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buf.data()) % 32, 0u);
    EXPECT_EQ(buf.size(), bytes);
  }
  testing::internal::CaptureStdout();
  EXPECT_THROW(buf.allocate(SIZE_MAX - 8), std::bad_alloc);
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("alloc error (for size : ", 0), 0u);
  EXPECT_EQ(buf.data(), nullptr);
}
