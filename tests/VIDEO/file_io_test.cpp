// The checked file operations and the UTF-16 output path. The big-endian writers are covered by
// the exact-byte layout tests of the atoms.
#include "VIDEO/file_io.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/expect_error.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::TempDir;

std::u16string in_dir(const TempDir& dir, const std::u16string& name) {
  return std::u16string(dir.path().begin(), dir.path().end()) + u"/" + name;
}

TEST(OutputFile, WritesSeeksAndPatchesNonAsciiPath) {
  EXPECT_EQ(utf16_to_utf8(u"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  TempDir dir;
  {
    FileHandle f = open_target_file(in_dir(dir, u"caf\u00e9.bin"));
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
  TempDir dir;
  FileHandle f = open_target_file(in_dir(dir, u"x"));
  EXPECT_RUNTIME_ERROR(seek_from_start(f.get(), 9223372036854775808ull),
                       "Seek from start error (offset > INT64_MAX) : 9223372036854775808. "
                       "INT64_MAX : 9223372036854775807. ");
  EXPECT_NO_THROW(seek_from_start(f.get(), 0));

  // A full device refuses the write once the stream buffer is flushed.
  FileHandle full(std::fopen("/dev/full", "wb"));
  ASSERT_TRUE(full);
  std::setvbuf(full.get(), nullptr, _IONBF, 0);
  ::testing::internal::CaptureStdout();
  EXPECT_RUNTIME_ERROR(write_bytes(full.get(), "abcd", 4), "Error file write");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Number of bytes to write : 4. Number bytes read : 0\n");
}

}  // namespace
