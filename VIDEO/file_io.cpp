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

[[noreturn]] void fail(const std::ostringstream& msg) {
  throw std::runtime_error(msg.str());
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

namespace {

[[noreturn]] void fail_to_open(const std::u16string& path, int err) {
  std::ostringstream msg;
  msg << "Can't open target file : " << utf16_to_utf8(path) << ". Error : " << err << ". "
      << std::strerror(err);
  fail(msg);
}

}  // namespace

FileHandle open_target_file(const std::u16string& path) {
#ifdef _WIN32
  FileHandle file(_wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb"));
#else
  FileHandle file(std::fopen(utf16_to_utf8(path).c_str(), "wb"));
#endif
  if (!file) fail_to_open(path, errno);
  return file;
}

FileHandle open_existing_target_file(const std::u16string& path) {
  // "r+b" opens without creating; the file is then emptied where it stands.
#ifdef _WIN32
  FileHandle file(_wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"r+b"));
  if (!file) fail_to_open(path, errno);
  const int emptied = _chsize_s(_fileno(file.get()), 0);
  if (emptied != 0) fail_to_open(path, emptied);
#else
  FileHandle file(std::fopen(utf16_to_utf8(path).c_str(), "r+b"));
  if (!file) fail_to_open(path, errno);
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
    fail(msg);
  }
#ifdef _WIN32
  const int ret = _fseeki64(file, static_cast<__int64>(offset), SEEK_SET);
#else
  const int ret = fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
  if (ret != 0) {
    std::ostringstream msg;
    msg << "Seek from start error (return != 0) : " << ret << ". Offset from start : " << offset
        << ". ";
    fail(msg);
  }
}

void seek_to_end(std::FILE* file) {
#ifdef _WIN32
  const int ret = _fseeki64(file, 0, SEEK_END);
#else
  const int ret = fseeko(file, 0, SEEK_END);
#endif
  if (ret != 0) {
    std::ostringstream msg;
    msg << "Seek to end of file error (return != 0) : " << ret << ". ";
    fail(msg);
  }
}

void write_bytes(std::FILE* file, const void* data, uint64_t count) {
  if (count == 0) return;
  const size_t written = std::fwrite(data, 1, static_cast<size_t>(count), file);
  if (written != count) {
    std::cout << "Number of bytes to write : " << count << ". Number bytes read : " << written
              << std::endl;
    throw std::runtime_error("Error file write");
  }
}
