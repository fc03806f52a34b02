// Forms of Hap frames other writers use, built by hand: the reader recovers the same texture from
// each (8-byte headers at every level, one whole-texture Snappy block, an offset table with the
// chunks stored in reverse, tables in any order) and rejects the malformed variants with the
// fault named, before allocating for a texture longer than the caller allows.
#include <gtest/gtest.h>
#include <snappy-c.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "inspect/hap_frame_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;
using orvex_inspect::HapRead;

Bytes section(uint8_t type, const Bytes& body, bool long_form = false) {
  const uint32_t n = static_cast<uint32_t>(body.size());
  Bytes out(body.size() + (long_form ? 8 : 4));
  const size_t at = long_form ? 4 : 0;
  for (int i = 0; i < (long_form ? 4 : 3); ++i) out[at + i] = uint8_t(n >> (8 * i));
  out[3] = type;
  std::copy(body.begin(), body.end(), out.end() - body.size());
  return out;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes le32s(std::initializer_list<uint32_t> values) {
  Bytes out;
  for (uint32_t v : values)
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
  return out;
}
Bytes snappy(const Bytes& raw) {
  Bytes out(snappy_max_compressed_length(raw.size()));
  size_t n = out.size();
  snappy_compress(reinterpret_cast<const char*>(raw.data()), raw.size(),
                  reinterpret_cast<char*>(out.data()), &n);
  out.resize(n);
  return out;
}

// A 64-byte DXT1 texture (8 blocks) in two 32-byte halves: the first compressible, the second
// not.
const Bytes kFirst(32, 0x11);
const Bytes kSecond = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                       17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const Bytes kTexture = cat({kFirst, kSecond});

// A chunked DXT1 section: chunk 0 Snappy, chunk 1 raw; `tables` in the instructions as given.
Bytes chunked(const Bytes& tables, const Bytes& chunks, bool long_form = false) {
  return section(0xCB, cat({section(0x01, tables, long_form), chunks}), long_form);
}

TEST(ReaderForms, OtherWritersFormsGiveTheSameTexture) {
  const Bytes compressed = snappy(kFirst);
  const uint32_t c0 = static_cast<uint32_t>(compressed.size());
  const Bytes compressors = section(0x02, {0x0B, 0x0A}), sizes = section(0x03, le32s({c0, 32}));
  const struct {
    const char* what;
    Bytes frame;
  } cases[] = {
      {"one Snappy block", section(0xBB, snappy(kTexture))},
      {"sizes before compressors", chunked(cat({sizes, compressors}), cat({compressed, kSecond}))},
      {"8-byte headers everywhere",
       chunked(cat({section(0x02, {0x0B, 0x0A}, true), section(0x03, le32s({c0, 32}), true)}),
               cat({compressed, kSecond}), true)},
      {"offset table, chunks in reverse",
       chunked(cat({compressors, sizes, section(0x04, le32s({32, 0}))}),
               cat({kSecond, compressed}))},
      {"two textures",
       section(0x0D, cat({section(0xAB, kTexture), section(0xBB, snappy(kFirst))}))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto frame = orvex_inspect::read_hap_frame(c.frame);
    EXPECT_EQ(frame.textures[0].texture, kTexture);
    EXPECT_EQ(frame.textures[0].texture_bytes, kTexture.size());
    const auto layout = orvex_inspect::read_hap_frame(c.frame, HapRead::layout);
    EXPECT_TRUE(layout.textures[0].texture.empty());
    EXPECT_EQ(layout.textures[0].texture_bytes, kTexture.size());
  }
}

TEST(ReaderForms, RejectsDamageNamingIt) {
  const Bytes compressed = snappy(kFirst);
  const uint32_t c0 = static_cast<uint32_t>(compressed.size());
  const Bytes compressors = section(0x02, {0x0B, 0x0A});
  Bytes corrupt = compressed;
  corrupt.back() ^= 0xFF;
  const struct {
    const char* what;
    Bytes frame;
    const char* fault;
  } cases[] = {
      {"offset past the section",
       chunked(cat({compressors, section(0x03, le32s({c0, 32})), section(0x04, le32s({0, 40}))}),
               cat({compressed, kSecond})),
       "chunk 1 lies outside the section"},
      {"offset table of another count",
       chunked(cat({compressors, section(0x03, le32s({c0, 32})), section(0x04, le32s({0}))}),
               cat({compressed, kSecond})),
       "offset and size tables differ in count"},
      {"corrupt Snappy block", section(0xBB, corrupt), "corrupt Snappy chunk"},
      {"unknown table", chunked(cat({compressors, section(0x05, {0})}), kSecond),
       "unexpected section type 0x05 in decode instructions"},
      {"nested images", section(0x0D, section(0x0D, section(0xAB, kTexture))),
       "unknown texture format 0x0D"},
  };
  for (const auto& c : cases) {
    try {
      orvex_inspect::read_hap_frame(c.frame);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("malformed Hap frame: ") + c.fault) << c.what;
    }
  }
}

// A Snappy block that announces 2 MiB in a few bytes is refused by its length alone; a stored
// texture by its section length.
TEST(ReaderForms, RefusesTexturesLongerThanTheLimitBeforeAllocating) {
  const Bytes bomb = snappy(Bytes(2 << 20, 0));
  EXPECT_LT(bomb.size(), 200000u);
  const Bytes frame = section(0xBB, bomb);
  EXPECT_THROW(orvex_inspect::read_hap_frame(frame.data(), frame.size(), HapRead::textures, 4096),
               std::runtime_error);
  const Bytes stored = section(0xAB, kTexture);
  EXPECT_THROW(orvex_inspect::read_hap_frame(stored.data(), stored.size(), HapRead::textures, 32),
               std::runtime_error);
}

}  // namespace
