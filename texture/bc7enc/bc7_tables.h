#pragma once
// Single-colour tables of modes 1 and 7: for each target 8-bit value (and p-bits), the endpoint
// codes whose palette entry (index 2 of mode 1, index 1 of mode 7) lands closest. Written once
// by bc7_init_tables, read-only afterwards, shared by every thread.
#include <cstdint>

struct Bc7OptimalEndpoint {
  uint16_t m_error;  // squared distance of the palette entry to the target
  uint8_t m_lo;
  uint8_t m_hi;
};

// [c][p]: target value c, shared p-bit p; 6-bit codes.
extern Bc7OptimalEndpoint g_bc7_mode_1_optimal_endpoints[256][2];
// [c][hp][lp]: target value c, high endpoint's p-bit hp, low endpoint's p-bit lp; 5-bit codes.
extern Bc7OptimalEndpoint g_bc7_mode_7_optimal_endpoints[256][2][2];

// Builds both tables once per process; later calls (from any thread) wait for the first and
// then return. Must run before any block is compressed.
void bc7_init_tables();

// True once the tables are built.
inline bool bc7_tables_built() {
  return g_bc7_mode_1_optimal_endpoints[255][0].m_hi != 0;
}
