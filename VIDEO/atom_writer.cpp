// Header rule and the shared leaf/container serialisation.
#include "VIDEO/atom_writer.h"

#include <cassert>
#include <cstring>
#include <iostream>
#include <stdexcept>

uint64_t Atom_Writer::size_for_content(uint64_t content_size, bool& large) {
  // Small form: 32-bit size, type. Large form: 32-bit 1, type, 64-bit size. A total of
  // exactly 0xFFFFFFFF is never written as a 32-bit size.
  if (content_size + 8 < 0xFFFFFFFFull) {
    large = false;
    return content_size + 8;
  }
  large = true;
  return content_size + 16;
}

uint64_t Atom_Writer::get_atom_size(bool& large) const {
  return size_for_content(content_.size(), large);
}

uint64_t Atom_Writer::write_atom_header(uint8_t* dst) const {
  bool large = false;
  const uint64_t total = get_atom_size(large);
  if (!large) {
    put_be32(dst, static_cast<uint32_t>(total));
    std::memcpy(dst + 4, type_.data(), 4);
    return 8;
  }
  put_be32(dst, 1);
  std::memcpy(dst + 4, type_.data(), 4);
  put_be64(dst + 8, total);
  return 16;
}

uint64_t Atom_Writer::write_atom(uint8_t* dst) const {
  const uint64_t header = write_atom_header(dst);
  if (!content_.empty()) std::memcpy(dst + header, content_.data(), content_.size());
  return header + content_.size();
}

uint64_t Atom_Writer::container_size(std::span<const Atom_Writer* const> children,
                                     bool& large) const {
  uint64_t content = 0;
  for (const Atom_Writer* child : children) {
    if (!child) continue;
    bool child_large = false;
    content += child->get_atom_size(child_large);
  }
  return size_for_content(content, large);
}

uint64_t Atom_Writer::write_container(uint8_t* dst,
                                      std::span<const Atom_Writer* const> children) const {
  uint64_t pos = write_atom_header(dst);
  for (const Atom_Writer* child : children) {
    if (!child) continue;
    const uint64_t written = child->write_atom(dst + pos);
    [[maybe_unused]] bool large = false;
    assert(written == child->get_atom_size(large));
    pos += written;
  }
  return pos;
}

ByteVector atom_block(const char (&type)[5], const ByteVector& body) {
  ByteVector out;
  out.reserve(8 + body.size());
  append_be32(out, static_cast<uint32_t>(8 + body.size()));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

ByteVector serialise_atom(const Atom_Writer& atom) {
  bool large = false;
  ByteVector out(atom.get_atom_size(large));
  [[maybe_unused]] const uint64_t written = atom.write_atom(out.data());
  assert(written == out.size());
  return out;
}

void print_line_and_throw(const std::string& line, const char* message) {
  std::cout << line << std::endl;
  throw std::runtime_error(message);
}
