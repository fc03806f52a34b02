// The movie's output file: a buffered binary stream with checked create, seek and write.
// Every failure throws std::runtime_error with a message naming the operation and values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
  void operator()(std::FILE* f) const noexcept;
};
// Owns the stream; closing happens when the handle is reset or destroyed.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16_to_utf8(const std::u16string& text);

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
