// Fixed tables of the DXT1 encoder, computed at compile time from the 5:6:5 expansion rule.
#include <array>

#include "texture/dxt1.h"

namespace {

constexpr uint32_t expand_bits(uint32_t x, uint32_t bits) {
  return bits == 5 ? (x << 3) | (x >> 2) : (x << 2) | (x >> 4);
}

constexpr std::array<uint8_t, 96> make_expand() {
  std::array<uint8_t, 96> t{};
  for (uint32_t x = 0; x < 32; ++x) t[x] = static_cast<uint8_t>(expand_bits(x, 5));
  for (uint32_t x = 0; x < 64; ++x) t[32 + x] = static_cast<uint8_t>(expand_bits(x, 6));
  return t;
}

constexpr int iabs(int v) {
  return v < 0 ? -v : v;
}

// Pair (mx, mn) whose index-2 colour (2 E(mx) + E(mn)) / 3 is nearest v, with a small
// penalty on wide pairs; the first pair of strictly smaller error in (mn, mx) order wins.
template <uint32_t Bits>
std::array<SingleColourPair, 256> make_single_colour() {
  std::array<SingleColourPair, 256> t{};
  constexpr int levels = 1 << Bits;
  for (int v = 0; v < 256; ++v) {
    int best = 1 << 30;
    for (int mn = 0; mn < levels; ++mn) {
      const int emn = static_cast<int>(expand_bits(mn, Bits));
      for (int mx = 0; mx < levels; ++mx) {
        const int emx = static_cast<int>(expand_bits(mx, Bits));
        // Index 2 decodes to E(mx) + (E(mn) - E(mx)) / 3, truncated as a whole.
        const int err = iabs((2 * emx + emn) / 3 - v) + (iabs(emx - emn) * 3) / 100;
        if (err < best) {
          best = err;
          t[v] = SingleColourPair{static_cast<uint8_t>(mx), static_cast<uint8_t>(mn)};
        }
      }
    }
  }
  return t;
}

// Slow-path single-colour fit: candidate 0 reproduces v with palette index 0 (start alone),
// candidate 1 with palette index 2 ((2 start + end) / 3), preferring values above v on ties.
template <uint32_t Bits>
std::array<SingleColourFit, 256> make_single_colour_fit() {
  std::array<SingleColourFit, 256> t{};
  constexpr int levels = 1 << Bits;
  for (int v = 0; v < 256; ++v) {
    int best0 = 1 << 30;
    for (int s = 0; s < levels; ++s) {
      const int err = iabs(static_cast<int>(expand_bits(s, Bits)) - v);
      if (err < best0) {
        best0 = err;
        t[v].candidate[0] = {static_cast<uint8_t>(s), 0, static_cast<uint8_t>(err)};
      }
    }
    int best1 = 1 << 30;
    bool best_above = false;
    for (int s = 0; s < levels; ++s) {
      for (int e = 0; e < levels; ++e) {
        const int value =
            (2 * static_cast<int>(expand_bits(s, Bits)) + static_cast<int>(expand_bits(e, Bits))) /
            3;
        const int err = iabs(value - v);
        const bool above = value > v;
        if (err < best1 || (err == best1 && above && !best_above)) {
          best1 = err;
          best_above = above;
          t[v].candidate[1] = {static_cast<uint8_t>(s), static_cast<uint8_t>(e),
                               static_cast<uint8_t>(err)};
        }
      }
    }
  }
  return t;
}

}  // namespace

constexpr std::array<uint8_t, 96> kDxtExpand = make_expand();
// The search tables are filled once when the library is loaded (a few milliseconds).
const std::array<SingleColourPair, 256> kSingleColour5 = make_single_colour<5>();
const std::array<SingleColourPair, 256> kSingleColour6 = make_single_colour<6>();
const std::array<SingleColourFit, 256> kSingleColourFit5 = make_single_colour_fit<5>();
const std::array<SingleColourFit, 256> kSingleColourFit6 = make_single_colour_fit<6>();
