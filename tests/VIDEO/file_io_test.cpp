// The checked file operations and the output path. Writing, seeking and patching are covered by
// every movie the other tests write, the big-endian writers by the exact-byte atom layouts.
#include "VIDEO/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "tests/support/expect_error.h"
#include "tests/support/movie_probe.h"

namespace {

using orvex_test::TempDir;

std::u16string in_dir(const TempDir& dir, const std::u16string& name) {
  return utf16_from_native_name(dir.path()) + u"/" + name;
}

// Well-formed UTF-8 becomes the same text in UTF-16; every other byte survives the way there
// and back, so the file opened is the file named.
TEST(OutputFile, NativeNamesRoundTripByteForByte) {
  struct Case {
    std::string name;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"a\u00e9\u20ac\U0001F600"},
      {"caf\xE9.mov", u"caf\xDCE9.mov"},                  // Latin-1
      {"\xC3", u"\xDCC3"},                                // truncated at the end
      {"\xE2\x82.", u"\xDCE2\xDC82."},                    // truncated in the middle
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // overlong '/'
      {"\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF"},            // overlong, three bytes
      {"\xED\xB2\x80", u"\xDCED\xDCB2\xDC80"},            // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
      {"\x80\xBF\xFE\xFF", u"\xDC80\xDCBF\xDCFE\xDCFF"},  // stray bytes
      {"\xF4\x8F\xBF\xBF\xEF\xBF\xBD", u"\U0010FFFF\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name));
    EXPECT_EQ(utf16_from_native_name(c.name), c.utf16);
    std::string back;
    ASSERT_TRUE(native_name_from_utf16(c.utf16, back));
    EXPECT_EQ(back, c.name);
  }
  std::string name;
  EXPECT_FALSE(native_name_from_utf16(u"a\xD800", name));  // lone high surrogate
  EXPECT_FALSE(native_name_from_utf16(u"\xDC41", name));   // low surrogate standing for no byte
  EXPECT_FALSE(native_name_from_utf16(std::u16string(u"a\0b", 3), name));
  // Text for messages: a lone surrogate becomes U+FFFD.
  EXPECT_EQ(utf16_to_utf8(u"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(OutputFile, FailuresCarryTheirMessagesAndReasons) {
  TempDir dir;
  FileHandle f = open_target_file(in_dir(dir, u"x"));
  EXPECT_RUNTIME_ERROR(seek_from_start(f.get(), 9223372036854775808ull),
                       "Seek from start error (offset > INT64_MAX) : 9223372036854775808. "
                       "INT64_MAX : 9223372036854775807. ");

  // A name that stands for no file name is refused, never opened under a substitute.
  try {
    open_target_file(in_dir(dir, u"\xD800.mov"));
    ADD_FAILURE() << "opened";
  } catch (const FileError& e) {
    EXPECT_EQ(e.error_number(), EILSEQ);
    EXPECT_EQ(std::string(e.what()).rfind("Can't open target file : " + dir.path(), 0), 0u);
  }
  EXPECT_EQ(orvex_test::run_command("ls -A " + dir.path()), "x\n");

  // A full device refuses an unbuffered write (a refused close: mov_writer_test).
  FileHandle full(std::fopen("/dev/full", "wb"));
  ASSERT_TRUE(full);
  std::setvbuf(full.get(), nullptr, _IONBF, 0);
  ::testing::internal::CaptureStdout();
  try {
    write_bytes(full.get(), "abcd", 4);
    ADD_FAILURE() << "written";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Error file write");
    EXPECT_EQ(e.error_number(), ENOSPC);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Number of bytes to write : 4. Number bytes read : 0\n");
}

}  // namespace
