#include "texture/bc7enc/bc7_partitions.h"

const uint8_t g_bc7_anchor2_second[64] = {
    15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,  //
    15, 2,  8,  2,  2,  8,  8,  15, 2,  8,  2,  2,  8,  8,  2,  2,   //
    15, 15, 6,  8,  2,  8,  15, 15, 2,  8,  2,  2,  2,  15, 15, 6,   //
    6,  2,  6,  8,  15, 15, 2,  2,  15, 15, 15, 15, 15, 2,  2,  15};

const uint8_t g_bc7_partition_scan_order[64] = {
    0,  13, 1,  2,  15, 14, 10, 16, 3,  23, 26, 6,  7,  21, 19, 29, 8,  4,  9,  20, 5,  31,
    22, 17, 18, 11, 12, 30, 24, 25, 28, 27, 32, 33, 34, 45, 46, 51, 49, 50, 48, 38, 39, 37,
    53, 52, 54, 36, 57, 58, 55, 41, 40, 42, 43, 59, 44, 56, 47, 35, 60, 63, 62, 61};

const uint32_t g_bc7_partition_predictors[35] = {
    0xffffffff, 0xffffffff, 0xffffffff, 0xffffffff, 0xffffffff, 0x106,     0x8a,
    0xffffffff, 0xffffffff, 0x10104,    0x8088,     0xffffffff, 0x14100,   0xc080,
    0xffffffff, 0xffffffff, 0xffffffff, 0xffffffff, 0xc000,     0x414000,  0x1024000,
    0xc006,     0xffffffff, 0x41400a,   0xffffffff, 0x1028006,  0x40000a,  0xffffffff,
    0xffffffff, 0xffffffff, 0x3c000,    0xffffffff, 0xffffffff, 0x900001e, 0x803c800};
