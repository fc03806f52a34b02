// Atom_Writer: base of every QuickTime atom object. An atom is complete when its constructor
// returns; afterwards it only reports its size and serialises itself. Sizes are computed from
// the content (leaf) or the children (container), never stored, so they cannot go stale.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "VIDEO/be_write.h"

// Four bytes in file order, e.g. {'m','o','o','v'}.
using FourCC = std::array<char, 4>;
constexpr FourCC fourcc(const char (&text)[5]) {
  return {text[0], text[1], text[2], text[3]};
}

class Atom_Writer {
 public:
  explicit Atom_Writer(FourCC type) : type_(type) {}
  virtual ~Atom_Writer() = default;
  Atom_Writer(const Atom_Writer&) = default;
  Atom_Writer& operator=(const Atom_Writer&) = default;
  Atom_Writer(Atom_Writer&&) = default;
  Atom_Writer& operator=(Atom_Writer&&) = default;

  // Total size, header included. `large` reports the 16-byte header form: used when the
  // 32-bit size would be 0xFFFFFFFF or more.
  virtual uint64_t get_atom_size(bool& large) const;
  // REQUIRES: `dst` has room for get_atom_size() bytes. Returns the bytes written, always
  // exactly get_atom_size().
  virtual uint64_t write_atom(uint8_t* dst) const;

  // Writes the 8- or 16-byte header for the size that get_atom_size reports; returns its length.
  uint64_t write_atom_header(uint8_t* dst) const;

  const FourCC& type() const { return type_; }
  const ByteVector& content() const { return content_; }

  // Total size for a content of `content_size` bytes under the small/large header rule.
  static uint64_t size_for_content(uint64_t content_size, bool& large);

 protected:
  // Containers: size and serialise the present (non-null) children in order.
  uint64_t container_size(std::span<const Atom_Writer* const> children, bool& large) const;
  uint64_t write_container(uint8_t* dst, std::span<const Atom_Writer* const> children) const;

  FourCC type_;
  ByteVector content_;  // everything after the header, big-endian; empty in containers
};

// A container of N fixed child slots; a slot may stay empty (optional child). Owns its children.
template <size_t N>
class Fixed_Container : public Atom_Writer {
 public:
  uint64_t get_atom_size(bool& large) const override { return container_size(slots(), large); }
  uint64_t write_atom(uint8_t* dst) const override { return write_container(dst, slots()); }

  Fixed_Container(Fixed_Container&&) = default;
  Fixed_Container& operator=(Fixed_Container&&) = default;

 protected:
  explicit Fixed_Container(FourCC type) : Atom_Writer(type) {}

  std::array<std::unique_ptr<Atom_Writer>, N> children_;

 private:
  std::array<const Atom_Writer*, N> slots() const {
    std::array<const Atom_Writer*, N> out{};
    for (size_t i = 0; i < N; ++i) out[i] = children_[i].get();
    return out;
  }
};

// A complete nested atom as a byte block (size, type, body) for atoms kept inside a leaf's
// content (elst, dref, gmin, wave, chan, ...).
ByteVector atom_block(const char (&type)[5], const ByteVector& body);

// Prints `line` and a line end to standard output, then throws std::runtime_error(message):
// the failures that also log a line go through here so the two cannot drift apart.
[[noreturn]] void print_line_and_throw(const std::string& line, const char* message);

// Serialises `atom` into a new buffer of exactly its size.
ByteVector serialise_atom(const Atom_Writer& atom);
