// The movie's output file: a buffered binary stream with checked create, seek and write.
// Every failure throws FileError (a std::runtime_error) with a message naming the operation and
// values, and the system's error number behind it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

struct FileCloser {
  void operator()(std::FILE* f) const noexcept;
};
// Owns the stream; closing happens when the handle is reset or destroyed.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A failed file operation. what() is the operation's own message; error_number() is the errno
// value that made it fail, or 0 when no system call failed (an offset the seek cannot take).
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& message, int error_number)
      : std::runtime_error(message), error_number_(error_number) {}
  int error_number() const noexcept { return error_number_; }

 private:
  int error_number_;
};

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD. For messages.
std::string utf16_to_utf8(const std::u16string& text);

// File names on systems whose names are byte strings. A name's well-formed UTF-8 sequences
// become their UTF-16 code units; every other byte b (a stray continuation, a truncated or
// overlong sequence, an encoded surrogate, 0xF5..0xFF) becomes the lone surrogate 0xDC00 + b,
// so that native_name_from_utf16(utf16_from_native_name(s)) == s for every name s (no NUL).
std::u16string utf16_from_native_name(const std::string& name);
// The inverse. Returns false for code units that stand for no byte (NUL, a lone surrogate
// outside 0xDC80..0xDCFF); `name` is then unspecified.
bool native_name_from_utf16(const std::u16string& text, std::string& name);

// Creates or truncates `path` for binary writing.
FileHandle open_target_file(const std::u16string& path);
// Opens the existing file `path` for binary writing from its start and empties it in place; never
// creates, deletes or replaces it (a file made for the caller to write into). Fails like
// open_target_file, with the system's reason, when the file is not there.
FileHandle open_existing_target_file(const std::u16string& path);
// Absolute 64-bit seek; offsets above INT64_MAX are refused without touching the stream.
void seek_from_start(std::FILE* file, uint64_t offset);
void seek_to_end(std::FILE* file);
// Writes `count` bytes at the current position; fails unless every byte was written.
void write_bytes(std::FILE* file, const void* data, uint64_t count);
// Writes out what the stream still buffers and closes it (the handle is empty afterwards, also
// when closing fails); fails like write_bytes with "Error file write".
void close_target_file(FileHandle& file);
