#include "texture/bc7enc/bc7_tables.h"

#include <mutex>

#include "texture/bc7enc/bc7_weights.h"

Bc7OptimalEndpoint g_bc7_mode_1_optimal_endpoints[256][2];
Bc7OptimalEndpoint g_bc7_mode_7_optimal_endpoints[256][2][2];

namespace {

// Exhaustive search over code pairs; the first pair of the smallest error is kept (lo outer,
// hi inner), so rebuilding always gives the same table.
Bc7OptimalEndpoint best_pair(uint32_t target, uint32_t code_count, uint32_t lo_pbit,
                             uint32_t hi_pbit, uint32_t expanded_bits, uint32_t weight) {
  Bc7OptimalEndpoint best{0xFFFF, 0, 0};
  uint32_t best_err = UINT32_MAX;
  for (uint32_t lo = 0; lo < code_count; ++lo) {
    const uint32_t l = bc7_expand((lo << 1) | lo_pbit, expanded_bits);
    for (uint32_t hi = 0; hi < code_count; ++hi) {
      const uint32_t h = bc7_expand((hi << 1) | hi_pbit, expanded_bits);
      const int32_t d =
          static_cast<int32_t>(bc7_interpolate(l, h, weight)) - static_cast<int32_t>(target);
      const uint32_t err = static_cast<uint32_t>(d * d);
      if (err < best_err) {
        best_err = err;
        best = {static_cast<uint16_t>(err), static_cast<uint8_t>(lo), static_cast<uint8_t>(hi)};
      }
    }
  }
  return best;
}

void build_tables() {
  for (uint32_t c = 0; c < 256; ++c) {
    for (uint32_t p = 0; p < 2; ++p)  // mode 1: 6-bit codes + shared p-bit, 3-bit index 2
      g_bc7_mode_1_optimal_endpoints[c][p] = best_pair(c, 64, p, p, 7, g_bc7_weights3[2]);
    for (uint32_t hp = 0; hp < 2; ++hp)  // mode 7: 5-bit codes + own p-bits, 2-bit index 1
      for (uint32_t lp = 0; lp < 2; ++lp)
        g_bc7_mode_7_optimal_endpoints[c][hp][lp] = best_pair(c, 32, lp, hp, 6, g_bc7_weights2[1]);
  }
}

}  // namespace

void bc7_init_tables() {
  static std::once_flag once;
  std::call_once(once, build_tables);
}
