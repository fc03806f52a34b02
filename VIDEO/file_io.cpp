// Checked file operations over the C runtime's buffered streams.
#include "VIDEO/file_io.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#include <stdio.h>
#else
#include <unistd.h>
#endif

namespace {

[[noreturn]] void fail(const std::ostringstream& msg, int error_number) {
  throw FileError(msg.str(), error_number);
}

void append_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void append_utf16(std::u16string& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none. Well-formed means
// shortest form, no surrogates and nothing above U+10FFFF: the second byte's range depends on
// the lead (E0 A0.., ED ..9F, F0 90.., F4 ..8F), every later byte is 80..BF.
size_t utf8_sequence_length(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned lead = byte(i);
  if (lead < 0x80) return 1;
  size_t len = 0;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + len > s.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < len; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return len;
}

}  // namespace

void FileCloser::operator()(std::FILE* f) const noexcept {
  if (f) std::fclose(f);
}

std::string utf16_to_utf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    append_utf8(out, cp);
  }
  return out;
}

std::u16string utf16_from_native_name(const std::string& name) {
  std::u16string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    const size_t len = utf8_sequence_length(name, i);
    const auto lead = static_cast<unsigned char>(name[i]);
    if (len == 0) {
      out += static_cast<char16_t>(0xDC00 + lead);
      ++i;
      continue;
    }
    uint32_t cp = len == 1 ? lead : lead & (0x7Fu >> len);
    for (size_t k = 1; k < len; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3Fu);
    append_utf16(out, cp);
    i += len;
  }
  return out;
}

bool native_name_from_utf16(const std::u16string& text, std::string& name) {
  name.clear();
  name.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t unit = text[i];
    if (unit == 0) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      append_utf8(name, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
      ++i;
    } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
      name += static_cast<char>(unit - 0xDC00);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return false;
    } else {
      append_utf8(name, unit);
    }
  }
  return true;
}

namespace {

[[noreturn]] void fail_to_open(const std::u16string& path, int err) {
  std::ostringstream msg;
  msg << "Can't open target file : " << utf16_to_utf8(path) << ". Error : " << err << ". "
      << std::strerror(err);
  fail(msg, err);
}

// fopen of `path` in `mode`. Elsewhere than on Windows the name opened is exactly the bytes the
// caller's name stands for; a name that stands for no byte string is refused (EILSEQ) rather
// than opened under a substitute.
FileHandle open_path(const std::u16string& path, const char* mode, const wchar_t* wide_mode) {
  errno = 0;
#ifdef _WIN32
  (void)mode;
  FileHandle file(_wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), wide_mode));
#else
  (void)wide_mode;
  std::string name;
  FileHandle file;
  if (native_name_from_utf16(path, name)) {
    file.reset(std::fopen(name.c_str(), mode));
  } else {
    errno = EILSEQ;
  }
#endif
  if (!file) fail_to_open(path, errno);
  return file;
}

}  // namespace

FileHandle open_target_file(const std::u16string& path) {
  return open_path(path, "wb", L"wb");
}

FileHandle open_existing_target_file(const std::u16string& path) {
  // "r+b" opens without creating; the file is then emptied where it stands.
  FileHandle file = open_path(path, "r+b", L"r+b");
#ifdef _WIN32
  const int emptied = _chsize_s(_fileno(file.get()), 0);
  if (emptied != 0) fail_to_open(path, emptied);
#else
  if (ftruncate(fileno(file.get()), 0) != 0) fail_to_open(path, errno);
#endif
  return file;
}

void seek_from_start(std::FILE* file, uint64_t offset) {
  constexpr uint64_t int64_max = 9223372036854775807ull;
  if (offset > int64_max) {
    std::ostringstream msg;
    msg << "Seek from start error (offset > INT64_MAX) : " << offset
        << ". INT64_MAX : " << int64_max << ". ";
    fail(msg, 0);
  }
  // A seek first writes out the stream's buffer, so this is where a full disk often shows.
  errno = 0;
#ifdef _WIN32
  const int ret = _fseeki64(file, static_cast<__int64>(offset), SEEK_SET);
#else
  const int ret = fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
  if (ret != 0) {
    const int err = errno;
    std::ostringstream msg;
    msg << "Seek from start error (return != 0) : " << ret << ". Offset from start : " << offset
        << ". ";
    fail(msg, err);
  }
}

void seek_to_end(std::FILE* file) {
  errno = 0;
#ifdef _WIN32
  const int ret = _fseeki64(file, 0, SEEK_END);
#else
  const int ret = fseeko(file, 0, SEEK_END);
#endif
  if (ret != 0) {
    const int err = errno;
    std::ostringstream msg;
    msg << "Seek to end of file error (return != 0) : " << ret << ". ";
    fail(msg, err);
  }
}

void write_bytes(std::FILE* file, const void* data, uint64_t count) {
  if (count == 0) return;
  errno = 0;
  const size_t written = std::fwrite(data, 1, static_cast<size_t>(count), file);
  if (written != count) {
    const int err = errno;
    std::cout << "Number of bytes to write : " << count << ". Number bytes read : " << written
              << std::endl;
    throw FileError("Error file write", err);
  }
}

void close_target_file(FileHandle& file) {
  std::FILE* f = file.release();
  if (!f) return;
  int err = 0;
  errno = 0;
  if (std::fflush(f) != 0) err = errno != 0 ? errno : EIO;
  errno = 0;
  if (std::fclose(f) != 0 && err == 0) err = errno != 0 ? errno : EIO;
  if (err != 0) throw FileError("Error file write", err);
}
