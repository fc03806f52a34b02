// Big-endian encoders and the checked file operations.
#include "VIDEO/file_io.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "VIDEO/be_write.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::TempDir;

TEST(BigEndian, KnownAnswers) {
  uint8_t b[8] = {};
  put_be16(b, 0x0100);
  EXPECT_EQ(ByteVector(b, b + 2), (ByteVector{0x01, 0x00}));
  put_be32(b, 0x12345678);
  EXPECT_EQ(ByteVector(b, b + 4), (ByteVector{0x12, 0x34, 0x56, 0x78}));
  put_be64(b, 0x0102030405060708ull);
  EXPECT_EQ(ByteVector(b, b + 8), (ByteVector{1, 2, 3, 4, 5, 6, 7, 8}));
  put_be_double(b, 1.0);
  EXPECT_EQ(ByteVector(b, b + 8), (ByteVector{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));

  ByteVector content{0xAA};
  append_be16(content, 0xBEEF);
  append_be32(content, 0xDEADBEEF);
  ByteVector block{1, 2, 3};
  append_bytes(content, std::move(block));
  EXPECT_EQ(content, (ByteVector{0xAA, 0xBE, 0xEF, 0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3}));
  EXPECT_TRUE(block.empty());
  append_bytes(content, ByteVector{});
  EXPECT_EQ(content.size(), 10u);
}

TEST(Utf16Path, ConvertsToUtf8IncludingSurrogatePairs) {
  EXPECT_EQ(utf16_to_utf8(u"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(OutputFile, WritesSeeksAndPatchesNonAsciiPath) {
  TempDir dir;
  const std::u16string path =
      u"" + std::u16string(dir.path().begin(), dir.path().end()) + u"/caf\u00e9.bin";
  {
    FileHandle f = open_target_file(path);
    write_bytes(f.get(), "abcdef", 6);
    write_bytes(f.get(), nullptr, 0);  // nothing to write is a success
    seek_from_start(f.get(), 0);
    write_bytes(f.get(), "X", 1);
    seek_to_end(f.get());
    write_bytes(f.get(), "!", 1);
  }
  const auto bytes = orvex_test::read_file(dir.path() + "/caf\xC3\xA9.bin");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Xbcdef!");
}

TEST(OutputFile, FailuresCarryTheirMessages) {
  try {
    open_target_file(u"/nonexistent_dir_orvex/out.mov");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Can't open target file : /nonexistent_dir_orvex/out.mov. Error : 2. No such file "
              "or directory");
  }
  TempDir dir;
  FileHandle f =
      open_target_file(u"" + std::u16string(dir.path().begin(), dir.path().end()) + u"/x");
  try {
    seek_from_start(f.get(), 9223372036854775808ull);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Seek from start error (offset > INT64_MAX) : 9223372036854775808. INT64_MAX : "
              "9223372036854775807. ");
  }
  EXPECT_NO_THROW(seek_from_start(f.get(), 0));

  // A full device refuses the write once the stream buffer is flushed.
  FileHandle full(std::fopen("/dev/full", "wb"));
  ASSERT_TRUE(full);
  std::setvbuf(full.get(), nullptr, _IONBF, 0);
  ::testing::internal::CaptureStdout();
  EXPECT_THROW(
      {
        try {
          write_bytes(full.get(), "abcd", 4);
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Error file write");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Number of bytes to write : 4. Number bytes read : 0\n");
}

}  // namespace
