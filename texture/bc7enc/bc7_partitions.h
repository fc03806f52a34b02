#pragma once
// Two- and three-subset partition patterns of the BPTC format with their anchor pixels, and the
// order and pre-filter masks with which the partition estimator visits the two-subset ones.
#include <cstdint>

// Bit i of pattern p is the subset (0 or 1) of pixel i (raster order) in partition p.
inline constexpr uint16_t g_bc7_partition2_masks[64] = {
    0xCCCC, 0x8888, 0xEEEE, 0xECC8, 0xC880, 0xFEEC, 0xFEC8, 0xEC80, 0xC800, 0xFFEC, 0xFE80,
    0xE800, 0xFFE8, 0xFF00, 0xFFF0, 0xF000, 0xF710, 0x008E, 0x7100, 0x08CE, 0x008C, 0x7310,
    0x3100, 0x8CCE, 0x088C, 0x3110, 0x6666, 0x366C, 0x17E8, 0x0FF0, 0x718E, 0x399C, 0xAAAA,
    0xF0F0, 0x5A5A, 0x33CC, 0x3C3C, 0x55AA, 0x9696, 0xA55A, 0x73CE, 0x13C8, 0x324C, 0x3BDC,
    0x6996, 0xC33C, 0x9966, 0x0660, 0x0272, 0x04E4, 0x4E40, 0x2720, 0xC936, 0x936C, 0x39C6,
    0x639C, 0x9336, 0x9CC6, 0x817E, 0xE718, 0xCCF0, 0x0FCC, 0x7744, 0xEE22};

// Pixel whose index is written one bit short in subset 1 of each two-subset partition.
extern const uint8_t g_bc7_anchor2_second[64];

// Partitions in the order the estimator scans them (the most useful first).
extern const uint8_t g_bc7_partition_scan_order[64];

// For partitions 0..34: bit k + 1 set means the partition is worth scanning when partition k
// was the best of the first 14 scanned.
extern const uint32_t g_bc7_partition_predictors[35];

inline uint32_t bc7_partition_subset(uint32_t partition, uint32_t pixel) {
  return (g_bc7_partition2_masks[partition] >> pixel) & 1u;
}

// Bits 2i..2i+1 of pattern p are the subset (0..2) of pixel i (raster order) in three-subset
// partition p.
extern const uint32_t g_bc7_partition3_patterns[64];

// Pixels whose index is written one bit short in subsets 1 and 2 of each three-subset partition.
extern const uint8_t g_bc7_anchor3_second[64];
extern const uint8_t g_bc7_anchor3_third[64];

inline uint32_t bc7_partition3_subset(uint32_t partition, uint32_t pixel) {
  return (g_bc7_partition3_patterns[partition] >> (2 * pixel)) & 3u;
}
